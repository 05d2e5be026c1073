// The command lines of the setup program and the uninstaller, read into
// their plans: every switch, quoting, /D= with blanks, repeated and unknown
// switches, and the uninstaller's interactive form unchanged beside /S.
#include <gtest/gtest.h>

#include <optional>

#include "installer/SetupCommandLine.h"
#include "installer/UninstallCommandLine.h"

namespace {

struct TPlanCase {
    const char* Arguments;
    TSetupCommandLine Plan;
};

bool SamePlan(const TSetupCommandLine& a, const TSetupCommandLine& b)
{
    return a.Silent == b.Silent && a.Help == b.Help && a.LogFile == b.LogFile && a.Destination == b.Destination;
}

std::string Shown(const TSetupCommandLine& p)
{
    return std::string("Silent=") + (p.Silent ? "1" : "0") + " Help=" + (p.Help ? "1" : "0") + " LogFile=[" +
           p.LogFile + "] Destination=[" + p.Destination + "]";
}

TEST(SetupCommandLineTest, ReadsEverySwitchIntoThePlan)
{
    const std::vector<TPlanCase> cases = {
        {"", {false, false, "", ""}},
        {"   ", {false, false, "", ""}},
        {"/S", {true, false, "", ""}},
        {"/s", {true, false, "", ""}},
        {"\t/S  ", {true, false, "", ""}},
        {"/?", {false, true, "", ""}},
        {"/S /?", {true, true, "", ""}},
        {"/S /LOG=C:\\logs\\setup.log", {true, false, "C:\\logs\\setup.log", ""}},
        {"/LOG=setup.log /S", {true, false, "setup.log", ""}},
        {"/S /log=C:\\l.txt", {true, false, "C:\\l.txt", ""}},
        {"/S \"/LOG=C:\\my logs\\setup.log\"", {true, false, "C:\\my logs\\setup.log", ""}},
        {"/S /LOG=\"C:\\my logs\\setup.log\"", {true, false, "C:\\my logs\\setup.log", ""}},
        {"\"/S\"", {true, false, "", ""}},
        // /D= is the rest of the line: blanks kept, quotes allowed, a trailing "\" or blank dropped.
        {"/S /D=C:\\Tools\\Zarn FTP", {true, false, "", "C:\\Tools\\Zarn FTP"}},
        {"/S /D=C:\\Tools\\Zarn  FTP  2\\  ", {true, false, "", "C:\\Tools\\Zarn  FTP  2"}},
        {"/S /D=\"C:\\Tools\\Zarn FTP\"", {true, false, "", "C:\\Tools\\Zarn FTP"}},
        {"/S \"/D=C:\\Tools\\Zarn FTP\"", {true, false, "", "C:\\Tools\\Zarn FTP"}},
        {"/S /D= C:\\Tools", {true, false, "", "C:\\Tools"}},
        {"/S /LOG=x.log /D=C:\\Tools\\Zarn FTP", {true, false, "x.log", "C:\\Tools\\Zarn FTP"}},
        {"/s /d=c:\\tools\\zarn", {true, false, "", "C:\\tools\\zarn"}},
        {"/S /D=C:\\Apps\\..\\Tools\\.\\Zarn", {true, false, "", "C:\\Tools\\Zarn"}},
        {"/S /D=C:\\", {true, false, "", "C:"}},
        {"/S /D=\\\\server\\share\\Zarn FTP", {true, false, "", "\\\\server\\share\\Zarn FTP"}},
        // Without /S the wizard starts on the folder given.
        {"/D=D:\\Apps\\ZarnFTP", {false, false, "", "D:\\Apps\\ZarnFTP"}},
    };
    for (const TPlanCase& c : cases) {
        SCOPED_TRACE(c.Arguments);
        const TSetupCommandLine plan = ParseSetupCommandLine(c.Arguments);
        EXPECT_TRUE(SamePlan(plan, c.Plan)) << Shown(plan);
    }
}

struct TRefusedCase {
    const char* Arguments;
    std::string Message;
    bool Silent;
    std::string LogFile;
};

TEST(SetupCommandLineTest, RefusesWhatItDoesNotUnderstandSayingWhetherTheRunWasSilent)
{
    const std::vector<TRefusedCase> cases = {
        {"/X", "Unknown switch \"/X\"", false, ""},
        {"setup", "Unknown switch \"setup\"", false, ""},
        {"/S /X", "Unknown switch \"/X\"", true, ""},
        {"/X /S /LOG=C:\\l.txt", "Unknown switch \"/X\"", true, "C:\\l.txt"},
        {"/Sx", "Unknown switch \"/Sx\"", false, ""},
        {"/S/LOG=a", "Unknown switch \"/S/LOG=a\"", false, ""},
        {"-S", "Unknown switch \"-S\"", false, ""},
        {"/LOG", "Unknown switch \"/LOG\"", false, ""},
        {"/S /S", "The switch /S is given twice", true, ""},
        {"/? /?", "The switch /? is given twice", false, ""},
        {"/S /LOG=a.log /LOG=b.log", "The switch /LOG= is given twice", true, "a.log"},
        {"/S /LOG=", "The switch /LOG= names no file", true, ""},
        {"/S /LOG=\"\"", "The switch /LOG= names no file", true, ""},
        {"/LOG=C:\\l.txt", "The switch /LOG= is for a silent run: give /S with it", false, "C:\\l.txt"},
        {"/S /D=", "The switch /D= names no folder", true, ""},
        {"/S /D=\"  \"", "The switch /D= names no folder", true, ""},
        {"/S /D=Tools\\Zarn", "The switch /D= needs a complete path such as C:\\Tools\\ZarnFTP: \"Tools\\Zarn\"", true,
         ""},
        {"/S /D=C:Tools", "The switch /D= needs a complete path such as C:\\Tools\\ZarnFTP: \"C:Tools\"", true, ""},
        {"/S /D=\\Tools", "The switch /D= needs a complete path such as C:\\Tools\\ZarnFTP: \"\\Tools\"", true, ""},
        {"/S /D=C:\\a|b", "The switch /D= needs a complete path such as C:\\Tools\\ZarnFTP: \"C:\\a|b\"", true, ""},
        {"/S /D=C:\\a\\file.txt:stream", "The switch /D= needs a complete path such as C:\\Tools\\ZarnFTP: "
                                         "\"C:\\a\\file.txt:stream\"",
         true, ""},
        // A switch after /D= is taken for part of the folder by other programs; here it is refused.
        {"/S /D=C:\\Tools\\Zarn /LOG=x.log", "The switch /D= must come last: \"C:\\Tools\\Zarn /LOG=x.log\"", true,
         ""},
    };
    for (const TRefusedCase& c : cases) {
        SCOPED_TRACE(c.Arguments);
        try {
            ParseSetupCommandLine(c.Arguments);
            ADD_FAILURE() << "accepted";
        } catch (const ESetupCommandLine& e) {
            EXPECT_EQ(e.Message(), c.Message);
            EXPECT_EQ(e.Silent, c.Silent);
            EXPECT_EQ(e.LogFile, c.LogFile);
        }
    }
}

struct TUninstallCase {
    const char* CommandLine;
    bool Silent;
    std::string LogPath;
};

TEST(SetupCommandLineTest, UninstallerReadsSlashSBeforeTheLogAndEverythingElseAsTheLog)
{
    const std::string self = "C:\\WINDOWS\\unzarn.exe";
    const std::vector<TUninstallCase> cases = {
        // As UninstallString and the shortcut start it: unchanged.
        {"C:\\WINDOWS\\unzarn.exe C:\\Program Files\\ZarnFTP\\install.log", false,
         "C:\\Program Files\\ZarnFTP\\install.log"},
        {"\"C:\\WINDOWS\\unzarn.exe\" \"C:\\Program Files\\ZarnFTP\\install.log\"", false,
         "C:\\Program Files\\ZarnFTP\\install.log"},
        {"C:\\WINDOWS\\unzarn.exe", false, ""},
        // As QuietUninstallString starts it.
        {"C:\\WINDOWS\\unzarn.exe /S C:\\Program Files\\ZarnFTP\\install.log", true,
         "C:\\Program Files\\ZarnFTP\\install.log"},
        {"unzarn.exe /s \"C:\\Program Files\\ZarnFTP\\install.log\"", true, "C:\\Program Files\\ZarnFTP\\install.log"},
        {"unzarn.exe   /S\tinstall.log  ", true, "install.log"},
        {"unzarn.exe /S", true, ""},
        // Not the switch: the log's path as ever.
        {"unzarn.exe /Sites\\install.log", false, "/Sites\\install.log"},
        {"unzarn.exe \"/S\" install.log", false, "/S"},
    };
    for (const TUninstallCase& c : cases) {
        SCOPED_TRACE(c.CommandLine);
        const TUninstallCommand command = ParseUninstallArguments(ArgumentsAfterProgram(c.CommandLine, self));
        EXPECT_EQ(command.Silent, c.Silent);
        EXPECT_EQ(command.LogPath, c.LogPath);
    }
}

} // namespace
