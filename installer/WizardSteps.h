// The wizard's logic: the Next button through the welcome, credentials,
// destination and finish pages, the credentials rule, Browse, and the
// wizard's share of the start message. The window is reached through
// TWizardView; the current step is the background window's FStep.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "installer/BrowseDir.h"
#include "installer/SetupControl.h"

class TFileSystem;
class TInstallRun;
class TProgramStarter;
class TSetupApplication;
class TUserQuestions;

enum TWizardPage : uint8_t { wpStart, wpCustom, wpPath, wpFinish }; // pnlStart, pnlCustom, pnlPath, pnlFinish

// What the logic needs of the wizard window.
class TWizardView {
public:
    virtual ~TWizardView() = default;
    virtual void ShowPage(TWizardPage page) = 0;
    virtual void HidePage(TWizardPage page) = 0;
    virtual void SetNextCaption(const std::string& caption) = 0;
    virtual void SetNextEnabled(bool enabled) = 0;
    // Puts the keyboard focus into txtUser.
    virtual void FocusUser() = 0;
    // Shows the window and repaints it at once.
    virtual void ShowWizard() = 0;
    virtual void HideWizard() = 0;
    virtual std::string UserText() = 0; // txtUser
    virtual std::string PassText() = 0; // txtPass
    virtual bool ReadmeChecked() = 0;     // chkReadme
    virtual bool RunProgramChecked() = 0; // chkRunProgram
    // lblDestPath's DirName: the destination, without a trailing "\".
    virtual std::string DirName() = 0;
    virtual void SetDirName(const std::string& dirName) = 0;
};

// Runs the install into dirName (an existing directory) and returns the
// destination with its "\" (FInstallDir); errors end it. madeDirectories:
// the levels the wizard made for it (outermost first), which an undone run removes.
using TInstallFilesProc =
    std::function<std::string(const std::string& dirName, bool backup, const std::vector<std::string>& madeDirectories)>;
// Runs the browse dialog for browser; true when the user pressed OK.
using TBrowseProc = std::function<bool(TZarnBrowseDir& browser)>;

// All stay the caller's.
struct TWizardServices {
    TWizardView& View;
    TFileSystem& Files;
    TUserQuestions& Questions;
    TProgramStarter& Programs;
    TSetupApplication& Application;
    TInstallFilesProc InstallFiles;
    TBrowseProc Browse;
};

// The install run behind TInstallFilesProc; run stays the caller's.
TInstallFilesProc InstallThrough(TInstallRun& run);

class TWizardSteps {
public:
    // settings and FStep (the background window's step field) stay the caller's.
    TWizardSteps(const TSetupControl& settings, int32_t& FStep, TWizardServices services);

    std::string FInstallDir; // the destination and one "\", known once the run is done
    bool FBackup = false;    // replaced files go into the Backup directory
    TZarnBrowseDir Browser;

    // The wizard's share of the start message: the destination, the browse
    // settings, and only the welcome page visible.
    void Prepare();
    void btnNextClick();
    // Either credentials box changed: Next only with both filled in.
    void txtUserChange();
    // Browse: a confirmed choice becomes the destination.
    void Button1Click();

private:
    void NextOnDestination();
    void Finish();

    const TSetupControl& FSettings;
    int32_t& FStep;
    TWizardServices FServices;
};

// The question for a destination that does not exist yet.
std::string CreateDirectoryQuestion(const std::string& dirName);
