// A wizard window stand-in that keeps its state and a journal of the calls.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "installer/WizardSteps.h"

class TRecordingWizardView : public TWizardView {
public:
    std::set<TWizardPage> Visible{wpStart, wpCustom, wpPath, wpFinish}; // all shown, as designed
    std::string NextCaption = "&Next >>";
    bool NextEnabled = true;
    bool UserFocused = false;
    bool WizardVisible = true;
    std::string User, Pass, Dir;
    bool Readme = false, RunProgram = false;
    std::vector<std::string> Journal; // "show N", "hide N", "caption X", "next 0/1", "focus", "wizard 0/1", "dir X"

    void ShowPage(TWizardPage page) override { Visible.insert(page); Note("show " + std::to_string(page)); }
    void HidePage(TWizardPage page) override { Visible.erase(page); Note("hide " + std::to_string(page)); }
    void SetNextCaption(const std::string& caption) override { NextCaption = caption; Note("caption " + caption); }
    void SetNextEnabled(bool enabled) override { NextEnabled = enabled; Note(enabled ? "next 1" : "next 0"); }
    void FocusUser() override { UserFocused = true; Note("focus"); }
    void ShowWizard() override { WizardVisible = true; Note("wizard 1"); }
    void HideWizard() override { WizardVisible = false; Note("wizard 0"); }
    std::string UserText() override { return User; }
    std::string PassText() override { return Pass; }
    bool ReadmeChecked() override { return Readme; }
    bool RunProgramChecked() override { return RunProgram; }
    std::string DirName() override { return Dir; }
    void SetDirName(const std::string& dirName) override { Dir = dirName; Note("dir " + dirName); }

    // The one page on show ("" for none or several).
    std::string Page() const
    {
        static const char* const names[] = {"pnlStart", "pnlCustom", "pnlPath", "pnlFinish"};
        return Visible.size() == 1 ? names[*Visible.begin()] : std::string();
    }

private:
    void Note(const std::string& entry) { Journal.push_back(entry); }
};
