// The questions of a run without a person at the desk: answered by a fixed
// policy, and every message a box would have shown written as one line of
// a log file instead (or nowhere, when no file was asked for).
#pragma once

#include <string>

#include "platform/TextFile.h"
#include "platform/UserQuestions.h"

class TFileSystem;

// The lines that stand for the message boxes.
class TSilentLog {
public:
    // Creates (or empties) path: EInOutError when it cannot. Without a call
    // to Open the lines go nowhere. The lines are ANSI text of codePage
    // while they fit it, else UTF-8 (see TTextFile).
    void Open(TFileSystem& files, const std::string& path, unsigned codePage) { FFile.Rewrite(files, path, codePage); }
    // One line, the box's line breaks turned into blanks: EInOutError when the disk refuses it.
    void Write(const std::string& message);
    // A question's line: its text and, after " -> ", the button that answered it.
    void WriteAnswered(const std::string& message, const std::string& answer);
    void Close() noexcept { FFile.Close(); }

private:
    TTextFile FFile;
};

// The box's text as one line: each run of line breaks, with the blanks
// around it, becomes one blank.
std::string OneLine(const std::string& message);

// Every Confirm is answered Yes, the default button of each: the install
// creates its folder and makes the shortcuts, the uninstall removes the
// product and keeps the user's settings and site list. A Retry is answered
// Cancel: nobody is there to close the program that holds the file, and the
// run must end rather than wait.
class TSilentQuestions : public TUserQuestions {
public:
    explicit TSilentQuestions(TSilentLog& log) : FLog(log) {}
    bool Confirm(const std::string& question) override;
    bool Retry(const std::string& message) override;
    // Written to the log as a box's line.
    void Warn(const std::string& message) override { FLog.Write(message); }

private:
    TSilentLog& FLog;
};
