#include "tools/mksetup/MkSetup.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>

#include "archive/ArchiveFormat.h"
#include "archive/ArchiveWriter.h"
#include "installer/SettingsRecord.h"
#include "platform/CodePage.h"
#include "tools/mksetup/HostPath.h"
#include "platform/FileSystem.h"
#include "tools/mksetup/SettingsCheck.h"
#include "tools/mksetup/SetupImage.h"
#include "tools/mksetup/SetupPayload.h"

namespace fs = std::filesystem;

namespace {

// A command line mksetup cannot follow: status 2, with the usage.
DECLARE_EXCEPTION(EUsageError);

const std::string Usage =
    "usage: mksetup [--stub FILE] [-m LZH|LH5|best] [--icon FILE.ico] [--version X.Y.Z.W] [--codepage N]\n"
    "               -s SETTINGS.ini -o SETUP.exe PAYLOAD_DIR\n"
    "       mksetup --help";

const std::string Help =
    "Makes a setup program of the setup stub, a settings file and a directory of files.\n\n" + Usage +
    "\n\n"
    "  -s SETTINGS.ini    the settings record (UTF-8): ProgramName, CaptionName, ...\n"
    "  -o SETUP.exe       the setup program to write (not inside PAYLOAD_DIR)\n"
    "  PAYLOAD_DIR        the files to install, one directory without subdirectories\n"
    "  --stub FILE        the setup stub (default: setup-stub.exe beside mksetup\n"
    "                     or in ../share/zarnftp-setup)\n"
    "  -m METHOD          LZH (default), LH5 or best (the smaller of the two per file)\n"
    "  --icon FILE.ico    the setup program's icon (default: the stub's)\n"
    "  --version X.Y.Z.W  the release's version (default: Version in the settings,\n"
    "                     else the last word of CaptionName)\n"
    "  --codepage N       the ANSI code page of the Windows it installs on (default 1252)\n\n"
    "Entry dates are the files' times in UTC, no later than SOURCE_DATE_EPOCH when it is set.\n"
    "Status 0 when SETUP.exe is written, 1 when an input is refused (nothing is written),\n"
    "2 for a command line it cannot follow.\n";

struct TOptions {
    std::string Stub, Settings, Output, Icon, Version, Payload;
    uint8_t Method = MethodLZH;
    unsigned CodePage = cpWestern;
    bool Help = false;
};

unsigned ParseCodePage(const std::string& text)
{
    const bool digits = !text.empty() && text.size() <= 5 && text.find_first_not_of("0123456789") == std::string::npos;
    const unsigned codePage = digits ? static_cast<unsigned>(std::stoul(text)) : 0;
    try {
        if (codePage != 0) {
            AnsiToUtf16("A", codePage);
            return codePage;
        }
    } catch (const EConvertError&) {
    }
    throw EUsageError("--codepage " + text + ": not a code page this system can convert");
}

TOptions ParseArguments(const std::vector<std::string>& args)
{
    TOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= args.size())
                throw EUsageError(arg + " needs a value");
            return args[++i];
        };
        if (arg == "--help" || arg == "-h") {
            options.Help = true;
            return options;
        }
        if (arg == "--stub")
            options.Stub = value();
        else if (arg == "-s")
            options.Settings = value();
        else if (arg == "-o")
            options.Output = value();
        else if (arg == "--icon")
            options.Icon = value();
        else if (arg == "--version")
            options.Version = value();
        else if (arg == "--codepage")
            options.CodePage = ParseCodePage(value());
        else if (arg == "-m") {
            const std::string method = value();
            if (method == "LZH")
                options.Method = MethodLZH;
            else if (method == "LH5")
                options.Method = MethodLH5;
            else if (method == "best")
                options.Method = MethodBest;
            else
                throw EUsageError("unknown method " + method + " (LZH, LH5 or best)");
        } else if (!arg.empty() && arg[0] == '-' && arg != "-")
            throw EUsageError("unknown option " + arg);
        else if (options.Payload.empty())
            options.Payload = arg;
        else
            throw EUsageError("one payload directory only");
    }
    if (options.Settings.empty())
        throw EUsageError("no settings file (-s)");
    if (options.Output.empty())
        throw EUsageError("no output file (-o)");
    if (options.Payload.empty())
        throw EUsageError("no payload directory");
    return options;
}

// The whole file, or EMkSetupError with the system's reason.
std::vector<uint8_t> ReadFile(const std::string& path, const std::string& what)
{
    const std::string failure = "cannot read the " + what + " " + path + ": ";
    std::error_code error;
    if (fs::is_directory(HostPath(path), error))
        throw EMkSetupError(failure + "it is a directory");
    std::FILE* file = OpenHostFile(path, "rb");
    if (!file)
        throw EMkSetupError(failure + std::strerror(errno));
    std::vector<uint8_t> bytes;
    uint8_t buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + got);
    const bool failed = std::ferror(file) != 0;
    const int reason = errno;
    std::fclose(file);
    if (failed)
        throw EMkSetupError(failure + std::strerror(reason));
    return bytes;
}

std::string FindStub(const std::string& selfPath)
{
    std::error_code error;
    const fs::path self = fs::absolute(HostPath(selfPath), error).parent_path();
    for (const fs::path& candidate : {self / StubFileName, self.parent_path() / InstalledStubDir / StubFileName})
        if (fs::is_regular_file(candidate, error))
            return HostText(candidate);
    throw EMkSetupError(std::string("no ") + StubFileName + " beside mksetup or in ../" + InstalledStubDir +
                        "; name one with --stub");
}

bool SameFile(const std::string& a, const std::string& b)
{
    std::error_code error;
    return fs::equivalent(HostPath(a), HostPath(b), error);
}

// What makes an output impossible, said before the payload's coding takes its time.
void CheckOutputPlace(const std::string& output, const std::string& payload)
{
    std::error_code error;
    if (fs::is_directory(HostPath(output), error))
        throw EMkSetupError("cannot write " + output + ": it is a directory");
    const fs::path folder = fs::absolute(HostPath(output), error).parent_path();
    if (!fs::is_directory(folder, error))
        throw EMkSetupError("cannot write " + output + ": the folder " + HostText(folder) + " does not exist");
    // A setup program in its own payload would be packed into the next one.
    const fs::path payloadDir = fs::weakly_canonical(fs::absolute(HostPath(payload), error), error);
    const fs::path outputDir = fs::weakly_canonical(folder, error);
    const auto mismatch = std::mismatch(payloadDir.begin(), payloadDir.end(), outputDir.begin(), outputDir.end());
    if (!payloadDir.empty() && mismatch.first == payloadDir.end())
        throw EMkSetupError("the output " + output + " lies inside the payload directory " + payload);
}

// Writes beside the output and renames into place, so that a failure leaves
// no output file (and an earlier one as it was).
void WriteOutput(const std::string& path, const std::vector<uint8_t>& bytes, const std::string& stubPath)
{
    const std::string temporary = path + ".mksetup-new";
    std::FILE* file = OpenHostFile(temporary, "wb");
    if (!file)
        throw EMkSetupError("cannot write " + path + ": " + std::strerror(errno));
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const int reason = errno;
    const bool closed = std::fclose(file) == 0;
    std::error_code error;
    if (!written || !closed) {
        fs::remove(HostPath(temporary), error);
        throw EMkSetupError("cannot write " + path + ": " + std::strerror(written ? errno : reason));
    }
    // A program as runnable as the stub it is made of.
    fs::permissions(HostPath(temporary), fs::status(HostPath(stubPath), error).permissions(), error);
    fs::rename(HostPath(temporary), HostPath(path), error);
    if (error) {
        const std::string reasonText = error.message();
        fs::remove(HostPath(temporary), error);
        throw EMkSetupError("cannot write " + path + ": " + reasonText);
    }
}

// SOURCE_DATE_EPOCH, the reproducible-builds convention: no entry is dated later.
std::optional<int64_t> LatestDate()
{
    const char* text = std::getenv("SOURCE_DATE_EPOCH");
    if (!text || !*text)
        return std::nullopt;
    const std::string value = text;
    if (value.size() > 12 || value.find_first_not_of("0123456789") != std::string::npos)
        throw EMkSetupError("SOURCE_DATE_EPOCH is \"" + value + "\", not a number of seconds since 1970");
    return std::stoll(value);
}

int Run(const std::vector<std::string>& args, const std::string& selfPath, std::ostream& out)
{
    const TOptions options = ParseArguments(args);
    if (options.Help) {
        out << Help;
        return 0;
    }
    const std::optional<int64_t> latest = LatestDate();
    const std::string stubPath = options.Stub.empty() ? FindStub(selfPath) : options.Stub;

    TSetupImageInput input;
    input.StubName = stubPath;
    input.CodePage = options.CodePage;
    input.Stub = ReadFile(stubPath, "stub");
    const std::vector<uint8_t> settingsBytes = ReadFile(options.Settings, "settings file");
    TSettingsFile settings;
    try {
        settings = ParseSettingsText(
            SettingsTextInCodePage(std::string(settingsBytes.begin(), settingsBytes.end()), options.CodePage));
        CheckSettings(settings.Settings, options.CodePage);
    } catch (const ESettingsError& e) {
        throw EMkSetupError(options.Settings + ": " + e.Message());
    } catch (const EMkSetupError& e) {
        throw EMkSetupError(options.Settings + ": " + e.Message());
    }
    input.Settings = settings.Settings;
    input.Version = options.Version;
    VersionText(input); // a bad version is refused before the payload is read
    if (!options.Icon.empty())
        input.Icon = ReadFile(options.Icon, "icon file");
    // The stub, its manifest and the icon are checked by a setup program
    // made without archive, before the payload is looked at.
    MakeSetupImage(input);
    CheckOutputPlace(options.Output, options.Payload);

    TPayloadRequest request;
    request.Directory = options.Payload;
    request.CodePage = options.CodePage;
    request.Order = settings.Order;
    request.ExeName = input.Settings.ExeName;
    request.UninstallerName = input.Settings.Uninstaller;
    std::error_code error;
    const fs::path builtUninstaller = fs::absolute(HostPath(stubPath), error).parent_path() / input.Settings.Uninstaller;
    if (fs::is_regular_file(builtUninstaller, error))
        request.BuiltUninstaller = HostText(builtUninstaller);
    TFileSystem& files = NativeFileSystem();
    std::vector<TPayloadFile> plan = PlanPayload(files, request);
    // The uninstaller says the release's version, as the setup program does.
    for (TPayloadFile& file : plan)
        if (SameAnsiTextIgnoringCase(file.Name, input.Settings.Uninstaller, options.CodePage))
            file.Bytes = MakeUninstallerImage(ReadFile(file.Path, "uninstaller"), file.Path, input);

    // The output must not replace anything it is made of.
    std::vector<std::string> inputs = {stubPath, options.Settings, options.Payload};
    if (!options.Icon.empty())
        inputs.push_back(options.Icon);
    for (const TPayloadFile& file : plan)
        inputs.push_back(file.Path);
    for (const std::string& used : inputs)
        if (SameFile(options.Output, used))
            throw EMkSetupError("the output " + options.Output + " is one of the inputs (" + used + ")");

    input.Archive = PackPayload(files, plan, options.Method, latest);
    const std::vector<uint8_t> image = MakeSetupImage(input);
    WriteOutput(options.Output, image, stubPath);
    out << options.Output << ": " << image.size() << " bytes, " << plan.size() << " files, version "
        << VersionText(input) << "\n";
    return 0;
}

} // namespace

int RunMkSetup(const std::vector<std::string>& args, const std::string& selfPath, std::ostream& out,
               std::ostream& err)
{
    try {
        return Run(args, selfPath, out);
    } catch (const EUsageError& e) {
        err << "mksetup: " << e.Message() << "\n" << Usage << "\n";
        return 2;
    } catch (const Exception& e) {
        err << "mksetup: " << e.Message() << "\n";
    } catch (const std::exception& e) {
        err << "mksetup: " << e.what() << "\n";
    }
    return 1;
}
