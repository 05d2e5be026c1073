#include "installer/SetupCommandLine.h"

#include <optional>
#include <vector>

#include "archive/StringList.h"
#include "installer/WindowsPath.h"

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The text after prefix when text starts with it, ASCII case ignored.
std::optional<std::string> AfterPrefix(const std::string& text, const std::string& prefix)
{
    if (text.size() < prefix.size() || !SameText(text.substr(0, prefix.size()), prefix))
        return std::nullopt;
    return text.substr(prefix.size());
}

// No Windows file name holds a quotation mark, so every one of them is quoting.
std::string WithoutQuotes(const std::string& text)
{
    std::string out;
    for (char c : text)
        if (c != '"')
            out += c;
    return out;
}

std::string TrimmedBlanks(const std::string& text)
{
    size_t first = 0, last = text.size();
    while (first < last && IsBlank(text[first]))
        ++first;
    while (last > first && IsBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

// The folder as Windows would resolve it, without a trailing "\" (a drive's
// root as "C:"): the run appends one.
std::optional<std::string> DestinationFolder(const std::string& text)
{
    const std::optional<TWindowsPath> path = ResolveWindowsPath(text);
    if (!path)
        return std::nullopt;
    std::string folder = path->Text();
    if (!folder.empty() && folder.back() == '\\')
        folder.pop_back();
    return folder;
}

} // namespace

TSetupCommandLine ParseSetupCommandLine(const std::string& arguments)
{
    TSetupCommandLine plan;
    std::string problem; // the first thing refused; the rest is still read for /S and /LOG=
    bool logGiven = false;
    const auto refuse = [&problem](const std::string& message) {
        if (problem.empty())
            problem = message;
    };

    size_t pos = 0;
    while (true) {
        while (pos < arguments.size() && IsBlank(arguments[pos]))
            ++pos;
        if (pos >= arguments.size())
            break;
        // /D= takes the rest of the line: deployment tools append it unquoted,
        // blanks and all.
        const std::string rest = arguments.substr(pos);
        const size_t quote = rest[0] == '"' ? 1 : 0;
        if (const auto value = AfterPrefix(rest.substr(quote), "/D=")) {
            const std::string text = TrimmedBlanks(WithoutQuotes(*value));
            const auto folder = DestinationFolder(text);
            if (text.empty())
                refuse("The switch /D= names no folder");
            else if (text.find(" /") != std::string::npos)
                refuse("The switch /D= must come last: \"" + text + "\"");
            else if (!folder)
                refuse("The switch /D= needs a complete path such as C:\\Tools\\ZarnFTP: \"" + text + "\"");
            else
                plan.Destination = *folder;
            break;
        }
        // A switch ends at a blank outside quotation marks.
        std::string token;
        bool quoted = false;
        for (; pos < arguments.size() && (quoted || !IsBlank(arguments[pos])); ++pos) {
            if (arguments[pos] == '"')
                quoted = !quoted;
            else
                token += arguments[pos];
        }
        if (SameText(token, "/S")) {
            if (plan.Silent)
                refuse("The switch /S is given twice");
            plan.Silent = true;
        } else if (token == "/?") {
            if (plan.Help)
                refuse("The switch /? is given twice");
            plan.Help = true;
        } else if (const auto file = AfterPrefix(token, "/LOG=")) {
            if (logGiven)
                refuse("The switch /LOG= is given twice");
            else if (file->empty())
                refuse("The switch /LOG= names no file");
            else
                plan.LogFile = *file;
            logGiven = true;
        } else {
            refuse("Unknown switch \"" + token + "\"");
        }
    }
    // Without /S the boxes are shown: there is nothing for the file to hold.
    if (problem.empty() && logGiven && !plan.Silent)
        refuse("The switch /LOG= is for a silent run: give /S with it");
    if (!problem.empty())
        throw ESetupCommandLine(problem, plan.Silent, plan.LogFile);
    return plan;
}

std::string SetupSwitchesText()
{
    return "setup.exe [/S] [/LOG=file] [/D=folder]\n"
           "\n"
           "/S\tInstalls without a window or a question: into the folder of an earlier\n"
           "\tinstallation, or else the default one; no backup; every shortcut.\n"
           "/LOG=file\tWith /S: writes what the message boxes would have said into file.\n"
           "/D=folder\tInstalls into folder, a complete path. It must come last; blanks\n"
           "\tare kept and quotation marks are not needed.\n"
           "/?\tShows this text.\n"
           "\n"
           "Exit codes: 0 installed, 1602 cancelled, 1603 failed, 87 a command line not understood.";
}
