// The drawing surface the windows use: a 32-bit DIB section in a memory
// device context, drawn on with GDI. Windows only.
#pragma once

#include <memory>

#include "platform/DrawingSurface.h"

std::unique_ptr<TDrawingSurface> MakeGdiSurface(int width, int height);
// The memory device context (an HDC) holding a surface made by MakeGdiSurface,
// for copying it to a window; null for any other surface.
void* GdiSurfaceDC(TDrawingSurface& surface);
