// Answers given in advance to the installer's questions.
#pragma once

#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/UserQuestions.h"

class TScriptedAnswers : public TUserQuestions {
public:
    std::deque<bool> Answers;            // consumed one per question or retry box
    std::vector<std::string> Asked;      // the questions, in order
    std::function<void()> OnAsk;         // runs while a question is up

    bool Confirm(const std::string& question) override { return Answer(question); }
    // Retry takes its answer from the same script: true for Retry.
    bool Retry(const std::string& message) override { return Answer(message); }
    std::vector<std::string> Warnings;   // the warning boxes' texts, in order
    void Warn(const std::string& message) override { Warnings.push_back(message); }

private:
    bool Answer(const std::string& question)
    {
        Asked.push_back(question);
        if (OnAsk)
            OnAsk();
        if (Answers.empty())
            throw std::logic_error("unscripted question: " + question);
        const bool answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
};
