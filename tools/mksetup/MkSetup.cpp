#include "tools/mksetup/MkSetup.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

#include "archive/ArchiveFormat.h"
#include "archive/ArchiveWriter.h"
#include "installer/SettingsRecord.h"
#include "platform/FileSystem.h"
#include "tools/mksetup/SetupImage.h"
#include "tools/mksetup/SetupPayload.h"

namespace fs = std::filesystem;

namespace {

const std::string Usage =
    "usage: mksetup [--stub FILE] [-m LZH|LH5|best] [--icon FILE.ico] [--version X.Y.Z.W] "
    "-s SETTINGS.ini -o SETUP.exe PAYLOAD_DIR";

struct TOptions {
    std::string Stub, Settings, Output, Icon, Version, Payload;
    uint8_t Method = MethodLZH;
};

TOptions ParseArguments(const std::vector<std::string>& args)
{
    TOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= args.size())
                throw EMkSetupError(arg + " needs a value\n" + Usage);
            return args[++i];
        };
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
        else if (arg == "-m") {
            const std::string method = value();
            if (method == "LZH")
                options.Method = MethodLZH;
            else if (method == "LH5")
                options.Method = MethodLH5;
            else if (method == "best")
                options.Method = MethodBest;
            else
                throw EMkSetupError("unknown method " + method + " (LZH, LH5 or best)");
        } else if (!arg.empty() && arg[0] == '-' && arg != "-")
            throw EMkSetupError("unknown option " + arg + "\n" + Usage);
        else if (options.Payload.empty())
            options.Payload = arg;
        else
            throw EMkSetupError("one payload directory only\n" + Usage);
    }
    if (options.Settings.empty())
        throw EMkSetupError("no settings file (-s)\n" + Usage);
    if (options.Output.empty())
        throw EMkSetupError("no output file (-o)\n" + Usage);
    if (options.Payload.empty())
        throw EMkSetupError("no payload directory\n" + Usage);
    return options;
}

std::vector<uint8_t> ReadFile(const std::string& path, const std::string& what)
{
    std::ifstream in(path, std::ios::binary);
    std::error_code error;
    if (!in || fs::is_directory(path, error))
        throw EMkSetupError("cannot read the " + what + " " + path);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string FindStub(const std::string& selfPath)
{
    std::error_code error;
    const fs::path self = fs::absolute(selfPath, error).parent_path();
    for (const fs::path& candidate : {self / StubFileName, self.parent_path() / InstalledStubDir / StubFileName})
        if (fs::is_regular_file(candidate, error))
            return candidate.string();
    throw EMkSetupError(std::string("no ") + StubFileName + " beside mksetup or in ../" + InstalledStubDir +
                        "; name one with --stub");
}

bool SameFile(const std::string& a, const std::string& b)
{
    std::error_code error;
    return fs::equivalent(a, b, error);
}

// Writes beside the output and renames into place, so that a failure leaves
// no output file (and an earlier one as it was).
void WriteOutput(const std::string& path, const std::vector<uint8_t>& bytes, const std::string& stubPath)
{
    const std::string temporary = path + ".mksetup-new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::error_code error;
            fs::remove(temporary, error);
            throw EMkSetupError("cannot write " + path);
        }
    }
    std::error_code error;
    // A program as runnable as the stub it is made of.
    fs::permissions(temporary, fs::status(stubPath, error).permissions(), error);
    fs::rename(temporary, path, error);
    if (error) {
        fs::remove(temporary, error);
        throw EMkSetupError("cannot write " + path);
    }
}

int Run(const std::vector<std::string>& args, const std::string& selfPath, std::ostream& out)
{
    const TOptions options = ParseArguments(args);
    const std::string stubPath = options.Stub.empty() ? FindStub(selfPath) : options.Stub;

    TSetupImageInput input;
    input.StubName = stubPath;
    input.Stub = ReadFile(stubPath, "stub");
    const std::vector<uint8_t> settingsBytes = ReadFile(options.Settings, "settings file");
    TSettingsFile settings;
    try {
        settings = ParseSettingsText(std::string(settingsBytes.begin(), settingsBytes.end()));
    } catch (const ESettingsError& e) {
        throw EMkSetupError(options.Settings + ": " + e.Message());
    }
    input.Settings = settings.Settings;
    input.Version = options.Version;
    VersionText(input); // a bad version is refused before the payload is read
    if (!options.Icon.empty())
        input.Icon = ReadFile(options.Icon, "icon file");

    TPayloadRequest request;
    request.Directory = options.Payload;
    request.Order = settings.Order;
    request.ExeName = input.Settings.ExeName;
    request.UninstallerName = input.Settings.Uninstaller;
    std::error_code error;
    const fs::path builtUninstaller = fs::absolute(stubPath, error).parent_path() / input.Settings.Uninstaller;
    if (fs::is_regular_file(builtUninstaller, error))
        request.BuiltUninstaller = builtUninstaller.string();
    TFileSystem& files = NativeFileSystem();
    const std::vector<TPayloadFile> plan = PlanPayload(files, request);
    // The stub, its manifest and the icon are checked by a setup program
    // made without archive, before the payload's coding takes its time.
    MakeSetupImage(input);

    // The output must not replace anything it is made of.
    std::vector<std::string> inputs = {stubPath, options.Settings, options.Payload};
    if (!options.Icon.empty())
        inputs.push_back(options.Icon);
    for (const TPayloadFile& file : plan)
        inputs.push_back(file.Path);
    for (const std::string& used : inputs)
        if (SameFile(options.Output, used))
            throw EMkSetupError("the output " + options.Output + " is one of the inputs (" + used + ")");

    input.Archive = PackPayload(files, plan, options.Method);
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
    } catch (const Exception& e) {
        err << "mksetup: " << e.Message() << "\n";
    } catch (const std::exception& e) {
        err << "mksetup: " << e.what() << "\n";
    }
    return 1;
}
