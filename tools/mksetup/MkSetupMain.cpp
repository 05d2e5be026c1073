// mksetup: makes a setup program of the setup stub, a settings file and a
// payload directory. All of the work is in MkSetup.cpp.
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "tools/mksetup/MkSetup.h"

int main(int argc, char** argv)
{
    // Its own file, to find the stub beside it: on Linux the link in /proc
    // names it whatever the command line said.
    std::string self = argc > 0 ? argv[0] : "mksetup";
    std::error_code error;
    const auto proc = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error)
        self = proc.string();
    return RunMkSetup(std::vector<std::string>(argv + 1, argv + argc), self, std::cout, std::cerr);
}
