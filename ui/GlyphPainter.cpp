#include "ui/GlyphPainter.h"

#include <vector>

namespace {

int PaletteIndex(char c)
{
    return c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

// 0x00BBGGRR to a 32-bit DIB pixel, 0x00RRGGBB.
uint32_t DibPixel(uint32_t color)
{
    return ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
}

} // namespace

void DrawGlyph(HDC dc, int x, int y, int width, int height, const TGlyph& glyph, COLORREF background)
{
    std::vector<uint32_t> pixels(static_cast<size_t>(glyph.Width) * glyph.Height);
    for (int row = 0; row < glyph.Height; ++row)
        for (int column = 0; column < glyph.Width; ++column) {
            const int index = PaletteIndex(glyph.Rows[row][column]);
            pixels[static_cast<size_t>(row) * glyph.Width + column] =
                DibPixel(index < 0 ? static_cast<uint32_t>(background) : GlyphPalette[index]);
        }
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = glyph.Width;
    info.bmiHeader.biHeight = -glyph.Height; // top-down, like the rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    // Whole pixels scaled without smoothing keep the glyph's hard edges.
    const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, x, y, width, height, 0, 0, glyph.Width, glyph.Height, pixels.data(), &info, DIB_RGB_COLORS,
                  SRCCOPY);
    SetStretchBltMode(dc, oldMode);
}
