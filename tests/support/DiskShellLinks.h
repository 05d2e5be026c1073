// Shell links kept as files of a (test) file system, as the shell keeps
// them: a link's fields in one text file, written with the file system's
// create-always. The Nth link object cannot be made, on demand.
#pragma once

#include <string>

#include "platform/FileSystem.h"
#include "platform/ShellLinks.h"

class TDiskShellLinks : public TShellLinks {
public:
    explicit TDiskShellLinks(TFileSystem& files) : FFiles(files) {}

    int FailAt = 0; // counts SaveLink calls from 1; 0 never fails
    int Calls = 0;

    void SaveLink(const TShellLinkInfo& link) override
    {
        if (++Calls == FailAt)
            throw EShellLinkError("Class not registered");
        const std::string text = link.Target + "|" + link.Arguments + "|" + link.Description + "|" +
                                 link.WorkingDir + "|" + std::to_string(link.ShowCmd);
        try {
            FFiles.CreateAlways(link.LinkFile)->Write(text.data(), static_cast<int32_t>(text.size()));
        } catch (const Exception& e) {
            throw ELinkNotSaved("Cannot save \"" + link.LinkFile + "\": " + e.Message());
        }
    }

    bool LoadLink(const std::string& linkFile, TShellLinkInfo& link) override
    {
        if (!FFiles.FileExists(linkFile))
            return false;
        link.LinkFile = linkFile;
        return true;
    }

private:
    TFileSystem& FFiles;
};
