// The ftp protocol's two default values that an installation takes over,
// and the values of the product's Uninstall key that keep what they held
// before, so that the uninstall can give the protocol back.
#pragma once

#include <string>

struct TProtocolValue {
    const char* Key;      // under HKEY_CLASSES_ROOT; its default value
    const char* Previous; // the value of the Uninstall key keeping the old one
};

inline constexpr TProtocolValue ProtocolValues[] = {
    {"ftp\\DefaultIcon", "PreviousFtpIcon"},
    {"ftp\\shell\\open\\command", "PreviousFtpCommand"},
};

// A registry value starts (or shows the icon of) a program in directory
// (with its "\") when its path, quoted or not, lies there.
bool PointsInto(const std::string& value, const std::string& directory);

// A registry value starts (or shows the icon of) a program named exeName in
// any directory: the value a run of this product's setup wrote, wherever it installed.
bool StartsProgramNamed(const std::string& value, const std::string& exeName);
