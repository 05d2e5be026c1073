// A copy dialog stand-in that keeps its state and a journal of the calls.
#pragma once

#include <string>
#include <vector>

#include "installer/ProgressView.h"

class TRecordingProgressView : public TProgressView {
public:
    std::string Status;
    std::string FileName;
    int32_t Progress = -1;
    bool Visible = false;
    std::vector<std::string> Journal; // "status X", "file X", "progress N", "show", "hide", "messages", "pending"

    void SetStatusText(const std::string& text) override { Status = text; Journal.push_back("status " + text); }
    void SetFileName(const std::string& name) override { FileName = name; Journal.push_back("file " + name); }
    void SetProgress(int32_t percent) override
    {
        Progress = percent;
        Journal.push_back("progress " + std::to_string(percent));
    }
    void Show() override { Visible = true; Journal.push_back("show"); }
    void Hide() override { Visible = false; Journal.push_back("hide"); }
    void ProcessMessages() override { Journal.push_back("messages"); }
    void ShowPending() override { Journal.push_back("pending"); }
};
