// The registry step alone: each row and its data, the protocol keys that are
// only updated, and a refused key or write ending the step.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "tests/support/InstallBench.h"

namespace {

const std::string Uninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZarnFTP";
const std::string AppPaths = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\ZarnFTP.exe";
const std::string OtherAppPaths = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Other.exe";
const std::string DefaultIcon = "ftp\\DefaultIcon";
const std::string Command = "ftp\\shell\\open\\command";

using TWrite = TMemoryRegistry::TWrite;

std::vector<TWrite> Rows(const std::string& D)
{
    return {
        {rkLocalMachine, Uninstall, "DisplayName", "ZarnFTP"},
        {rkLocalMachine, Uninstall, "UninstallString", WindowsDir + "unzarn.exe " + D + "install.log"},
        {rkLocalMachine, Uninstall, "QuietUninstallString", WindowsDir + "unzarn.exe /S " + D + "install.log"},
        // What the protocol held before, for the uninstall to give back.
        {rkLocalMachine, Uninstall, "PreviousFtpIcon", "C:\\old\\ftp.exe,1"},
        {rkLocalMachine, Uninstall, "PreviousFtpCommand", "C:\\old\\ftp.exe %1"},
        {rkLocalMachine, AppPaths, "", D + "ZarnFTP.exe"},
        {rkLocalMachine, AppPaths, "Path", D.substr(0, D.size() - 1)},
        {rkClassesRoot, DefaultIcon, "", D + "ZarnFTP.exe,0"},
        {rkClassesRoot, Command, "", "\"" + D + "ZarnFTP.exe\" \"%1\""},
    };
}

// The Uninstall key's values for the list of programs, written after the
// rows above that it holds; the bench's settings name no version,
// publisher or URL, and its archive was not listed.
std::vector<TWrite> Details(const std::string& D, const std::string& exe = "ZarnFTP.exe")
{
    return {{rkLocalMachine, Uninstall, "DisplayIcon", D + exe},
            {rkLocalMachine, Uninstall, "InstallLocation", D},
            {rkLocalMachine, Uninstall, "EstimatedSize", "0"},
            {rkLocalMachine, Uninstall, "NoModify", "1"},
            {rkLocalMachine, Uninstall, "NoRepair", "1"}};
}
constexpr size_t DetailRows = 100; // stands for Details(D) among the indexes

std::vector<TWrite> RowsOf(const std::string& D, std::initializer_list<size_t> indexes)
{
    const std::vector<TWrite> all = Rows(D);
    std::vector<TWrite> picked;
    for (size_t i : indexes) {
        if (i == DetailRows)
            for (const TWrite& w : Details(D))
                picked.push_back(w);
        else
            picked.push_back(all[i]);
    }
    return picked;
}

struct TCase {
    const char* Name;
    std::function<void(TInstallBench&)> Arrange;
    std::string D;
    std::vector<TWrite> Written;
    std::string RegKey;
    std::vector<std::string> ProtocolKeys = {DefaultIcon, Command}; // ftp keys there afterwards
};

TEST(RegistryEntriesTest, RowsWrittenAndTheKeyLogged)
{
    const std::string D = "C:\\Program Files\\ZarnFTP\\";
    const std::vector<TCase> cases = {
        {"every row", [](TInstallBench&) {}, D, RowsOf(D, {0, 1, 2, 3, 4, DetailRows, 5, 6, 7, 8}), Command},
        {"a destination without blanks", [](TInstallBench&) {}, "C:\\Tools\\",
         RowsOf("C:\\Tools\\", {0, 1, 2, 3, 4, DetailRows, 5, 6, 7, 8}), Command},
        {"no protocol registration", [](TInstallBench& b) { b.Settings.RegisterExt = false; }, D,
         RowsOf(D, {0, 1, 2, DetailRows, 5, 6}), AppPaths},
        {"no ftp\\DefaultIcon key", [](TInstallBench& b) { b.Registry.RemoveKey(rkClassesRoot, DefaultIcon); }, D,
         RowsOf(D, {0, 1, 2, 4, DetailRows, 5, 6, 8}), Command, {Command}},
        {"an empty ftp\\DefaultIcon key",
         [](TInstallBench& b) {
             b.Registry.RemoveKey(rkClassesRoot, DefaultIcon);
             b.Registry.AddKey(rkClassesRoot, DefaultIcon);
         },
         D, RowsOf(D, {0, 1, 2, 4, DetailRows, 5, 6, 7, 8}), Command},
        {"a reinstall finds its own values and keeps nothing new",
         [&](TInstallBench& b) {
             b.Registry.SetValue(rkClassesRoot, DefaultIcon, "", Rows(D)[7].Data);
             b.Registry.SetValue(rkClassesRoot, Command, "", Rows(D)[8].Data);
         },
         D, RowsOf(D, {0, 1, 2, DetailRows, 5, 6, 7, 8}), Command},
        {"ftp not registered",
         [](TInstallBench& b) {
             b.Registry.RemoveKey(rkClassesRoot, DefaultIcon);
             b.Registry.RemoveKey(rkClassesRoot, Command);
         },
         D, RowsOf(D, {0, 1, 2, DetailRows, 5, 6}), Command, {}},
        {"icon write refused", [](TInstallBench& b) { b.Registry.RefusedWrites = {DefaultIcon + "\\"}; }, D,
         RowsOf(D, {0, 1, 2, 3, 4, DetailRows, 5, 6, 8}), Command},
        {"ExeName of another build",
         [](TInstallBench& b) { b.Settings.ExeName = "Other.exe"; }, D,
         {Rows(D)[0], Rows(D)[1], Rows(D)[2], Rows(D)[3], Rows(D)[4], Details(D, "Other.exe")[0], Details(D)[1],
          Details(D)[2], Details(D)[3], Details(D)[4], {rkLocalMachine, OtherAppPaths, "", D + "Other.exe"},
          {rkLocalMachine, OtherAppPaths, "Path", D.substr(0, D.size() - 1)},
          {rkClassesRoot, DefaultIcon, "", D + "Other.exe,0"},
          {rkClassesRoot, Command, "", "\"" + D + "Other.exe\" \"%1\""}},
         Command},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TInstallBench bench;
        c.Arrange(bench);
        bench.OpenLog();
        bench.Run.CreateRegistryEntries(c.D);
        bench.Run.LogFile.Close();
        EXPECT_EQ(bench.Registry.Writes, c.Written);
        EXPECT_EQ(bench.LogLines(), std::vector<std::string>{"RegKey: " + c.RegKey});
        EXPECT_FALSE(bench.Registry.HasOpenKey());
        // The protocol's keys are updated, never made.
        for (const std::string& key : {DefaultIcon, Command})
            EXPECT_EQ(bench.Registry.KeyExists(rkClassesRoot, key),
                      std::find(c.ProtocolKeys.begin(), c.ProtocolKeys.end(), key) != c.ProtocolKeys.end())
                << key;
    }
}

TEST(RegistryEntriesTest, RefusedKeyOrWriteEndsTheStepKeepingEarlierEntries)
{
    const std::string D = "C:\\Program Files\\ZarnFTP\\";
    struct TFailure {
        std::set<std::string> RefusedKeys, RefusedWrites;
        std::string Message;
        std::vector<TWrite> Kept;
    };
    const std::vector<TFailure> cases = {
        {{Uninstall}, {}, "Failed to set data for 'DisplayName'", {}},
        {{AppPaths}, {}, "Failed to set data for ''", RowsOf(D, {0, 1, 2, 3, 4, DetailRows})},
        {{}, {AppPaths + "\\Path"}, "Failed to set data for 'Path'", RowsOf(D, {0, 1, 2, 3, 4, DetailRows, 5})},
        // Without the old value kept, the protocol is not overwritten either.
        {{}, {Uninstall + "\\PreviousFtpCommand"}, "Failed to set data for 'PreviousFtpCommand'", RowsOf(D, {0, 1, 2, 3})},
    };
    for (const TFailure& c : cases) {
        SCOPED_TRACE(c.Message);
        TInstallBench bench;
        bench.Registry.RefusedKeys = c.RefusedKeys;
        bench.Registry.RefusedWrites = c.RefusedWrites;
        bench.OpenLog();
        try {
            bench.Run.CreateRegistryEntries(D);
            ADD_FAILURE() << "no error";
        } catch (const ERegistryException& e) {
            EXPECT_EQ(e.Message(), c.Message);
        }
        bench.Run.LogFile.Close();
        EXPECT_EQ(bench.Registry.Writes, c.Kept);
        EXPECT_TRUE(bench.LogLines().empty());
        EXPECT_FALSE(bench.Registry.HasOpenKey());
    }
}

TEST(RegistryEntriesTest, SecondRunWritesTheSameValuesAndRemovesNothing)
{
    const std::string D = "C:\\Program Files\\ZarnFTP\\";
    TInstallBench bench;
    bench.Registry.SetValue(rkLocalMachine, Uninstall, "Comments", "set by someone else");
    bench.OpenLog();
    bench.Run.CreateRegistryEntries(D);
    const auto afterFirst = bench.Registry.Keys();
    bench.Run.CreateRegistryEntries(D);
    bench.Run.LogFile.Close();

    // The second run finds the protocol pointing into D already: what it
    // held before the first run stays the value kept, not ours.
    std::vector<TWrite> twice = RowsOf(D, {0, 1, 2, 3, 4, DetailRows, 5, 6, 7, 8});
    for (const TWrite& w : RowsOf(D, {0, 1, 2, DetailRows, 5, 6, 7, 8}))
        twice.push_back(w);
    EXPECT_EQ(bench.Registry.Writes, twice);
    EXPECT_EQ(bench.Registry.Keys(), afterFirst);
    ASSERT_NE(bench.Registry.Value(rkLocalMachine, Uninstall, "Comments"), nullptr);
    EXPECT_EQ(bench.Registry.Value(rkLocalMachine, Uninstall, "Comments")->Data, "set by someone else");
    EXPECT_EQ(bench.LogLines(), (std::vector<std::string>{"RegKey: " + Command, "RegKey: " + Command}));
    EXPECT_FALSE(bench.Registry.HasOpenKey());
}

// A whole install: the release's facts from the settings, the size of what
// the archive lists, the flags as DWORDs.
TEST(RegistryEntriesTest, UninstallKeyCarriesTheReleasesFacts)
{
    TInstallBench bench;
    bench.Settings.Version = "3.1.0";
    bench.Settings.Publisher = "Zarn Software";
    bench.Settings.URL = "https://zarn.example/ftp";
    bench.Payload = {{"ZarnFTP.exe", std::vector<uint8_t>(3000, 'z')}, {"README.TXT", std::vector<uint8_t>(1000, 'r')},
                     {"unzarn.exe", std::vector<uint8_t>(48, 'u')}};
    bench.Answers.Answers = {false};
    bench.Install();
    const std::string D = DestDir + "\\";
    const std::vector<std::pair<std::string, TMemoryRegistry::TValue>> expected = {
        {"DisplayName", {rdString, "ZarnFTP"}},
        {"DisplayVersion", {rdString, "3.1.0"}},
        {"Publisher", {rdString, "Zarn Software"}},
        {"DisplayIcon", {rdString, D + "ZarnFTP.exe"}},
        {"InstallLocation", {rdString, D}},
        {"EstimatedSize", {rdInteger, "4"}}, // 4048 bytes, rounded up
        {"NoModify", {rdInteger, "1"}},
        {"NoRepair", {rdInteger, "1"}},
        {"URLInfoAbout", {rdString, "https://zarn.example/ftp"}},
    };
    for (const auto& [name, value] : expected) {
        const TMemoryRegistry::TValue* stored = bench.Registry.Value(rkLocalMachine, Uninstall, name);
        ASSERT_NE(stored, nullptr) << name;
        EXPECT_EQ(*stored, value) << name;
    }
}

} // namespace
