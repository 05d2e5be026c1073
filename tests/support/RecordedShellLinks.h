// A shell link sink that keeps every link it is asked to save.
#pragma once

#include <vector>

#include "platform/ShellLinks.h"

class TRecordedShellLinks : public TShellLinks {
public:
    std::vector<TShellLinkInfo> Links;
    int FailAt = 0; // the Nth link's object cannot be created (0: never)

    void SaveLink(const TShellLinkInfo& link) override
    {
        if (static_cast<int>(Links.size()) + 1 == FailAt)
            throw EShellLinkError("Class not registered");
        Links.push_back(link);
    }
};
