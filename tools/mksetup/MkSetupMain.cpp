// mksetup: makes a setup program of the setup stub, a settings file and a
// payload directory. All of the work is in MkSetup.cpp.
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "tools/mksetup/MkSetup.h"

#ifdef _WIN32
#include "platform/HostPath.h"
#endif

namespace {

// arguments[0] is the program as the command line named it.
int Run(const std::vector<std::string>& arguments)
{
    // Its own file, to find the stub beside it: on Linux the link in /proc
    // names it whatever the command line said.
    std::string self = arguments.empty() ? "mksetup" : arguments[0];
    std::error_code error;
    const auto proc = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error)
        self = proc.string();
    return RunMkSetup(std::vector<std::string>(arguments.begin() + (arguments.empty() ? 0 : 1), arguments.end()),
                      self, std::cout, std::cerr);
}

} // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv)
{
    return Run(HostArguments(argc, argv));
}
#else
int main(int argc, char** argv)
{
    return Run(std::vector<std::string>(argv, argv + argc));
}
#endif
