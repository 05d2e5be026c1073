// Questions put to the person at the desktop.
#pragma once

#include <string>

class TUserQuestions {
public:
    virtual ~TUserQuestions() = default;
    // A "Confirm" message box with Yes (the default) and No; true for Yes.
    virtual bool Confirm(const std::string& question) = 0;
};
