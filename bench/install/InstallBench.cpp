// Times a setup program's install run on this machine, in pieces, with the
// setup program's own code: its archive is read from the given setup.exe,
// mapped as a data file as the program maps its own image.
//   zarn_install_bench decode  SETUP.EXE          archive decoded, nothing written
//   zarn_install_bench write   SETUP.EXE DIR      archive expanded into DIR, no progress view
//   zarn_install_bench install SETUP.EXE DIR      the install run into DIR with the copy dialog
// Prints one line: the phase, the payload bytes, the seconds it took (wall
// and processor), and for "install" the seconds spent in the copy dialog's
// calls and how many there were (the gauge, the message processing, the
// texts), and the seconds of the registry entries (from their status to the
// shortcut question) and of the shortcuts (from there to the end). The run's registry entries and shortcuts
// are made as by the setup program: use a prefix kept for benchmarks.
#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "archive/Archiver.h"
#include "archive/StringList.h"
#include "installer/InstallRun.h"
#include "installer/ProgressView.h"
#include "installer/SettingsRecord.h"
#include "platform/FileSystem.h"
#include "platform/NativeServices.h"
#include "platform/Registry.h"
#include "platform/Resources.h"
#include "platform/UserQuestions.h"
#include "tests/support/DiscardFileSystem.h"
#include "ui/CopyDialog.h"
#include "platform/CodePage.h"

namespace {

double Seconds()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double ProcessorSeconds()
{
    FILETIME created, ended, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
    auto value = [](const FILETIME& t) {
        return static_cast<double>((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) * 1e-7;
    };
    return value(kernel) + value(user);
}

// The resources of another program's image, as it would see its own.
class TDataFileResources : public TResourceProvider {
public:
    explicit TDataFileResources(const char* path)
        : FModule(LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE))
    {
        if (FModule == nullptr)
            throw ELibraryLoadError(path);
    }
    ~TDataFileResources() override { FreeLibrary(FModule); }

    std::unique_ptr<TStream> OpenResource(const std::string&, const std::string& type,
                                          const std::string& name) override
    {
        HRSRC info = FindResourceA(FModule, name.c_str(), type.c_str());
        HGLOBAL handle = info != nullptr ? LoadResource(FModule, info) : nullptr;
        const void* data = handle != nullptr ? LockResource(handle) : nullptr;
        if (data == nullptr)
            throw EResNotFound("Resource " + name + " not found");
        return std::make_unique<TReadOnlyMemoryStream>(data, SizeofResource(FModule, info));
    }

private:
    HMODULE FModule;
};

// The copy dialog, with the time spent in its calls counted by kind: the
// gauge, the message processing, and the rest (file names, status, showing).
class TTimedView : public TProgressView {
public:
    enum { Gauge, Messages, Texts, Kinds };
    explicit TTimedView(TProgressView& inner) : FInner(inner) {}
    void SetStatusText(const std::string& text) override
    {
        StatusAt = Seconds();
        Timed(Texts, [&] { FInner.SetStatusText(text); });
    }
    void SetFileName(const std::string& name) override { Timed(Texts, [&] { FInner.SetFileName(name); }); }
    void SetProgress(int32_t percent) override { Timed(Gauge, [&] { FInner.SetProgress(percent); }); }
    void Show() override { Timed(Texts, [&] { FInner.Show(); }); }
    void Hide() override { Timed(Texts, [&] { FInner.Hide(); }); }
    void ProcessMessages() override { Timed(Messages, [&] { FInner.ProcessMessages(); }); }

    double Spent[Kinds] = {};
    double StatusAt = 0; // when the last status text came: the registry entries' start
    long Calls[Kinds] = {};

private:
    template <class F> void Timed(int kind, F f)
    {
        const double start = Seconds();
        f();
        Spent[kind] += Seconds() - start;
        ++Calls[kind];
    }
    TProgressView& FInner;
};

class TYesAnswers : public TUserQuestions {
public:
    double AskedAt = 0; // the shortcut question: the registry entries' end
    bool Confirm(const std::string&) override
    {
        AskedAt = Seconds();
        return true;
    }
    bool Retry(const std::string&) override { return false; }
    void Warn(const std::string&) override {}
};

int64_t PayloadBytes(TArchiver& archiver)
{
    TStringList names;
    archiver.ListArchiveContents(*archiver.OpenArchiveResource("data", ""), names);
    int64_t total = 0;
    for (int i = 0; i < names.Count(); ++i)
        total += static_cast<const TCompressedFileInfo*>(names.Objects(i))->ExpandedSize;
    return total;
}

int Usage()
{
    std::fprintf(stderr, "usage: zarn_install_bench decode SETUP.EXE | write SETUP.EXE DIR | install SETUP.EXE DIR\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return Usage();
    const std::string phase = argv[1];
    if ((phase == "decode") != (argc == 3) || (phase != "decode" && phase != "write" && phase != "install"))
        return Usage();
    try {
        TDataFileResources resources(argv[2]);
        int64_t bytes = 0;
        double wall = 0, processor = 0;
        if (phase == "decode" || phase == "write") {
            TDiscardFileSystem nowhere;
            TFileSystem& files = phase == "decode" ? static_cast<TFileSystem&>(nowhere) : NativeFileSystem();
            TArchiver archiver(files, &resources);
            archiver.MakeDirectories = true;
            archiver.CheckSpaceBeforeExpand = false;
            if (phase == "write")
                archiver.SetTargetPath(argv[3]);
            bytes = PayloadBytes(archiver);
            const double start = Seconds(), startProcessor = ProcessorSeconds();
            archiver.ExpandArchive(*archiver.OpenArchiveResource("data", ""), nullptr);
            wall = Seconds() - start;
            processor = std::max(0.0, ProcessorSeconds() - startProcessor); // never "-0.0000"
            std::printf("%s %lld %.4f %.4f\n", phase.c_str(), static_cast<long long>(bytes), wall, processor);
            return 0;
        }

        CoInitialize(nullptr);
        TSetupControl settings = EmbeddedSettings(resources, AnsiCodePage());
        const std::unique_ptr<TRegistry> registry = MakeNativeRegistry();
        const std::string winDir = PrepareStartup(settings, *registry, NativeSystemInfo());
        const std::string directory = argv[3];
        CreateDirectoryA(directory.c_str(), nullptr);
        TCopyDialog dialog(nullptr, [] {});
        TTimedView view(dialog);
        TYesAnswers answers;
        TStringList fileList;
        const TInstallServices services{NativeFileSystem(), resources, *registry, NativeShellLinks(),
                                        answers,            NativeClock(), view};
        TInstallRun run(settings, winDir, fileList, services);
        bytes = PayloadBytes(run.Comp);
        const double start = Seconds(), startProcessor = ProcessorSeconds();
        run.InstallFiles(directory);
        const double end = Seconds();
        wall = end - start;
        processor = std::max(0.0, ProcessorSeconds() - startProcessor); // never "-0.0000"
        std::printf("%s %lld %.4f %.4f", phase.c_str(), static_cast<long long>(bytes), wall, processor);
        for (int kind = 0; kind < TTimedView::Kinds; ++kind)
            std::printf(" %.4f %ld", view.Spent[kind], view.Calls[kind]);
        std::printf(" %.4f %.4f\n", answers.AskedAt - view.StatusAt, end - answers.AskedAt);
        CoUninitialize();
    } catch (const Exception& e) {
        std::fprintf(stderr, "zarn_install_bench: %s\n", e.Message().c_str());
        return 1;
    }
    return 0;
}
