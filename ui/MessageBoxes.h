// The message boxes of the setup program: every question a "Confirm" box
// (question icon, "&Yes" the default and "&No", Escape answering No), the
// application's error display, and the Retry/Cancel box of the browse dialog
// and of a file that the install run could not write.
// All are task-modal: with no owner given, every window of the thread is
// disabled while the box is up, and the box stays above the always-on-top
// wizard.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "platform/UserQuestions.h"

// The application title, the caption of the error display.
inline constexpr const char* ApplicationTitle = "Setup";

// A system message box of text (UTF-8) and caption; the button that answered.
int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type);

// The button that answered, IDYES or IDNO (0 when no box could be shown):
// Escape and the close command answer No.
int ConfirmBoxAnswer(const std::string& question, HWND owner = nullptr);
// True for Yes.
inline bool ConfirmBox(const std::string& question, HWND owner = nullptr)
{
    return ConfirmBoxAnswer(question, owner) == IDYES;
}
// Captioned "Setup", error icon, OK; the message with the full-stop rule.
void ShowErrorBox(const std::string& message, HWND owner = nullptr);
// Runs action; an exception that escapes it reaches the error display, as
// the application's default handler shows it, and the program goes on.
void ReportErrors(const std::function<void()>& action);
// Captioned "Setup", error icon, Retry (the default) and Cancel; true for Retry.
bool RetryBox(const std::string& message, HWND owner = nullptr);
// Captioned "Setup", warning icon, OK.
void WarningBox(const std::string& message, HWND owner = nullptr);

// The install core's questions as Confirm boxes, its retries as Retry boxes.
class TMessageBoxQuestions : public TUserQuestions {
public:
    explicit TMessageBoxQuestions(HWND owner = nullptr) : Owner(owner) {}
    HWND Owner;
    bool Confirm(const std::string& question) override { return ConfirmBox(question, Owner); }
    bool Retry(const std::string& message) override { return RetryBox(message, Owner); }
    void Warn(const std::string& message) override { WarningBox(message, Owner); }
};
