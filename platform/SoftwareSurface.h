// A drawing surface held in plain memory, portable, with one fixed font of
// known glyph widths in place of every font, so that drawings (text included)
// can be checked pixel by pixel on any machine.
#pragma once

#include <vector>

#include "platform/DrawingSurface.h"

// The fixed font: every line is TestFontHeight pixels high. A glyph's ink is a
// solid block over the columns 0..width-2 of its cell and the rows 2..10; an
// accelerator's underline is row 12 across the whole cell.
constexpr int TestFontHeight = 13;
constexpr int TestFontAverageWidth = 6;
int TestGlyphWidth(char c);

// System colours as the classic Windows scheme has them (clBtnFace silver,
// clWindow white, ...); other values lose their top byte.
TColor ClassicColorToRGB(TColor color);

class TSoftwareSurface : public TDrawingSurface {
public:
    TSoftwareSurface(int width, int height);

    int Width() const override { return FWidth; }
    int Height() const override { return FHeight; }
    void SetSize(int width, int height) override;
    std::unique_ptr<TDrawingSurface> MakeImage(int width, int height) const override;
    TColor Pixel(int x, int y) const override;

    void FillRect(const TRect& rect, TColor brush) override;
    void Ellipse(const TRect& bounds, TColor brush, std::optional<TColor> pen) override;
    void Pie(const TRect& bounds, TPoint start, TPoint end, TColor brush, std::optional<TColor> pen) override;
    void Line(TPoint from, TPoint to, TColor pen) override;
    void Draw(int x, int y, const TDrawingSurface& source, TCopyMode mode) override;

    TSize TextExtent(const TFont& font, std::string_view text, unsigned flags) override;
    void TextOut(const TFont& font, TPoint origin, std::string_view text, const TRect& clip,
                 unsigned flags) override;

private:
    struct TShape;
    void PaintShape(const TShape& shape, TColor brush, std::optional<TColor> pen);
    void Put(int x, int y, TColor rgb);

    int FWidth = 0;
    int FHeight = 0;
    std::vector<TColor> FPixels; // RGB values, row by row from the top
};
