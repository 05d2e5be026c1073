#include "installer/SilentQuestions.h"

namespace {

bool IsLineBreak(char c)
{
    return c == '\r' || c == '\n';
}

} // namespace

std::string OneLine(const std::string& message)
{
    std::string line;
    for (size_t i = 0; i < message.size();) {
        if (!IsLineBreak(message[i])) {
            line += message[i++];
            continue;
        }
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        while (i < message.size() && (IsLineBreak(message[i]) || message[i] == ' '))
            ++i;
        if (!line.empty() && i < message.size())
            line += ' ';
    }
    return line;
}

void TSilentLog::Write(const std::string& message)
{
    if (FFile.IsOpen())
        FFile.WriteLine(OneLine(message));
}

void TSilentLog::WriteAnswered(const std::string& message, const std::string& answer)
{
    std::string line = OneLine(message);
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    Write(line + " -> " + answer);
}

bool TSilentQuestions::Confirm(const std::string& question)
{
    FLog.WriteAnswered(question, "Yes");
    return true;
}

bool TSilentQuestions::Retry(const std::string& message)
{
    FLog.WriteAnswered(message, "Cancel");
    return false;
}
