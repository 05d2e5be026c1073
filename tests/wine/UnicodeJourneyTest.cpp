// Names the ANSI code page cannot hold (1252 on these prefixes): a Windows
// user named Łukasz or 张伟, whose profile folder gets the links, and a
// destination typed in the wizard in letters of another script. Each journey
// installs through the wizard, checks what a first install leaves as Windows
// reads it through the wide functions, and uninstalls as the "Uninstall
// ZarnFTP" link or "UninstallString" starts the uninstaller.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "installer/WizardSteps.h"
#include "tests/wine/InstallChecks.h"
#include "tests/wine/SetupDriver.h"
#include "tests/wine/WineSupport.h"

namespace {

const char* const UninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZarnFTP";
const char* const ShortcutQuestion = "Create shortcuts on the Desktop and Programs menu ?";

std::string EnvironmentValue(const wchar_t* name)
{
    wchar_t value[MAX_PATH] = {};
    GetEnvironmentVariableW(name, value, MAX_PATH);
    return Utf8(value);
}

// This prefix's user is user, with the profile folder of that name, and its
// ANSI code page is 1252, which cannot hold the name.
void ExpectProfileOutsideTheCodePage(const std::string& user)
{
    EXPECT_EQ(GetACP(), 1252u);
    EXPECT_EQ(QueryValue(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Nls\\CodePage", "ACP").Data,
              Sz("1252"));
    EXPECT_FALSE(FitsAnsi(user));
    const std::string profile = "C:\\users\\" + user;
    ASSERT_EQ(EnvironmentValue(L"USERPROFILE"), profile);
    for (const char* folder : {"Desktop", "SendTo", "Programs"})
        ASSERT_EQ(ShellFolder(folder).rfind(profile + "\\", 0), 0u) << ShellFolder(folder);
    // The registry's Shell Folders, which the setup program reads, name the shell's own.
    wchar_t desktop[MAX_PATH] = {};
    ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, desktop), S_OK);
    EXPECT_EQ(ShellFolder("Desktop"), Utf8(desktop));
    ASSERT_TRUE(PathExists(ShellFolder("Desktop")));
}

// Installs with shortcuts through the wizard, into typed when given (typed in
// the browse dialog), else into the default destination.
void InstallThroughTheWizard(const std::string& typed = "")
{
    ForgetInstalledProduct(); // the default destination, whatever an earlier journey left
    std::vector<std::string> questions;
    ASSERT_TRUE(InstallThroughWizard(HostPath(ZARN_SETUP_PROGRAM), &questions, typed));
    ASSERT_FALSE(questions.empty());
    EXPECT_EQ(questions.back(), ShortcutQuestion);
    if (!typed.empty()) {
        EXPECT_EQ(questions.front(), CreateDirectoryQuestion(typed));
    }
}

// What a first install into dest leaves, and the five links where the
// profile's shell folders say, named in a log that a name outside the code
// page makes UTF-8.
void ExpectInstalledWithLinks(const std::string& dest)
{
    ExpectFirstInstall(dest);
    for (const std::string& link : LinkFiles())
        EXPECT_TRUE(FileExists(link)) << link;
    EXPECT_TRUE(ReadLog(dest + "install.log").Utf8Bom);
}

// Starts the uninstaller as program with arguments and answers Yes to
// removing, No to keeping the settings: it says it removed everything.
void UninstallWith(const std::string& program, const std::string& arguments)
{
    TProgramRun run(program, "", arguments);
    ASSERT_TRUE(run.Started()) << program;
    EXPECT_EQ(AnswerConfirm(IDYES, 30000), "Are you sure you want to remove ZarnFTP and all of its components?");
    EXPECT_EQ(AnswerConfirm(IDNO), "Do you want to keep your ZarnFTP settings and site list?");
    std::string summary;
    const HWND box = WaitForBox("Setup", &summary, 30000);
    ASSERT_TRUE(box);
    Answer(box, IDOK);
    EXPECT_EQ(summary, "ZarnFTP has been removed.");
    DWORD code = 99;
    EXPECT_TRUE(run.WaitForExit(60000, &code));
    EXPECT_EQ(code, 0u);
}

// Nothing that the log named stays, nor the destination, the program group
// or the Uninstall and App Paths keys.
void ExpectRemoved(const std::vector<std::string>& logged, const std::string& dest)
{
    for (const std::string& line : logged) {
        if (line.rfind("CreateFile: ", 0) == 0 || line.rfind("Copy: ", 0) == 0) {
            EXPECT_FALSE(PathExists(line.substr(line.find(' ') + 1))) << line;
        }
    }
    EXPECT_FALSE(PathExists(dest)) << dest;
    EXPECT_FALSE(PathExists(ShellFolder("Programs") + "\\ZarnFTP"));
    EXPECT_FALSE(QueryValue(HKEY_LOCAL_MACHINE, UninstallKey, "UninstallString").Found);
    const char* const appPaths = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\ZarnFTP.exe";
    EXPECT_FALSE(QueryValue(HKEY_LOCAL_MACHINE, appPaths, "").Found);
}

// A first install into the default destination puts all five links into the
// profile of user, and the uninstall the "Uninstall ZarnFTP" link starts
// removes them; no other profile folder appears on the way.
void FirstInstallAndUninstallForUser(const std::string& user)
{
    ASSERT_NO_FATAL_FAILURE(ExpectProfileOutsideTheCodePage(user));
    const std::vector<std::string> profiles = FolderNames("C:\\users");
    ASSERT_NO_FATAL_FAILURE(InstallThroughTheWizard());
    ExpectInstalledWithLinks(Dest);
    for (const std::string& link : LinkFiles())
        EXPECT_EQ(link.rfind("C:\\users\\" + user + "\\", 0), 0u) << link;
    EXPECT_EQ(FolderNames("C:\\users"), profiles);

    const std::vector<std::string> logged = UndatedLog();
    const TLinkFields uninstall = LoadLink(LinkFiles()[4]);
    ASSERT_TRUE(uninstall.Loaded);
    ASSERT_NO_FATAL_FAILURE(UninstallWith(uninstall.Path, uninstall.Arguments));
    ExpectRemoved(logged, Dest);
    for (const std::string& link : LinkFiles())
        EXPECT_FALSE(PathExists(link)) << link;
    EXPECT_EQ(FolderNames("C:\\users"), profiles);
}

class UnicodeJourney : public ::testing::Test {
protected:
    static void SetUpTestSuite() { CoInitialize(nullptr); }
    static void TearDownTestSuite() { CoUninitialize(); }
};

TEST_F(UnicodeJourney, LukaszGetsAllFiveLinksInHisProfileAndTheUninstallRemovesThem)
{
    FirstInstallAndUninstallForUser("Łukasz");
    // Not the code page's best-fit spelling of the name.
    EXPECT_FALSE(PathExists("C:\\users\\Lukasz"));
}

TEST_F(UnicodeJourney, ZhangWeiGetsAllFiveLinksInHisProfileAndTheUninstallRemovesThem)
{
    FirstInstallAndUninstallForUser("张伟");
}

TEST_F(UnicodeJourney, TypedDestinationInAnotherScriptInstallsThereAndUninstallsCompletely)
{
    const std::string parent = "C:\\Programy", folder = parent + "\\Zarn ŁÓDŹ";
    ASSERT_FALSE(PathExists(parent));
    ASSERT_NO_FATAL_FAILURE(InstallThroughTheWizard(folder));
    ExpectInstalledWithLinks(folder + "\\");
    EXPECT_EQ(FolderNames(parent), std::vector<std::string>{"Zarn ŁÓDŹ"});

    const std::vector<std::string> logged = UndatedLog(folder + "\\");
    // As the system's list of programs starts it: the uninstaller, then the rest of the line.
    const TRegValue value = QueryValue(HKEY_LOCAL_MACHINE, UninstallKey, "UninstallString");
    const std::string command = value.Data.substr(0, value.Data.find('\0')), program = WinDir() + "unzarn.exe";
    ASSERT_EQ(command.rfind(program + " ", 0), 0u) << command;
    ASSERT_NO_FATAL_FAILURE(UninstallWith(program, command.substr(program.size() + 1)));
    ExpectRemoved(logged, folder);
    RemoveDirectoryW(Wide(parent).c_str());
}

} // namespace
