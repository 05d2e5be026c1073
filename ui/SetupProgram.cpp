#include "ui/SetupProgram.h"

#include "installer/InstalledFolder.h"
#include "platform/FileSystem.h"
#include "platform/NativeServices.h"
#include "platform/Resources.h"

TSetupProgram::TSetupProgram(const TSetupControl& settings, const std::string& destination)
    : SetupControl(settings), FRegistry(MakeNativeRegistry()), FCancelRule(FBoxes, FApplication)
{
    // The event loop ends on the quit message; a run in progress finishes first.
    FApplication.OnTerminate = [] { PostQuitMessage(0); };

    frmMain = std::make_unique<TMainWindow>(SetupControl, FCancelRule, [this] { WMStartSetup(); });
    FStep = 0;
    WinDir = PrepareStartup(SetupControl, *FRegistry, NativeSystemInfo());
    // An upgrade goes where the product is installed, not beside it; /D= names another folder.
    const std::string installed = InstalledFolder(*FRegistry, NativeFileSystem(), SetupControl.ProgramName);
    if (!installed.empty())
        SetupControl.TargetPath = installed;
    if (!destination.empty())
        SetupControl.TargetPath = destination; // the destination page starts on it
    frmMain->CoverScreen();
    frmMain->PostStartSetup();

    frmCopy = std::make_unique<TCopyDialog>(frmMain->Handle(), [this] { frmMain->Close(); });
    const TInstallServices services{NativeFileSystem(), NativeResources(), *FRegistry, NativeShellLinks(),
                                    FCancelRule,        NativeClock(),     *frmCopy};
    FInstallRun = std::make_unique<TInstallRun>(SetupControl, WinDir, FileList, services);
}

TSetupProgram::~TSetupProgram()
{
    // The wizard goes with the background window that owns it.
    frmSetup.reset();
    frmCopy.reset();
    frmMain.reset();
}

void TSetupProgram::WMStartSetup()
{
    if (frmSetup)
        return;
    frmSetup = std::make_unique<TWizardWindow>(frmMain->Handle(), SetupControl, FStep, NativeFileSystem(), FCancelRule,
                                               NativeProgramStarter(), FApplication,
                                               Watched(InstallThrough(*FInstallRun), FRunSeen),
                                               [this] { frmMain->Close(); });
    frmSetup->ShowWizard(); // modeless: the background stays behind it
}

int TSetupProgram::Run()
{
    ShowWindow(frmMain->Handle(), SW_SHOWNORMAL);
    UpdateWindow(frmMain->Handle()); // on screen before the start message brings the wizard
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!DialogKeyboardMessage(msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return SetupExitCode(OutcomeOf(FRunSeen));
}
