// Every position, size and font height of the windows is designed at 96 DPI
// and scaled to the DPI the window is shown at.
#pragma once

#include <windows.h>

inline constexpr int DesignDpi = 96;

// The DPI of window's monitor (the system's DPI for nullptr, or where the
// system cannot tell per window).
int WindowDpi(HWND window);

class TDpi {
public:
    explicit TDpi(int dpi) : Dpi(dpi) {}
    explicit TDpi(HWND window) : Dpi(WindowDpi(window)) {}

    int Dpi;
    // Design pixels to device pixels, truncating towards zero like all of
    // the windows' pixel arithmetic (font heights are negative).
    int Scale(int designPixels) const { return designPixels * Dpi / DesignDpi; }
};
