#include "installer/UninstallCommandLine.h"

#include "installer/PathCompare.h"

namespace {

const char* const Blanks = " \t";

std::string Trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(Blanks);
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(Blanks) - first + 1);
}

} // namespace

std::string ArgumentsAfterProgram(const std::string& commandLine, const std::string& programPath)
{
    const size_t start = commandLine.find_first_not_of(Blanks);
    if (start == std::string::npos)
        return std::string();
    size_t end;
    if (commandLine[start] == '"') {
        end = commandLine.find('"', start + 1);
        end = end == std::string::npos ? commandLine.size() : end + 1;
    } else if (!programPath.empty() && commandLine.size() - start >= programPath.size() &&
               SamePath(commandLine.substr(start, programPath.size()), programPath) &&
               (commandLine.size() == start + programPath.size() ||
                commandLine.find_first_of(Blanks, start + programPath.size()) == start + programPath.size())) {
        end = start + programPath.size();
    } else {
        end = commandLine.find_first_of(Blanks, start);
        if (end == std::string::npos)
            end = commandLine.size();
    }
    return commandLine.substr(end);
}

std::string LogPathFromArguments(const std::string& arguments)
{
    const std::string text = Trimmed(arguments);
    if (text.empty() || text[0] != '"')
        return text;
    const size_t close = text.find('"', 1);
    return Trimmed(text.substr(1, close == std::string::npos ? std::string::npos : close - 1));
}

TUninstallCommand ParseUninstallArguments(const std::string& arguments)
{
    TUninstallCommand command;
    const std::string text = Trimmed(arguments);
    if (text.size() >= 2 && SamePath(text.substr(0, 2), "/S") &&
        (text.size() == 2 || text.find_first_of(Blanks, 2) == 2)) {
        command.Silent = true;
        command.LogPath = LogPathFromArguments(text.substr(2));
    } else {
        command.LogPath = LogPathFromArguments(text);
    }
    return command;
}
