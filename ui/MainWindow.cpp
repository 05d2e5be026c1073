#include "ui/MainWindow.h"

#include "installer/CancelRule.h"
#include "platform/GdiSurface.h"
#include "platform/WideText.h"
#include "ui/WindowIds.h"

namespace {

// The two caption labels, in design pixels: lblBottom lies beneath, lblTop on top.
const RECT BottomLabel = {12, 20, 12 + 365, 20 + 77};
const RECT TopLabel = {16, 16, 16 + 369, 16 + 93};

} // namespace

TMainWindow::TMainWindow(const TSetupControl& settings, TCancelRule& cancelRule, std::function<void()> onStartSetup)
    : FCancelRule(cancelRule), FOnStartSetup(std::move(onStartSetup)),
      FCaption(settings.CaptionName), FDpi(nullptr)
{
    TheGradient.SetBounds(0, 0, 536, 348);
    TheGradient.SetBeginColor(clBlue);
    TheGradient.SetEndColor(clBlack);
    TheGradient.SetSteps(100);
    TheGradient.SetHost(this);
    FCaptionFont = MakeWindowFont(FDpi, "Arial", -48, true, true);
    // No border, no caption bar, no system menu.
    CreateBound(MainWindowClass, 0, SetupCaption(settings).c_str(), WS_POPUP | WS_CLIPCHILDREN, 0, 0,
                FDpi.Scale(536), FDpi.Scale(348), nullptr);
}

TMainWindow::~TMainWindow()
{
    TheGradient.SetHost(nullptr);
    if (FWindow) {
        SetWindowLongPtrW(FWindow, GWLP_USERDATA, 0);
        DestroyWindow(FWindow);
        FWindow = nullptr;
    }
    DeleteObject(FCaptionFont);
}

void TMainWindow::CoverScreen()
{
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    SetWindowPos(FWindow, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    TheGradient.SetBounds(0, 0, width, height); // the gradient fills the window
}

void TMainWindow::PostStartSetup()
{
    PostMessageW(FWindow, WM_STARTSETUP, 0, 0);
}

void TMainWindow::Close()
{
    SendMessageW(FWindow, WM_CLOSE, 0, 0);
}

void TMainWindow::InvalidateControl(TGraphicControl&)
{
    InvalidateRect(FWindow, nullptr, FALSE);
}

void TMainWindow::RepaintControl(TGraphicControl&)
{
    RedrawWindow(FWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void TMainWindow::Paint(HDC dc)
{
    const int width = TheGradient.Width();
    const int height = TheGradient.Height();
    if (!FCanvas || FCanvas->Width() != width || FCanvas->Height() != height)
        FCanvas = MakeGdiSurface(width, height);
    TheGradient.Paint(*FCanvas);

    // The labels have no background: the caption is drawn over the gradient,
    // cut off at each label's edge.
    const HDC image = static_cast<HDC>(GdiSurfaceDC(*FCanvas));
    const HGDIOBJ oldFont = SelectObject(image, FCaptionFont);
    SetBkMode(image, TRANSPARENT);
    const std::wstring caption = WideText(FCaption);
    const auto drawLabel = [&](const RECT& design, COLORREF colour) {
        RECT r = {FDpi.Scale(design.left), FDpi.Scale(design.top), FDpi.Scale(design.right),
                  FDpi.Scale(design.bottom)};
        SetTextColor(image, colour);
        DrawTextW(image, caption.c_str(), static_cast<int>(caption.size()), &r, DT_LEFT | DT_EXPANDTABS);
    };
    drawLabel(BottomLabel, RGB(0, 0, 0));
    drawLabel(TopLabel, RGB(255, 255, 255));
    SelectObject(image, oldFont);
    BitBlt(dc, 0, 0, width, height, image, 0, 0, SRCCOPY);
}

LRESULT TMainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND:
        return 1; // the gradient covers the window
    case WM_PAINT:
        return AnswerPaint(FWindow, [this](HDC dc) { Paint(dc); });
    case WM_CLOSE:
        // Allowed or not, the window stays: the program ends from the event
        // loop, and a run in progress still works inside its windows.
        FCancelRule.FormCloseQuery();
        return 0;
    case WM_DISPLAYCHANGE:
        CoverScreen();
        return 0;
    case WM_STARTSETUP:
        if (FOnStartSetup)
            FOnStartSetup();
        return 0;
    default:
        return TWindowObject::HandleMessage(message, wParam, lParam);
    }
}
