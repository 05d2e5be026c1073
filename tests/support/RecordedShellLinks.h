// A shell link sink that keeps every link it is asked to save, and reads
// back the last one saved under a file's name.
#pragma once

#include <string>
#include <vector>

#include "platform/ShellLinks.h"

class TRecordedShellLinks : public TShellLinks {
public:
    std::vector<TShellLinkInfo> Links;   // saved, in order; a test may add links made elsewhere
    std::vector<std::string> Loaded;     // the link files asked for, in order
    int FailAt = 0; // the Nth link's object cannot be created (0: never)
    std::vector<std::string> Unwritable; // link files the shell cannot save

    void SaveLink(const TShellLinkInfo& link) override
    {
        if (static_cast<int>(Links.size()) + 1 == FailAt)
            throw EShellLinkError("Class not registered");
        for (const std::string& file : Unwritable)
            if (SameFile(file, link.LinkFile))
                throw ELinkNotSaved("Cannot save \"" + link.LinkFile + "\"");
        Links.push_back(link);
    }

    // Names compared as Windows compares them: ASCII case and either separator.
    bool LoadLink(const std::string& linkFile, TShellLinkInfo& link) override
    {
        Loaded.push_back(linkFile);
        for (auto it = Links.rbegin(); it != Links.rend(); ++it)
            if (SameFile(it->LinkFile, linkFile)) {
                link = *it;
                return true;
            }
        return false;
    }

private:
    static bool SameFile(const std::string& a, const std::string& b)
    {
        const auto fold = [](char c) {
            return c == '/' ? '\\' : c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        };
        if (a.size() != b.size())
            return false;
        for (size_t i = 0; i < a.size(); ++i)
            if (fold(a[i]) != fold(b[i]))
                return false;
        return true;
    }
};
