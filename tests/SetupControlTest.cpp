// The settings of this build and the start-up values made from them: the
// Program Files lookup, the rewritten destination, the browse dialog's first
// directory, WinDir and the wizard's texts.
#include <gtest/gtest.h>

#include <functional>

#include "installer/BuildSettings.h"
#include "installer/SetupControl.h"
#include "platform/SystemInfo.h"
#include "tests/support/MemoryRegistry.h"

namespace {

const std::string VersionKey = "Software\\Microsoft\\Windows\\CurrentVersion";

class TFixedSystemInfo : public TSystemInfo {
public:
    std::string Answer;
    std::string WindowsDirectory() override { return Answer; }
};

TEST(SetupControlTest, ThisBuildsSettings)
{
    // The record's own values, and the ones the build made from its settings
    // file (the same file unless a packager chose another).
    for (const TSetupControl& s : {TSetupControl(), ZARN_OWN_SETTINGS_FILE ? BuildSettings() : TSetupControl()}) {
        EXPECT_EQ(s.ProgramName, "ZarnFTP");
        EXPECT_EQ(s.CaptionName, "ZarnFTP 2.7.4");
        EXPECT_EQ(s.TargetPath, "%\\ZarnFTP");
        EXPECT_EQ(s.ExeName, "ZarnFTP.exe");
        EXPECT_EQ(s.HelpFile, "ZarnFTP.hlp");
        EXPECT_EQ(s.Uninstaller, "unzarn.exe");
        EXPECT_EQ((std::vector<bool>{s.Custom, s.ShortcutDesktop, s.ShortcutSendTo, s.ShortcutStartMenu, s.RegisterExt}),
                  (std::vector<bool>{false, true, true, true, true}));
        EXPECT_EQ(SetupCaption(s), "ZarnFTP 2.7.4 Setup");
        EXPECT_EQ(WelcomeText(s),
                  "Welcome to the ZarnFTP Setup program.  This program will install ZarnFTP on your computer.");
        EXPECT_EQ(FinishText(s), "ZarnFTP has been successfully installed on your computer.  You can run it by "
                                 "double-clicking on its icon.");
    }
}

TEST(SetupControlTest, DefaultDestinationAndBrowseDirectory)
{
    struct TCase {
        const char* Name;
        std::function<void(TMemoryRegistry&)> Arrange;
        std::string TargetPath, Destination, BrowseDir;
    };
    auto value = [](const std::string& data, TRegDataType type = rdString) {
        return [=](TMemoryRegistry& r) { r.SetValue(rkLocalMachine, VersionKey, "ProgramFilesDir", data, type); };
    };
    const std::vector<TCase> cases = {
        {"value elsewhere", value("D:\\Apps"), "%\\ZarnFTP", "D:\\Apps\\ZarnFTP", "D:\\Apps\\"},
        {"value with its NUL", value(std::string("E:\\Prog\0junk", 12)), "%\\ZarnFTP", "E:\\Prog\\ZarnFTP",
         "E:\\Prog\\"},
        {"expandable value, not expanded", value("%SystemDrive%\\P", rdExpandString), "%\\ZarnFTP",
         "%SystemDrive%\\P\\ZarnFTP", "%SystemDrive%\\P\\"},
        {"no value", [](TMemoryRegistry& r) { r.AddKey(rkLocalMachine, VersionKey); }, "%\\ZarnFTP",
         "C:\\Program Files\\ZarnFTP", "C:\\Program Files\\"},
        {"no key", [](TMemoryRegistry&) {}, "%\\ZarnFTP", "C:\\Program Files\\ZarnFTP", "C:\\Program Files\\"},
        {"empty value", value(""), "%\\ZarnFTP", "C:\\Program Files\\ZarnFTP", "C:\\Program Files\\"},
        {"not a string", value("D:\\Apps", rdBinary), "%\\ZarnFTP", "C:\\Program Files\\ZarnFTP",
         "C:\\Program Files\\"},
        {"standard user",
         [=](TMemoryRegistry& r) {
             value("D:\\Apps")(r);
             r.RefuseFullAccess = true;
         },
         "%\\ZarnFTP", "D:\\Apps\\ZarnFTP", "D:\\Apps\\"},
        {"first character dropped whatever it is", value("D:\\Apps"), "X\\Tools", "D:\\Apps\\Tools", "D:\\Apps\\"},
        {"empty target path", value("D:\\Apps"), "", "D:\\Apps", "D:\\"},
        {"drive-relative", value("Q:"), "%Tools", "Q:Tools", "Q:"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TMemoryRegistry registry;
        c.Arrange(registry);
        TFixedSystemInfo system;
        system.Answer = "C:\\WINDOWS";
        TSetupControl settings;
        settings.TargetPath = c.TargetPath;
        EXPECT_EQ(PrepareStartup(settings, registry, system), "C:\\WINDOWS\\");
        EXPECT_EQ(settings.TargetPath, c.Destination);
        EXPECT_EQ(BrowseInitialDir(settings.TargetPath), c.BrowseDir);
        EXPECT_FALSE(registry.HasOpenKey());
    }
}

TEST(SetupControlTest, WinDirFromTheSystemsAnswer)
{
    const std::string longName = "C:\\" + std::string(300, 'w');
    std::string polish;
    for (int i = 0; i < 253; ++i)
        polish += "\xC5\x82"; // ł
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"C:\\WINDOWS", "C:\\WINDOWS\\"},
        {std::string("C:\\WINNT\0\0\0\0", 12), "C:\\WINNT\\"},
        {longName, longName.substr(0, 256) + "\\"},
        // Characters, not bytes: 253 two-byte letters after "C:\".
        {"C:\\" + polish + "\xC5\x81", "C:\\" + polish + "\\"},
        {"C:\\" + std::string(252, 'w') + "\xF0\x9F\x93\x81", "C:\\" + std::string(252, 'w') + "\\"}, // no half of a pair
        {"", "\\"},
    };
    for (const auto& [answer, winDir] : cases)
        EXPECT_EQ(MakeWinDir(answer), winDir) << answer.size();
}

} // namespace
