// vkar: creates, lists, tests and expands archives from the command line.
// Every failure ends here as a message and an exit status, never as an
// uncaught exception.
#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "platform/Exception.h"
#include "tools/vkar/VkarCommands.h"
#include "tools/vkar/VkarOptions.h"
#include "tools/vkar/VkarReport.h"
#include "tools/vkar/VkarSignals.h"

#ifdef _WIN32
#include "platform/HostPath.h"
#endif

namespace {

int Run(const TVkarOptions& options)
{
    switch (options.Command) {
    case TVkarCommand::vcHelp: std::fputs(VkarUsageText().c_str(), stdout); return VkarExitOK;
    case TVkarCommand::vcVersion: VkarPrintLine(VkarVersionText); return VkarExitOK;
    case TVkarCommand::vcCreate: return RunCreate(options);
    case TVkarCommand::vcList: return RunList(options);
    case TVkarCommand::vcTest: return RunTest(options);
    case TVkarCommand::vcExtract: return RunExtract(options);
    case TVkarCommand::vcPrint: return RunPrint(options);
    }
    return VkarExitUsage;
}

// arguments: the command line without the program's name.
int RunCommandLine(const std::vector<std::string>& arguments)
{
    VkarOpenStandardDescriptors();
    int status = VkarExitFailure;
    try {
        TVkarOptions options;
        try {
            options = ParseVkarOptions(arguments);
        } catch (const EVkarUsage& e) {
            VkarReportError("", e.Message());
            std::fputs("Try 'vkar --help' for more information.\n", stderr);
            return VkarExitUsage;
        }
        if (!options.Archive.empty())
            VkarSetArchiveName(options.Archive);
        status = Run(options);
    } catch (const Exception& e) {
        VkarReportError("", e.Message());
        status = VkarExitFailure;
    } catch (const std::bad_alloc&) {
        VkarReportError("", "Out of memory");
        status = VkarExitFailure;
    } catch (const std::exception& e) {
        VkarReportError("", e.what());
        status = VkarExitFailure;
    } catch (...) {
        VkarReportError("", "Unexpected failure");
        status = VkarExitFailure;
    }
    // A listing that could not be written (a full disk, a closed pipe) is a
    // failure too.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fputs("vkar: Cannot write to standard output\n", stderr);
        if (status == VkarExitOK)
            status = VkarExitFailure;
    }
    return status;
}

} // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv)
{
    const std::vector<std::string> arguments = HostArguments(argc, argv);
    return RunCommandLine(std::vector<std::string>(arguments.begin() + (arguments.empty() ? 0 : 1), arguments.end()));
}
#else
int main(int argc, char** argv)
{
    return RunCommandLine(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
