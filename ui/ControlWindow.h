// A windowless control shown in a child window of its own: the window paints
// the control through a GDI drawing surface and turns its requests for a
// later or an immediate paint into real ones.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "controls/GraphicControl.h"
#include "ui/WindowKit.h"

inline constexpr const char* ControlWindowClass = "ZarnGraphicControl";

class TControlWindow : public TWindowObject, public TControlHost {
public:
    // control stays the caller's; its bounds are taken in device pixels.
    TControlWindow(TGraphicControl& control, HWND parent, int id);
    ~TControlWindow() override;

    TGraphicControl& Control() { return FControl; }
    // Moves the window to the control's bounds.
    void Place();
    // The text tools read for the control (a label's full text).
    void SetAccessibleText(const std::string& text);

    void InvalidateControl(TGraphicControl& control) override;
    void RepaintControl(TGraphicControl& control) override;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void PaintTo(HDC dc);

    TGraphicControl& FControl;
    std::unique_ptr<TDrawingSurface> FCanvas;
};

// Draws control into dc at (left, top), through a surface of the control's size.
void PaintControlOn(TGraphicControl& control, HDC dc, int left, int top, std::unique_ptr<TDrawingSurface>& canvas);
