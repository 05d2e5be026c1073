// The logic of the browse dialog: the path box that proposes the chosen
// directory with the product's folder appended, OK, and the drive rule
// ("Unable to access " with Retry and Cancel). The window is reached through
// TBrowseDialogView, so the same logic runs behind the Win32 dialog and
// behind a test's recording view.
#pragma once

#include <string>

#include "installer/DirectoryList.h"
#include "installer/DriveList.h"

class TDriveSource;

// What the logic needs of the dialog window.
class TBrowseDialogView {
public:
    virtual ~TBrowseDialogView() = default;
    // lblText, the instruction at the top.
    virtual void SetCaptionText(const std::string& text) = 0;
    // txtPath.
    virtual std::string PathText() = 0;
    virtual void SetPathText(const std::string& text) = 0;
    virtual void SetPathReadOnly(bool readOnly) = 0;
    // DirectoryBox shows the directory list's items anew.
    virtual void DirectoriesChanged() = 0;
    // DriveBox selects the drive list's current drive anew.
    virtual void DriveChanged() = 0;
    // An error box with Retry and Cancel; true for Retry.
    virtual bool AskRetry(const std::string& message) = 0;
    // Runs the dialog modally; true when it closed with OK.
    virtual bool ShowModal() = 0;
};

class TBrowseForm {
public:
    // drives stays the caller's; the lists start at the current directory.
    explicit TBrowseForm(TDriveSource& drives);
    TBrowseForm(const TBrowseForm&) = delete;
    TBrowseForm& operator=(const TBrowseForm&) = delete;

    TDirectoryList DirectoryBox;
    TDriveList DriveBox;
    std::string FChosenPath;   // txtPath as it was on OK; empty otherwise
    std::string FTargetFolder; // appended to the directory in txtPath
    char PreviousDrive = 0;    // the drive before the latest choice in DriveBox

    // The creation handler: binds the window (which stays the caller's) and
    // fills txtPath.
    void FormCreate(TBrowseDialogView& view);
    // txtPath := the directory, with FTargetFolder appended when there is one.
    void PathRefresh();
    void btnOKClick();
    void DriveBoxClick();
    void DriveBoxChange();
    // d + ":\" names an existing directory.
    bool DriveAccessible(char drive);

private:
    TDriveSource& FDrives;
    TBrowseDialogView* FView = nullptr;
};
