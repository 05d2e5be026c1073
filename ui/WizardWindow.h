// The wizard: one page at a time (welcome, credentials when the settings ask
// for them, destination, finish), a Next button and a Cancel button that asks
// the background window to close. The window is the wizard logic's view.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <memory>

#include "controls/DirLabel.h"
#include "controls/VyrlGradient.h"
#include "installer/WizardSteps.h"
#include "ui/ControlWindow.h"
#include "ui/WindowKit.h"

class TWizardWindow : public TWindowObject, public TWizardView {
public:
    // Everything given stays the caller's. The window is created hidden,
    // over owner (the background window), with its texts and its logic
    // prepared; Show puts it on the screen.
    TWizardWindow(HWND owner, const TSetupControl& settings, int32_t& FStep, TFileSystem& files,
                  TUserQuestions& questions, TProgramStarter& programs, TSetupApplication& application,
                  TInstallFilesProc installFiles, std::function<void()> onCancel);
    ~TWizardWindow() override;

    TWizardSteps& Steps() { return *FSteps; }

    void ShowPage(TWizardPage page) override;
    void HidePage(TWizardPage page) override;
    void SetNextCaption(const std::string& caption) override;
    void SetNextEnabled(bool enabled) override;
    void FocusUser() override;
    void ShowWizard() override;
    void HideWizard() override;
    std::string UserText() override;
    std::string PassText() override;
    bool ReadmeChecked() override;
    bool RunProgramChecked() override;
    std::string DirName() override;
    void SetDirName(const std::string& dirName) override;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void MakeStartPage(const TSetupControl& settings);
    void MakeCustomPage();
    void MakePathPage();
    void MakeFinishPage(const TSetupControl& settings);
    void MakeButtons();
    void MakeSidePanel();
    HWND Label(HWND parent, const char* text, int left, int top, int width = 0, int height = 0,
               int id = 0);
    void PaintBevel(HDC dc);

    TDpi FDpi;
    HFONT FFont = nullptr;
    std::function<void()> FOnCancel;
    std::array<HWND, 4> FPages{}; // pnlStart, pnlCustom, pnlPath, pnlFinish
    HWND FNext = nullptr, FUser = nullptr, FPass = nullptr, FReadme = nullptr, FRunProgram = nullptr;
    // The control that had the keyboard focus when the wizard was last left.
    HWND FLastFocus = nullptr;
    void FocusControl();
    TVyrlGradient FGradient;  // VyrlGradient1
    TDirLabel FDestPath;      // lblDestPath
    std::unique_ptr<TControlWindow> FGradientWindow, FDestPathWindow;
    std::unique_ptr<TWizardSteps> FSteps;
};
