// What the installer asks the system about itself.
#pragma once

#include <string>

class TSystemInfo {
public:
    virtual ~TSystemInfo() = default;
    // The Windows directory as the system returns it in a 260-character buffer (the text may end in NULs).
    virtual std::string WindowsDirectory() = 0;
};
