#include "installer/BrowseForm.h"

#include "platform/DriveSource.h"

TBrowseForm::TBrowseForm(TDriveSource& drives) : DirectoryBox(drives), DriveBox(drives), FDrives(drives)
{
    PreviousDrive = DriveBox.Drive();
}

void TBrowseForm::FormCreate(TBrowseDialogView& view)
{
    FView = &view;
    DirectoryBox.OnChange = [this] {
        FView->DirectoriesChanged();
        PathRefresh();
    };
    DriveBox.OnClick = [this] { DriveBoxClick(); };
    DriveBox.OnChange = [this] {
        FView->DriveChanged();
        DriveBoxChange();
    };
    PathRefresh();
}

void TBrowseForm::PathRefresh()
{
    const std::string& directory = DirectoryBox.Directory();
    if (FTargetFolder.empty())
        FView->SetPathText(directory);
    else if (!directory.empty() && directory.back() == '\\')
        FView->SetPathText(directory + FTargetFolder); // a drive root: no doubled "\"
    else
        FView->SetPathText(directory + "\\" + FTargetFolder);
}

void TBrowseForm::btnOKClick()
{
    FChosenPath = FView->PathText();
}

void TBrowseForm::DriveBoxClick()
{
    PreviousDrive = DriveBox.Drive();
}

void TBrowseForm::DriveBoxChange()
{
    for (;;) {
        const char drive = DriveBox.Drive();
        if (drive == 0)
            return;
        if (DriveAccessible(drive)) {
            DirectoryBox.SetDrive(drive);
            return;
        }
        if (!FView->AskRetry("Unable to access " + std::string(1, drive) + ":\\")) {
            // Raises this handler again, for the previous drive.
            DriveBox.SetDrive(PreviousDrive);
            return;
        }
    }
}

bool TBrowseForm::DriveAccessible(char drive)
{
    return FDrives.IsDirectory(std::string(1, drive) + ":\\");
}
