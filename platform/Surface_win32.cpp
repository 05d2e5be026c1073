// The drawing surface on GDI: a top-down 32-bit DIB section selected into a
// memory device context, so pixels can be read straight from its memory.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/GdiSurface.h"
#include "platform/WideText.h"

namespace {

COLORREF ToColorRef(TColor color)
{
    // A colour value is laid out as a COLORREF; system colours come from the system.
    return IsSystemColor(color) ? GetSysColor(SystemColorIndex(color)) : (color & 0xFFFFFF);
}

RECT OrderedRect(const TRect& r)
{
    return {std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right),
            std::max(r.Top, r.Bottom)};
}

// GDI aims a radial from the box's centre through a point in whole pixels and
// loses direction when the point lies near the centre (a needle's base radials
// graze the arc and came out two pixels high). A point far out on the same
// radial keeps the direction; an odd factor keeps it whole.
POINT FarOnRadial(const RECT& box, TPoint p)
{
    const long long cx2 = box.left + box.right, cy2 = box.top + box.bottom; // twice the centre
    const long long dx2 = 2LL * p.X - cx2, dy2 = 2LL * p.Y - cy2;
    const long long k = std::max(std::llabs(dx2), std::llabs(dy2)) < (1LL << 20) ? 63 : 1;
    return {static_cast<LONG>((cx2 + k * dx2) / 2), static_cast<LONG>((cy2 + k * dy2) / 2)};
}

// Where the radial through p leaves the ellipse inscribed in box, in pixels.
POINT ArcPoint(const RECT& box, TPoint p, double& x, double& y)
{
    const double cx = (box.left + box.right) / 2.0, cy = (box.top + box.bottom) / 2.0;
    const double a = (box.right - box.left) / 2.0, b = (box.bottom - box.top) / 2.0;
    const double dx = p.X - cx, dy = p.Y - cy;
    const double t = 1.0 / std::sqrt((dx / a) * (dx / a) + (dy / b) * (dy / b));
    x = cx + t * dx;
    y = cy + t * dy;
    return {std::clamp(static_cast<LONG>(std::floor(x)), box.left, box.right - 1),
            std::clamp(static_cast<LONG>(std::floor(y)), box.top, box.bottom - 1)};
}

// A slice that runs the short way and is under a pixel wide at its arc. GDI takes
// both arc points as one and fills the whole ellipse, so a 1 % pie looked full.
bool IsSliver(const RECT& box, TPoint start, TPoint end)
{
    if (box.right - box.left < 2 || box.bottom - box.top < 2)
        return false;
    const double cx = (box.left + box.right) / 2.0, cy = (box.top + box.bottom) / 2.0;
    const double sx = start.X - cx, sy = start.Y - cy, ex = end.X - cx, ey = end.Y - cy;
    if ((sx == 0 && sy == 0) || (ex == 0 && ey == 0) || sy * ex - sx * ey <= 0)
        return false; // a degenerate radial, the same direction, or the long way round
    double x1, y1, x2, y2;
    ArcPoint(box, start, x1, y1);
    ArcPoint(box, end, x2, y2);
    return std::hypot(x2 - x1, y2 - y1) < 1.5;
}

UINT TextFormat(unsigned flags)
{
    UINT format = DT_SINGLELINE | DT_LEFT | DT_TOP;
    if (!(flags & tfPrefix))
        format |= DT_NOPREFIX;
    if (flags & tfExpandTabs)
        format |= DT_EXPANDTABS;
    return format;
}

// Selects a GDI object into a device context for one drawing call.
class TSelected {
public:
    TSelected(HDC dc, HGDIOBJ object, bool owned) : FDC(dc), FObject(object), FOwned(owned)
    {
        FOld = SelectObject(dc, object);
    }
    ~TSelected()
    {
        SelectObject(FDC, FOld);
        if (FOwned)
            DeleteObject(FObject);
    }
    TSelected(const TSelected&) = delete;
    TSelected& operator=(const TSelected&) = delete;

private:
    HDC FDC;
    HGDIOBJ FObject;
    HGDIOBJ FOld;
    bool FOwned;
};

TSelected SelectPen(HDC dc, std::optional<TColor> pen)
{
    if (!pen)
        return TSelected(dc, GetStockObject(NULL_PEN), false);
    return TSelected(dc, CreatePen(PS_SOLID, 1, ToColorRef(*pen)), true);
}

TSelected SelectFont(HDC dc, const TFont& font)
{
    // Crisp glyphs: white text pixels then invert exactly where the text lies.
    HFONT handle = CreateFontW(font.Height, 0, 0, 0, font.Bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                               DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY,
                               DEFAULT_PITCH | FF_DONTCARE, WideText(font.Name).c_str());
    return TSelected(dc, handle, true);
}

class TGdiSurface : public TDrawingSurface {
public:
    TGdiSurface(int width, int height) : FDC(CreateCompatibleDC(nullptr))
    {
        SetBkMode(FDC, TRANSPARENT);
        SetArcDirection(FDC, AD_COUNTERCLOCKWISE);
        FNoBitmap = GetCurrentObject(FDC, OBJ_BITMAP);
        SetSize(width, height);
    }

    ~TGdiSurface() override
    {
        SelectObject(FDC, FNoBitmap);
        if (FBitmap)
            DeleteObject(FBitmap);
        DeleteDC(FDC);
    }

    TGdiSurface(const TGdiSurface&) = delete;
    TGdiSurface& operator=(const TGdiSurface&) = delete;

    HDC DC() const { return FDC; }
    int Width() const override { return FWidth; }
    int Height() const override { return FHeight; }

    void SetSize(int width, int height) override
    {
        width = std::max(width, 0);
        height = std::max(height, 0);
        void* bits = nullptr;
        HBITMAP bitmap = nullptr;
        if (width > 0 && height > 0) {
            BITMAPINFO info{};
            info.bmiHeader.biSize = sizeof info.bmiHeader;
            info.bmiHeader.biWidth = width;
            info.bmiHeader.biHeight = -height; // top-down rows
            info.bmiHeader.biPlanes = 1;
            info.bmiHeader.biBitCount = 32;
            info.bmiHeader.biCompression = BI_RGB;
            bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
            if (!bitmap) {
                width = height = 0;
                bits = nullptr;
            }
        }
        GdiFlush();
        auto* pixels = static_cast<uint32_t*>(bits);
        if (pixels) {
            std::fill_n(pixels, static_cast<size_t>(width) * height, 0x00FFFFFFu);
            for (int y = 0; y < std::min(height, FHeight); ++y)
                std::memcpy(pixels + static_cast<size_t>(y) * width, FBits + static_cast<size_t>(y) * FWidth,
                            sizeof(uint32_t) * std::min(width, FWidth));
        }
        SelectObject(FDC, bitmap ? static_cast<HGDIOBJ>(bitmap) : FNoBitmap);
        if (FBitmap)
            DeleteObject(FBitmap);
        FBitmap = bitmap;
        FBits = pixels;
        FWidth = width;
        FHeight = height;
    }

    std::unique_ptr<TDrawingSurface> MakeImage(int width, int height) const override
    {
        return std::make_unique<TGdiSurface>(width, height);
    }

    TColor Pixel(int x, int y) const override
    {
        if (x < 0 || y < 0 || x >= FWidth || y >= FHeight)
            return 0;
        GdiFlush();
        const uint32_t p = FBits[static_cast<size_t>(y) * FWidth + x]; // blue, green, red in memory order
        return RGBColor((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }

    void FillRect(const TRect& rect, TColor brush) override
    {
        const RECT r = OrderedRect(rect);
        HBRUSH handle = CreateSolidBrush(ToColorRef(brush));
        ::FillRect(FDC, &r, handle);
        DeleteObject(handle);
    }

    void Ellipse(const TRect& bounds, TColor brush, std::optional<TColor> pen) override
    {
        const RECT r = ShapeRect(bounds, pen.has_value());
        TSelected b(FDC, CreateSolidBrush(ToColorRef(brush)), true);
        TSelected p = SelectPen(FDC, pen);
        ::Ellipse(FDC, r.left, r.top, r.right, r.bottom);
    }

    void Pie(const TRect& bounds, TPoint start, TPoint end, TColor brush, std::optional<TColor> pen) override
    {
        const RECT box = OrderedRect(bounds);
        if (IsSliver(box, start, end)) {
            // Nothing to fill; with a pen the radials and their arc ends are all of it.
            if (pen) {
                const TPoint centre{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
                for (const TPoint p : {start, end}) {
                    double x, y;
                    const POINT arc = ArcPoint(box, p, x, y);
                    Line(centre, {arc.x, arc.y}, *pen);
                    SetPixelV(FDC, arc.x, arc.y, ToColorRef(*pen));
                }
            }
            return;
        }
        const RECT r = ShapeRect(bounds, pen.has_value());
        TSelected b(FDC, CreateSolidBrush(ToColorRef(brush)), true);
        TSelected p = SelectPen(FDC, pen);
        const POINT s = FarOnRadial(box, start), e = FarOnRadial(box, end);
        ::Pie(FDC, r.left, r.top, r.right, r.bottom, s.x, s.y, e.x, e.y);
    }

    void Line(TPoint from, TPoint to, TColor pen) override
    {
        TSelected p = SelectPen(FDC, pen);
        MoveToEx(FDC, from.X, from.Y, nullptr);
        LineTo(FDC, to.X, to.Y);
    }

    void Draw(int x, int y, const TDrawingSurface& source, TCopyMode mode) override
    {
        const DWORD rop = mode == cmSrcInvert ? SRCINVERT : SRCCOPY;
        if (const auto* gdi = dynamic_cast<const TGdiSurface*>(&source)) {
            BitBlt(FDC, x, y, gdi->FWidth, gdi->FHeight, gdi->FDC, 0, 0, rop);
            return;
        }
        GdiFlush();
        for (int sy = 0; sy < source.Height(); ++sy)
            for (int sx = 0; sx < source.Width(); ++sx) {
                const int tx = x + sx, ty = y + sy;
                if (tx < 0 || ty < 0 || tx >= FWidth || ty >= FHeight)
                    continue;
                const TColor c = source.Pixel(sx, sy);
                const uint32_t value = BlueOf(c) | (GreenOf(c) << 8) | (RedOf(c) << 16);
                uint32_t& target = FBits[static_cast<size_t>(ty) * FWidth + tx];
                target = mode == cmSrcInvert ? (target ^ value) : value;
            }
    }

    TSize TextExtent(const TFont& font, std::string_view text, unsigned flags) override
    {
        TSelected f = SelectFont(FDC, font);
        RECT r{0, 0, 0, 0};
        const std::wstring wide = WideText(text);
        DrawTextW(FDC, wide.data(), static_cast<int>(wide.size()), &r, TextFormat(flags) | DT_CALCRECT);
        return {r.right - r.left, r.bottom - r.top};
    }

    void TextOut(const TFont& font, TPoint origin, std::string_view text, const TRect& clip,
                 unsigned flags) override
    {
        const int saved = SaveDC(FDC);
        const RECT c = OrderedRect(clip);
        IntersectClipRect(FDC, c.left, c.top, c.right, c.bottom);
        TSelected f = SelectFont(FDC, font);
        SetTextColor(FDC, ToColorRef(font.Color));
        RECT r{origin.X, origin.Y, origin.X + 32000, origin.Y + 32000};
        const std::wstring wide = WideText(text);
        DrawTextW(FDC, wide.data(), static_cast<int>(wide.size()), &r, TextFormat(flags) | DT_NOCLIP);
        RestoreDC(FDC, saved);
    }

private:
    // Without a pen GDI fills one pixel short of the right and bottom edges; the
    // rectangle is widened by that pixel so both kinds of outline cover the same area.
    static RECT ShapeRect(const TRect& bounds, bool outlined)
    {
        RECT r = OrderedRect(bounds);
        if (!outlined) {
            ++r.right;
            ++r.bottom;
        }
        return r;
    }

    HDC FDC;
    HGDIOBJ FNoBitmap = nullptr;
    HBITMAP FBitmap = nullptr;
    uint32_t* FBits = nullptr;
    int FWidth = 0;
    int FHeight = 0;
};

} // namespace

std::unique_ptr<TDrawingSurface> MakeGdiSurface(int width, int height)
{
    return std::make_unique<TGdiSurface>(width, height);
}

void* GdiSurfaceDC(TDrawingSurface& surface)
{
    auto* gdi = dynamic_cast<TGdiSurface*>(&surface);
    return gdi ? gdi->DC() : nullptr;
}
