// mksetup against "vkar c" on the same 60 MB payload, both run as the
// programs a packager runs: mksetup codes the payload as vkar does and then
// writes the stub around it, which should cost well under a second more.
// The stub is a small stand-in made by the tests' image builder (the real
// one is a Windows build's output); its size does not change the coding.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/ArchiveBuilder.h"
#include "tests/support/PEImageBuilder.h"
#include "tests/support/TestData.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t PayloadBytes = 60u << 20;

void WriteBytes(const fs::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

// A payload of programs and texts, a stub, unzarn.exe and settings, made once.
const fs::path& Workspace()
{
    static const fs::path dir = [] {
        const fs::path d = fs::temp_directory_path() / "zarn-mksetup-bench";
        fs::remove_all(d);
        fs::create_directories(d / "payload");
        const size_t part = PayloadBytes / 6;
        WriteBytes(d / "payload/ZarnFTP.exe", MakeBinary(2 * part, 11));
        WriteBytes(d / "payload/ZarnFTP.HLP", MakeText(2 * part, 12));
        WriteBytes(d / "payload/README.TXT", MakeText(part, 13));
        WriteBytes(d / "payload/sounds.dat", MakeRuns(part, 14));
        const std::string manifest = "<assembly><assemblyIdentity name=\"Zarn.ZarnFTP.Setup\" version=\"2.7.4.0\"/>"
                                     "<description>stub</description></assembly>";
        WriteBytes(d / "setup-stub.exe", BuildStubImage({{"#24", "#1", Bytes(manifest)},
                                                         {"SETUPSTUB", "DATA", Bytes("stub")}}));
        WriteBytes(d / "payload/whatsnew.txt", MakeText(2000, 16));
        // A program mksetup can give the release's version to.
        WriteBytes(d / "unzarn.exe", BuildStubImage({{"#10", "#1", MakeBinary(500000, 15)}}));
        std::ofstream(d / "settings.ini") << "ProgramName=ZarnFTP\nCaptionName=ZarnFTP 2.8.0\nTargetPath=%\\ZarnFTP\n"
                                             "ExeName=ZarnFTP.exe\nHelpFile=ZarnFTP.hlp\nUninstaller=unzarn.exe\n"
                                             "Custom=False\nShortcutDesktop=True\nShortcutSendTo=True\n"
                                             "ShortcutStartMenu=True\nRegisterExt=True\n";
        return d;
    }();
    return dir;
}

void RunCommand(benchmark::State& state, const std::string& command, const fs::path& output)
{
    for (auto _ : state) {
        fs::remove(output);
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError(("failed: " + command).c_str());
            return;
        }
    }
    state.counters["output_bytes"] = static_cast<double>(fs::file_size(output));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * PayloadBytes));
}

void BM_VkarCreate60MB(benchmark::State& state)
{
    const fs::path& d = Workspace();
    fs::copy_file(d / "unzarn.exe", d / "payload/unzarn.exe", fs::copy_options::overwrite_existing);
    RunCommand(state,
               std::string("\"") + VKAR_PATH + "\" c -q -m LZH -C \"" + (d / "payload").string() + "\" \"" +
                   (d / "out.vkar").string() + "\" ZarnFTP.exe ZarnFTP.HLP README.TXT sounds.dat unzarn.exe",
               d / "out.vkar");
    fs::remove(d / "payload/unzarn.exe");
}

void BM_MkSetup60MB(benchmark::State& state)
{
    const fs::path& d = Workspace();
    fs::remove(d / "payload/unzarn.exe"); // taken from beside the stub
    RunCommand(state,
               std::string("\"") + MKSETUP_PATH + "\" --stub \"" + (d / "setup-stub.exe").string() + "\" -s \"" +
                   (d / "settings.ini").string() + "\" -o \"" + (d / "setup.exe").string() + "\" \"" +
                   (d / "payload").string() + "\" >/dev/null",
               d / "setup.exe");
}

} // namespace

BENCHMARK(BM_VkarCreate60MB)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MkSetup60MB)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);
