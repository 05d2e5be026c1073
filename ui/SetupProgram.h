// The setup program as a whole: the settings, the process-wide values that
// start-up prepares, the background window, the copy dialog, the wizard
// (made on the start message), and the event loop that runs until the
// application is told to terminate.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "archive/StringList.h"
#include "installer/CancelRule.h"
#include "installer/InstallRun.h"
#include "installer/SetupApplication.h"
#include "installer/SetupControl.h"
#include "platform/Registry.h"
#include "ui/CopyDialog.h"
#include "ui/MainWindow.h"
#include "ui/MessageBoxes.h"
#include "ui/WizardWindow.h"

class TSetupProgram {
public:
    // Start-up over the settings record the program carries: the background
    // window (hidden until Run), the copy dialog, the start message posted.
    explicit TSetupProgram(const TSetupControl& settings);
    ~TSetupProgram();
    TSetupProgram(const TSetupProgram&) = delete;
    TSetupProgram& operator=(const TSetupProgram&) = delete;

    // Shows the background window and runs the event loop; the exit code of
    // the install run's outcome (0, 1602, 1603).
    int Run();

private:
    void WMStartSetup();

    TSetupControl SetupControl;
    std::unique_ptr<TRegistry> FRegistry;
    int32_t FStep = 0;
    TStringList FileList;
    std::string WinDir;
    TSetupApplication FApplication;
    TMessageBoxQuestions FBoxes;
    TCancelRule FCancelRule;
    std::unique_ptr<TMainWindow> frmMain;
    std::unique_ptr<TCopyDialog> frmCopy;
    std::unique_ptr<TInstallRun> FInstallRun;
    std::unique_ptr<TWizardWindow> frmSetup;
};
