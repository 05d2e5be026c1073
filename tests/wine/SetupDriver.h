// Drives the real setup program from another process the way a person would:
// finds its windows by class and caption, reads their texts, clicks their
// buttons and answers its message boxes, and photographs the screen.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Texts and paths are UTF-8; windows, processes and environments are reached
// through the wide functions.

// One run of a program, started in C:\ with extra environment variables.
class TProgramRun {
public:
    // environment: "NAME=VALUE" entries separated by '\n', added to ours.
    TProgramRun(const std::string& program, const std::string& environment = "", const std::string& arguments = "");
    ~TProgramRun(); // ends the program if it still runs
    TProgramRun(const TProgramRun&) = delete;
    TProgramRun& operator=(const TProgramRun&) = delete;

    bool Started() const { return FProcess.hProcess != nullptr; }
    DWORD ProcessId() const { return FProcess.dwProcessId; }
    // True when the program ended within timeout; its exit code goes to code.
    bool WaitForExit(DWORD timeout, DWORD* code = nullptr);

private:
    PROCESS_INFORMATION FProcess{};
};

// Polls until condition holds; false after timeout milliseconds.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeout = 15000);
// A visible top-level window of class and caption (either may be null).
HWND WaitForWindow(const char* className, const char* caption, DWORD timeout = 15000);
// A descendant of window by control identifier (null when there is none).
HWND FindControl(HWND window, int id);
std::string TextOf(HWND window);
bool Visible(HWND window);
// Clicks a button: the press and the release, queued, so that a box it
// opens does not hold the caller.
void Click(HWND button);
// Types text into an edit box (replacing what it held), as a change.
void Type(HWND edit, const std::string& text);

// A "Confirm" box of the program run, waited for; its question in text.
HWND WaitForConfirm(std::string* text = nullptr, DWORD timeout = 15000);
// A message box of caption, and its text.
HWND WaitForBox(const char* caption, std::string* text = nullptr, DWORD timeout = 15000);
// Presses the box's button (IDYES, IDNO, IDOK, ...), or Escape for 0.
void Answer(HWND box, int button);
// Answers the next "Confirm" box and waits until it is gone; its question,
// or "" when none came.
std::string AnswerConfirm(int button, DWORD timeout = 15000);
// Waits until window is gone (destroyed or hidden).
bool WaitGone(HWND window, DWORD timeout = 15000);

// Installs with the setup program as a person who only presses Next and Yes:
// the default directory, no backup, shortcuts, and Finish without starting
// anything. The questions asked (and a warning's text) go to questions. A destination, when given,
// is typed into the browse dialog first. True when the program ended with
// exit code 0.
bool InstallThroughWizard(const std::string& program, std::vector<std::string>* questions = nullptr,
                          const std::string& destination = "");

// Makes the setup program find no installed ZarnFTP, so that it offers its
// own default directory: removes the Uninstall key's UninstallString.
void ForgetInstalledProduct();

// Photographs the whole screen into directory/name.png; false when it cannot.
bool Screenshot(const std::string& directory, const std::string& name);
// Photographs the part of the screen that the given windows cover (their
// bounding rectangle, at the screen's own scale); hidden windows are left out.
bool ScreenshotOf(const std::string& directory, const std::string& name, const std::vector<HWND>& windows);

// The window that has the keyboard focus in window's thread.
HWND FocusOf(HWND window);
// A key pressed and released at window, as its thread's message loop sees it.
void PressKey(HWND window, UINT key);

// Holds every thread of a process still while it lives, so that what it
// shows can be read and photographed part-way through its work.
class TProcessHold {
public:
    explicit TProcessHold(DWORD processId);
    ~TProcessHold(); // lets it go on
    TProcessHold(const TProcessHold&) = delete;
    TProcessHold& operator=(const TProcessHold&) = delete;
    bool Holding() const { return !FThreads.empty(); }

private:
    std::vector<HANDLE> FThreads;
};
