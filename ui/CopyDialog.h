// The copy progress dialog: the install run's progress view, with a status
// line, the file being written, a gauge for that file and a Cancel button
// that asks the background window to close.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "controls/ProgressGauge.h"
#include "installer/ProgressPacing.h"
#include "installer/ProgressView.h"
#include "ui/ControlWindow.h"
#include "ui/WindowKit.h"

class TCopyDialog : public TWindowObject, public TProgressView {
public:
    // Created hidden over owner (the background window); onCancel is the close request.
    TCopyDialog(HWND owner, std::function<void()> onCancel);
    ~TCopyDialog() override;

    void SetStatusText(const std::string& text) override;
    void SetFileName(const std::string& name) override;
    void SetProgress(int32_t percent) override;
    void Show() override;
    void Hide() override;
    void ProcessMessages() override;
    void ShowPending() override;

    TProgressGauge Progress;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void PaintBevel(HDC dc);
    // Shows what the run reported since the last frame.
    void ShowFrame();

    std::function<void()> FOnCancel;
    TProgressPacing FPacing;
    TDpi FDpi;
    HFONT FFont = nullptr;
    HWND FStatus = nullptr;
    HWND FFilename = nullptr;
    std::unique_ptr<TControlWindow> FGaugeWindow;
};
