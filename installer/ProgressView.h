// What the install run needs of the copy progress dialog.
#pragma once

#include <cstdint>
#include <string>

class TProgressView {
public:
    virtual ~TProgressView() = default;
    // The status line above the file name ("Copying Files", ...).
    virtual void SetStatusText(const std::string& text) = 0;
    // The name of the file being written ("" clears it).
    virtual void SetFileName(const std::string& name) = 0;
    // The gauge, 0 to 100: the progress of the current file.
    virtual void SetProgress(int32_t percent) = 0;
    // Shows the dialog modeless and repaints it at once.
    virtual void Show() = 0;
    // Hides the dialog and repaints what was under it.
    virtual void Hide() = 0;
    // Handles the window messages that are pending, so the windows stay live.
    virtual void ProcessMessages() = 0;
    // Shows at once what was reported and is still waiting for its moment
    // (the file and percentage of an entry that failed), before a box appears.
    virtual void ShowPending() {}
};
