#include "uninstaller/UninstallLog.h"

#include "installer/WindowsPath.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/TextFile.h"

namespace {

const std::string_view StartedPrefix = "*** Install started: ";
const std::string_view AppNamePrefix = "AppName: ";
const std::string_view CopyPrefix = "Copy: ";
const std::string_view RegKeyPrefix = "RegKey: ";
const std::string_view CreateFilePrefix = "CreateFile: ";
const std::string_view CompletedPrefix = "*** Install Completed: ";

bool TakePrefix(std::string_view line, std::string_view prefix, std::string& value)
{
    if (line.substr(0, prefix.size()) != prefix)
        return false;
    value = std::string(line.substr(prefix.size()));
    return true;
}

// No path, date or name of a log holds a control character; a binary file does.
bool IsPlainText(std::string_view line)
{
    for (const char c : line)
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t')
            return false;
    return true;
}

[[noreturn]] void Reject(size_t lineNumber)
{
    throw EUninstallLogError("line " + std::to_string(lineNumber) + " is not an install log line");
}

} // namespace

TUninstallLog ParseUninstallLog(std::string_view text)
{
    TUninstallLog log;
    size_t lineNumber = 0;  // of the line in hand
    size_t logLines = 0;    // non-empty lines so far
    std::string value;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            continue;
        if (!IsPlainText(line) || log.Completed)
            Reject(lineNumber);
        ++logLines;
        if (logLines == 1) {
            if (!TakePrefix(line, StartedPrefix, value))
                Reject(lineNumber);
        } else if (logLines == 2) {
            // The name becomes a registry key's last level and is shown as
            // the program's name: one plain name, nothing that leads elsewhere.
            if (!TakePrefix(line, AppNamePrefix, log.AppName) || !IsPlainName(log.AppName))
                Reject(lineNumber);
        } else if (TakePrefix(line, CopyPrefix, value) && !value.empty()) {
            log.Copied.push_back(value);
        } else if (TakePrefix(line, CreateFilePrefix, value) && !value.empty()) {
            log.Created.push_back(value);
        } else if (TakePrefix(line, RegKeyPrefix, value)) {
            log.RegKeys.push_back(value);
        } else if (TakePrefix(line, CompletedPrefix, value)) {
            log.Completed = true;
        } else {
            Reject(lineNumber);
        }
    }
    if (logLines < 2)
        throw EUninstallLogError(logLines == 0 ? "it is empty" : "it names no program");
    return log;
}

TUninstallLog ReadUninstallLog(TFileSystem& files, const std::string& path, unsigned codePage)
{
    const std::string quoted = "\"" + path + "\"";
    const std::string nothingRemoved = ". Nothing has been removed";
    if (!files.FileExists(path))
        throw EUninstallLogError("The install log " + quoted + " was not found" + nothingRemoved);
    std::string text;
    try {
        const auto stream = files.OpenRead(path);
        const int64_t size = stream->Size();
        if (size > static_cast<int64_t>(MaxUninstallLogSize))
            throw EUninstallLogError(quoted + " is not an install log: it is far too large" + nothingRemoved);
        text.resize(static_cast<size_t>(size));
        stream->ReadBuffer(text.data(), static_cast<int32_t>(size));
    } catch (const EUninstallLogError&) {
        throw;
    } catch (const Exception& e) {
        throw EUninstallLogError("The install log " + quoted + " cannot be read (" + e.Message() + ")" +
                                 nothingRemoved);
    }
    try {
        text = TextOfFileBytes(text, codePage);
    } catch (const EConvertError&) {
        throw EUninstallLogError(quoted + " is not an install log: it is neither UTF-8 nor text of this system's code page" +
                                 nothingRemoved);
    }
    try {
        return ParseUninstallLog(text);
    } catch (const EUninstallLogError& e) {
        throw EUninstallLogError(quoted + " is not an install log: " + e.Message() + nothingRemoved);
    }
}
