// The background window: the application's main window, covering the screen
// with the gradient and the product's caption in white lettering with a black
// shadow. Every Cancel of the setup program asks it to close, and its close
// query is the one cancel question.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "controls/VyrlGradient.h"
#include "installer/SetupControl.h"
#include "ui/WindowKit.h"

class TCancelRule;

class TMainWindow : public TWindowObject, public TControlHost {
public:
    // settings and cancelRule stay the caller's; onStartSetup handles the start message.
    TMainWindow(const TSetupControl& settings, TCancelRule& cancelRule, std::function<void()> onStartSetup);
    ~TMainWindow() override;

    // Normal window state, position (0, 0), the whole screen.
    void CoverScreen();
    // Posts the start message to this window.
    void PostStartSetup();
    // The close request: the cancel question decides.
    void Close();

    TVyrlGradient TheGradient;

    void InvalidateControl(TGraphicControl& control) override;
    void RepaintControl(TGraphicControl& control) override;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint(HDC dc);

    TCancelRule& FCancelRule;
    std::function<void()> FOnStartSetup;
    std::string FCaption; // lblTop and lblBottom
    TDpi FDpi;
    HFONT FCaptionFont = nullptr;
    std::unique_ptr<TDrawingSurface> FCanvas;
};
