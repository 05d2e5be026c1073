// Questions put to the person at the desktop.
#pragma once

#include <string>

class TUserQuestions {
public:
    virtual ~TUserQuestions() = default;
    // A "Confirm" message box with Yes (the default) and No; true for Yes.
    virtual bool Confirm(const std::string& question) = 0;
    // A box captioned "Setup" with an error icon, Retry (the default) and
    // Cancel, for a failure the person can mend; true for Retry.
    virtual bool Retry(const std::string& message) = 0;
    // A box captioned "Setup" with a warning icon and OK, for something a
    // finished run could not do that is no reason to undo it.
    virtual void Warn(const std::string& message) = 0;
};
