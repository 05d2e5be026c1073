#include "installer/BrowseDir.h"

#include "platform/DriveSource.h"

bool TZarnBrowseDir::Execute(TDriveSource& drives, const TBrowseDialogFactory& createDialog)
{
    TBrowseForm form(drives);
    const std::unique_ptr<TBrowseDialogView> dialog = createDialog(form);
    form.FormCreate(*dialog);
    dialog->SetCaptionText(CaptionText);
    form.FTargetFolder = TargetFolder;
    if (!InitialDir.empty() && drives.IsDirectory(InitialDir))
        form.DirectoryBox.SetDirectory(InitialDir);
    else
        form.DirectoryBox.SetDirectory(drives.ProgramDirectory());
    dialog->SetPathReadOnly(ReadOnly);
    const bool ok = dialog->ShowModal();
    Directory = form.FChosenPath;
    return ok;
}
