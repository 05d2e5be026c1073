// A software surface that counts what is drawn on it and on every image made
// from it, so a test can tell a full render from a plain copy of a cache.
#pragma once

#include <memory>

#include "platform/SoftwareSurface.h"

struct TDrawCounts {
    int Shapes = 0; // fills, ellipses, pies, lines and texts
    int Copies = 0; // whole images put on a surface
    int Images = 0; // images made
};

class TCountingSurface : public TSoftwareSurface {
public:
    TCountingSurface(int width, int height, std::shared_ptr<TDrawCounts> counts)
        : TSoftwareSurface(width, height), Counts(std::move(counts))
    {
    }

    std::shared_ptr<TDrawCounts> Counts;

    std::unique_ptr<TDrawingSurface> MakeImage(int width, int height) const override
    {
        ++Counts->Images;
        return std::make_unique<TCountingSurface>(width, height, Counts);
    }
    void FillRect(const TRect& rect, TColor brush) override
    {
        ++Counts->Shapes;
        TSoftwareSurface::FillRect(rect, brush);
    }
    void Ellipse(const TRect& bounds, TColor brush, std::optional<TColor> pen) override
    {
        ++Counts->Shapes;
        TSoftwareSurface::Ellipse(bounds, brush, pen);
    }
    void Pie(const TRect& bounds, TPoint start, TPoint end, TColor brush, std::optional<TColor> pen) override
    {
        ++Counts->Shapes;
        TSoftwareSurface::Pie(bounds, start, end, brush, pen);
    }
    void Line(TPoint from, TPoint to, TColor pen) override
    {
        ++Counts->Shapes;
        TSoftwareSurface::Line(from, to, pen);
    }
    void TextOut(const TFont& font, TPoint origin, std::string_view text, const TRect& clip,
                 unsigned flags) override
    {
        ++Counts->Shapes;
        TSoftwareSurface::TextOut(font, origin, text, clip, flags);
    }
    void Draw(int x, int y, const TDrawingSurface& source, TCopyMode mode) override
    {
        ++Counts->Copies;
        TSoftwareSurface::Draw(x, y, source, mode);
    }
};
