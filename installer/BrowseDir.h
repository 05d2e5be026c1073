// The browse component: its properties, and Execute, which runs the browse
// dialog once and hands back the path box's text when the user pressed OK.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "installer/BrowseForm.h"

class TDriveSource;

// Creates the dialog window for form (hidden; the form's handlers are wired
// to its controls). The window may not raise events before ShowModal.
using TBrowseDialogFactory = std::function<std::unique_ptr<TBrowseDialogView>(TBrowseForm& form)>;

class TZarnBrowseDir {
public:
    std::string TargetFolder; // folder name appended to the chosen directory
    std::string Directory;    // the path box's text after OK, otherwise empty
    std::string CaptionText;  // instruction at the top of the dialog
    bool ReadOnly = false;    // the path box cannot be typed into
    std::string InitialDir;   // where the directory list starts, if it exists

    // Shows the dialog modally over drives; true when the user pressed OK.
    bool Execute(TDriveSource& drives, const TBrowseDialogFactory& createDialog);
};
