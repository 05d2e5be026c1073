// The browse dialog as a Win32 window: path box, owner-drawn directory list
// and drive list, OK and Cancel, run modally over the browse logic.
#pragma once

#include <windows.h>

#include "installer/BrowseDir.h"

// Control identifiers, by which tests and accessibility tools find them.
enum : int {
    idBrowseOK = IDOK,
    idBrowseCancel = IDCANCEL,
    idBrowseText = 100, // lblText
    idBrowsePathLabel,  // Label1
    idBrowsePath,       // txtPath
    idBrowseDirLabel,   // Label2
    idBrowseDirectories, // DirectoryBox
    idBrowseDriveLabel, // Label3
    idBrowseDrives,     // DriveBox
};

// The window class and the caption of the dialog.
inline constexpr const char* BrowseDialogClass = "ZarnBrowseDialog";
inline constexpr const char* BrowseDialogCaption = "Browse";

// Makes the dialog windows for Execute, over owner (the wizard); every
// window of the thread is disabled while one is up.
TBrowseDialogFactory Win32BrowseDialog(HWND owner);
