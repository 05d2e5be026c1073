#include "ui/ControlWindow.h"

#include "platform/GdiSurface.h"
#include "platform/WideText.h"

void PaintControlOn(TGraphicControl& control, HDC dc, int left, int top, std::unique_ptr<TDrawingSurface>& canvas)
{
    const int width = control.Width();
    const int height = control.Height();
    if (width <= 0 || height <= 0)
        return;
    if (!canvas || canvas->Width() != width || canvas->Height() != height)
        canvas = MakeGdiSurface(width, height);
    // A control that does not cover its rectangle shows its parent's face colour.
    if (!control.Opaque())
        canvas->FillRect(TRect{0, 0, width, height}, clBtnFace);
    control.Paint(*canvas);
    BitBlt(dc, left, top, width, height, static_cast<HDC>(GdiSurfaceDC(*canvas)), 0, 0, SRCCOPY);
}

TControlWindow::TControlWindow(TGraphicControl& control, HWND parent, int id) : FControl(control)
{
    CreateBound(ControlWindowClass, 0, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, control.Left(), control.Top(),
                control.Width(), control.Height(), parent);
    SetWindowLongPtrW(FWindow, GWLP_ID, id);
    FControl.SetHost(this);
}

TControlWindow::~TControlWindow()
{
    FControl.SetHost(nullptr);
}

void TControlWindow::SetAccessibleText(const std::string& text)
{
    SetWindowTextW(FWindow, WideText(text).c_str());
}

void TControlWindow::Place()
{
    SetWindowPos(FWindow, nullptr, FControl.Left(), FControl.Top(), FControl.Width(), FControl.Height(),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(FWindow, nullptr, FALSE);
}

void TControlWindow::InvalidateControl(TGraphicControl&)
{
    InvalidateRect(FWindow, nullptr, FALSE); // opaque painting: nothing to erase first
}

void TControlWindow::RepaintControl(TGraphicControl&)
{
    RedrawWindow(FWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void TControlWindow::PaintTo(HDC dc)
{
    PaintControlOn(FControl, dc, 0, 0, FCanvas);
}

LRESULT TControlWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND:
        return 1; // the paint covers the whole window
    case WM_PAINT:
        return AnswerPaint(FWindow, [this](HDC dc) { PaintTo(dc); });
    case WM_PRINTCLIENT:
        PaintTo(reinterpret_cast<HDC>(wParam));
        return 0;
    default:
        return TWindowObject::HandleMessage(message, wParam, lParam);
    }
}
