#include "platform/SoftwareSurface.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

TRect Ordered(const TRect& r)
{
    return {std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right),
            std::max(r.Top, r.Bottom)};
}

TRect Intersect(const TRect& a, const TRect& b)
{
    return {std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
            std::min(a.Bottom, b.Bottom)};
}

struct TGlyphPlace {
    char C;
    int X;
    int Width;
    bool Underline;
};

// Lays one line out in the fixed font: where each drawn character goes.
std::vector<TGlyphPlace> LayOut(std::string_view text, unsigned flags, int& width)
{
    std::vector<TGlyphPlace> glyphs;
    int x = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        bool underline = false;
        if ((flags & tfPrefix) && c == '&') {
            if (i + 1 == text.size())
                break; // a closing "&" marks nothing and is not drawn
            c = text[++i];
            underline = c != '&';
        }
        if (c == '\t' && (flags & tfExpandTabs)) {
            const int stop = 8 * TestFontAverageWidth;
            x = (x / stop + 1) * stop;
            continue;
        }
        const int w = TestGlyphWidth(c);
        glyphs.push_back({c, x, w, underline});
        x += w;
    }
    width = x;
    return glyphs;
}

} // namespace

int TestGlyphWidth(char c)
{
    const auto u = static_cast<unsigned char>(c);
    if (u < 32)
        return 0;
    switch (c) {
    case ' ':
    case '\\':
        return 4;
    case 'i':
    case 'l':
    case 'I':
    case '.':
    case ',':
    case ':':
    case ';':
    case '\'':
    case '!':
    case '|':
        return 3;
    case 'm':
    case 'w':
    case 'M':
    case 'W':
        return 9;
    default:
        return 6;
    }
}

TColor ClassicColorToRGB(TColor color)
{
    if (!IsSystemColor(color))
        return color & 0xFFFFFF;
    static const TColor scheme[] = {
        0xC0C0C0, 0x808000, 0x800000, 0x808080, 0xC0C0C0, 0xFFFFFF, 0x000000, 0x000000, 0x000000,
        0xFFFFFF, 0xC0C0C0, 0xC0C0C0, 0x808080, 0x800000, 0xFFFFFF, 0xC0C0C0, 0x808080, 0x808080,
        0x000000, 0xC0C0C0, 0xFFFFFF, 0x000000, 0xC0C0C0, 0x000000, 0xE1FFFF};
    const int index = SystemColorIndex(color);
    return index < static_cast<int>(std::size(scheme)) ? scheme[index] : 0;
}

// An ellipse inscribed in Box, possibly cut to the sector from S counter-clockwise to E.
struct TSoftwareSurface::TShape {
    TRect Box;
    double Cx = 0, Cy = 0, Ax = 0, By = 0;
    bool Sliced = false;
    double Sx = 1, Sy = 0, Ex = 1, Ey = 0; // radial directions with y pointing up
    double Turn = 0;                       // cross product of S and E: the sweep's side

    explicit TShape(const TRect& bounds) : Box(Ordered(bounds))
    {
        Cx = (Box.Left + Box.Right) / 2.0;
        Cy = (Box.Top + Box.Bottom) / 2.0;
        Ax = (Box.Right - Box.Left) / 2.0;
        By = (Box.Bottom - Box.Top) / 2.0;
    }

    void Slice(TPoint start, TPoint end)
    {
        Sx = start.X - Cx;
        Sy = Cy - start.Y;
        Ex = end.X - Cx;
        Ey = Cy - end.Y;
        if (Sx == 0 && Sy == 0)
            Sx = 1;
        if (Ex == 0 && Ey == 0)
            Ex = 1;
        Turn = Sx * Ey - Sy * Ex;
        // Radials that point the same way leave the whole ellipse.
        Sliced = !(Turn == 0 && Sx * Ex + Sy * Ey > 0);
    }

    bool InEllipse(int x, int y) const
    {
        if (x < Box.Left || x >= Box.Right || y < Box.Top || y >= Box.Bottom)
            return false;
        const double u = (x + 0.5 - Cx) / Ax, v = (Cy - (y + 0.5)) / By;
        return u * u + v * v <= 1.0;
    }

    // The pixel where the radial in direction (dx, dy) leaves the ellipse.
    TPoint RadialEnd(double dx, double dy) const
    {
        const double t = 1.0 / std::sqrt((dx / Ax) * (dx / Ax) + (dy / By) * (dy / By));
        const int x = static_cast<int>(std::floor(Cx + t * dx));
        const int y = static_cast<int>(std::floor(Cy - t * dy));
        return {std::clamp(x, Box.Left, Box.Right - 1), std::clamp(y, Box.Top, Box.Bottom - 1)};
    }

    bool Contains(int x, int y) const
    {
        if (!InEllipse(x, y))
            return false;
        if (!Sliced)
            return true;
        const double vx = x + 0.5 - Cx;
        const double vy = Cy - (y + 0.5);
        const double fromStart = Sx * vy - Sy * vx; // >= 0: on or past the start radial
        const double toEnd = vx * Ey - vy * Ex;     // >= 0: on or before the end radial
        if (Turn > 0)
            return fromStart >= 0 && toEnd >= 0;
        if (Turn < 0)
            return !(fromStart < 0 && toEnd < 0); // more than half a turn: all but the gap
        return fromStart >= 0;                    // opposite radials: half the ellipse
    }
};

TSoftwareSurface::TSoftwareSurface(int width, int height)
{
    SetSize(width, height);
}

void TSoftwareSurface::SetSize(int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    std::vector<TColor> pixels(static_cast<size_t>(width) * static_cast<size_t>(height), clWhite);
    for (int y = 0; y < std::min(height, FHeight); ++y)
        std::copy_n(FPixels.begin() + static_cast<ptrdiff_t>(y) * FWidth, std::min(width, FWidth),
                    pixels.begin() + static_cast<ptrdiff_t>(y) * width);
    FPixels = std::move(pixels);
    FWidth = width;
    FHeight = height;
}

std::unique_ptr<TDrawingSurface> TSoftwareSurface::MakeImage(int width, int height) const
{
    return std::make_unique<TSoftwareSurface>(width, height);
}

TColor TSoftwareSurface::Pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= FWidth || y >= FHeight)
        return 0;
    return FPixels[static_cast<size_t>(y) * FWidth + x];
}

void TSoftwareSurface::Put(int x, int y, TColor rgb)
{
    if (x >= 0 && y >= 0 && x < FWidth && y < FHeight)
        FPixels[static_cast<size_t>(y) * FWidth + x] = rgb;
}

void TSoftwareSurface::FillRect(const TRect& rect, TColor brush)
{
    const TRect r = Intersect(Ordered(rect), {0, 0, FWidth, FHeight});
    const TColor rgb = ClassicColorToRGB(brush);
    for (int y = r.Top; y < r.Bottom; ++y)
        std::fill_n(FPixels.begin() + static_cast<ptrdiff_t>(y) * FWidth + r.Left, std::max(r.Right - r.Left, 0),
                    rgb);
}

void TSoftwareSurface::PaintShape(const TShape& shape, TColor brush, std::optional<TColor> pen)
{
    if (shape.Box.Right <= shape.Box.Left || shape.Box.Bottom <= shape.Box.Top)
        return; // a shape without area draws nothing, outline included
    const TRect r = Intersect(shape.Box, {0, 0, FWidth, FHeight});
    const TColor fill = ClassicColorToRGB(brush);
    const TColor outline = pen ? ClassicColorToRGB(*pen) : fill;
    for (int y = r.Top; y < r.Bottom; ++y) {
        // Only the columns near the ellipse's span on this row can be inside.
        const double v = (y + 0.5 - shape.Cy) / shape.By;
        if (v < -1.0 || v > 1.0)
            continue;
        const double half = shape.Ax * std::sqrt(1.0 - v * v);
        const int x0 = std::max(r.Left, static_cast<int>(std::floor(shape.Cx - half - 0.5)) - 1);
        const int x1 = std::min(r.Right - 1, static_cast<int>(std::ceil(shape.Cx + half - 0.5)) + 1);
        for (int x = x0; x <= x1; ++x) {
            if (!shape.Contains(x, y))
                continue;
            // The outline follows the ellipse; the radials get lines of their own below.
            const bool edge = pen && (!shape.InEllipse(x - 1, y) || !shape.InEllipse(x + 1, y) ||
                                      !shape.InEllipse(x, y - 1) || !shape.InEllipse(x, y + 1));
            FPixels[static_cast<size_t>(y) * FWidth + x] = edge ? outline : fill;
        }
    }
    if (pen && shape.Sliced) {
        const TPoint centre{static_cast<int>(std::floor(shape.Cx)), static_cast<int>(std::floor(shape.Cy))};
        for (const TPoint end : {shape.RadialEnd(shape.Sx, shape.Sy), shape.RadialEnd(shape.Ex, shape.Ey)}) {
            Line(centre, end, *pen);
            Put(end.X, end.Y, outline);
        }
    }
}

void TSoftwareSurface::Ellipse(const TRect& bounds, TColor brush, std::optional<TColor> pen)
{
    PaintShape(TShape(bounds), brush, pen);
}

void TSoftwareSurface::Pie(const TRect& bounds, TPoint start, TPoint end, TColor brush, std::optional<TColor> pen)
{
    TShape shape(bounds);
    shape.Slice(start, end);
    PaintShape(shape, brush, pen);
}

void TSoftwareSurface::Line(TPoint from, TPoint to, TColor pen)
{
    const TColor rgb = ClassicColorToRGB(pen);
    const int dx = std::abs(to.X - from.X), sx = from.X < to.X ? 1 : -1;
    const int dy = -std::abs(to.Y - from.Y), sy = from.Y < to.Y ? 1 : -1;
    int error = dx + dy;
    int x = from.X, y = from.Y;
    while (x != to.X || y != to.Y) {
        Put(x, y, rgb);
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x += sx;
        }
        if (twice <= dx) {
            error += dx;
            y += sy;
        }
    }
}

void TSoftwareSurface::Draw(int x, int y, const TDrawingSurface& source, TCopyMode mode)
{
    const auto* same = dynamic_cast<const TSoftwareSurface*>(&source);
    for (int sy = 0; sy < source.Height(); ++sy) {
        const int ty = y + sy;
        if (ty < 0 || ty >= FHeight)
            continue;
        for (int sx = 0; sx < source.Width(); ++sx) {
            const int tx = x + sx;
            if (tx < 0 || tx >= FWidth)
                continue;
            const TColor value = same ? same->FPixels[static_cast<size_t>(sy) * same->FWidth + sx] : source.Pixel(sx, sy);
            TColor& target = FPixels[static_cast<size_t>(ty) * FWidth + tx];
            target = mode == cmSrcInvert ? (target ^ value) : value;
        }
    }
}

TSize TSoftwareSurface::TextExtent(const TFont&, std::string_view text, unsigned flags)
{
    int width = 0;
    LayOut(text, flags, width);
    return {width, TestFontHeight};
}

void TSoftwareSurface::TextOut(const TFont& font, TPoint origin, std::string_view text, const TRect& clip,
                               unsigned flags)
{
    const TColor rgb = ClassicColorToRGB(font.Color);
    const TRect visible = Intersect(Ordered(clip), {0, 0, FWidth, FHeight});
    auto paint = [&](int left, int top, int right, int bottom) {
        const TRect r = Intersect({left, top, right, bottom}, visible);
        for (int py = r.Top; py < r.Bottom; ++py)
            for (int px = r.Left; px < r.Right; ++px)
                FPixels[static_cast<size_t>(py) * FWidth + px] = rgb;
    };
    int width = 0;
    for (const TGlyphPlace& g : LayOut(text, flags, width)) {
        const int left = origin.X + g.X;
        if (g.C != ' ')
            paint(left, origin.Y + 2, left + g.Width - 1, origin.Y + 11);
        if (g.Underline)
            paint(left, origin.Y + 12, left + g.Width, origin.Y + 13);
    }
}
