// mksetup's command line:
//   mksetup [--stub FILE] [-m LZH|LH5|best] [--icon FILE.ico] [--version X.Y.Z.W]
//           [--codepage N] -s SETTINGS.ini -o SETUP.exe PAYLOAD_DIR
//   mksetup --help
// Status 0 when SETUP.exe is written (or the help shown); 1 with a message on
// standard error and no SETUP.exe left behind when an input is refused; 2
// with the usage for a command line it cannot follow.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

inline constexpr const char* StubFileName = "setup-stub.exe";
// Where "cmake --install" puts the stubs and unzarn.exe, from the prefix.
inline constexpr const char* InstalledStubDir = "share/zarnftp-setup";

// selfPath is mksetup's own file: its stub is found beside it or in the
// installed place below the prefix it lies in.
int RunMkSetup(const std::vector<std::string>& args, const std::string& selfPath, std::ostream& out,
               std::ostream& err);
