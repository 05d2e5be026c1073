#include "installer/PreviousLog.h"

#include "installer/PathCompare.h"
#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "platform/TextFile.h"

std::vector<std::string> PreviousCopiedFiles(TFileSystem& files, const std::string& installDir, unsigned codePage)
{
    std::vector<std::string> copied;
    const std::string log = installDir + "install.log";
    if (!files.FileExists(log))
        return copied;
    std::string text;
    try {
        const auto stream = files.OpenRead(log);
        char buffer[4096];
        for (int32_t n; (n = stream->Read(buffer, sizeof buffer)) > 0;)
            text.append(buffer, static_cast<size_t>(n));
        text = TextOfFileBytes(text, codePage);
    } catch (const Exception&) {
        return copied; // an unreadable log names nothing
    }
    const std::string prefix = "Copy: ";
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        start = end + 1;
        if (line.compare(0, prefix.size(), prefix) != 0)
            continue;
        const std::string path = line.substr(prefix.size());
        // A line a user edited to point elsewhere is not carried; the uninstaller would refuse it anyway.
        if (PathStartsWith(path, installDir) && path.size() > installDir.size() &&
            path.find("..", installDir.size()) == std::string::npos)
            copied.push_back(path);
    }
    return copied;
}
