// The off-screen image the controls paint on: the handful of drawing
// operations they need, with the platform's conventions spelled out so that
// the GDI image and the portable software image draw the same pixels.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Colors.h"

struct TPoint {
    int X = 0;
    int Y = 0;
};

// Left and top inclusive, right and bottom exclusive.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
};

struct TSize {
    int Width = 0;
    int Height = 0;
};

struct TFont {
    std::string Name = "MS Sans Serif";
    int Height = -11; // pixels; negative gives the character height, as the platform maps fonts
    bool Bold = false;
    TColor Color = clWindowText; // the colour text is drawn in
};

enum TCopyMode {
    cmSrcCopy,  // the source replaces the pixels
    cmSrcInvert // the pixels become their exclusive-or with the source
};

// Text flags. Text is always one line.
enum : unsigned {
    tfPrefix = 1,    // "&" underlines the next character and is not drawn; "&&" draws one "&"
    tfExpandTabs = 2 // a tab moves to the next stop of eight average character widths
};

class TDrawingSurface {
public:
    virtual ~TDrawingSurface() = default;

    virtual int Width() const = 0;
    virtual int Height() const = 0;
    // Resizes the image; pixels inside both sizes keep their colour, new pixels are white.
    virtual void SetSize(int width, int height) = 0;
    // A new white image of the same kind, for composing off screen.
    virtual std::unique_ptr<TDrawingSurface> MakeImage(int width, int height) const = 0;
    // The RGB value of one pixel (0 outside the image).
    virtual TColor Pixel(int x, int y) const = 0;

    // Shapes take their rectangle with swapped edges as if put in order; a rectangle
    // fill covers Left..Right-1 and Top..Bottom-1. The ellipse is inscribed in its
    // rectangle; with a pen it is also outlined, one pixel wide, inside the rectangle.
    virtual void FillRect(const TRect& rect, TColor brush) = 0;
    virtual void Ellipse(const TRect& bounds, TColor brush, std::optional<TColor> pen) = 0;
    // The slice of the ellipse in bounds that runs counter-clockwise, as seen on the
    // screen, from the radial through start to the radial through end (the whole
    // ellipse when both radials point the same way).
    virtual void Pie(const TRect& bounds, TPoint start, TPoint end, TColor brush, std::optional<TColor> pen) = 0;
    // A one-pixel line; the end point is not drawn.
    virtual void Line(TPoint from, TPoint to, TColor pen) = 0;
    // Puts the whole of source with its top left at (x, y).
    virtual void Draw(int x, int y, const TDrawingSurface& source, TCopyMode mode) = 0;

    // Width and height of one line of text as the platform lays it out.
    virtual TSize TextExtent(const TFont& font, std::string_view text, unsigned flags) = 0;
    // Draws one line in font.Color with its top left at origin, without background,
    // clipped to clip.
    virtual void TextOut(const TFont& font, TPoint origin, std::string_view text, const TRect& clip,
                         unsigned flags) = 0;
};
