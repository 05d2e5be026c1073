// Draws one of the browse dialog's glyphs, scaled to a rectangle.
#pragma once

#include <windows.h>

#include "resources/BrowseGlyphs.h"

// The glyph fills width by height pixels at (x, y); "." pixels take background.
void DrawGlyph(HDC dc, int x, int y, int width, int height, const TGlyph& glyph, COLORREF background);
