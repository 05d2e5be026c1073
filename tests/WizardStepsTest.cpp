// The wizard's Next button on every page, the credentials rule, Browse, the
// Finish command lines, and the cancel rule, over a recording window, scripted
// answers and an in-memory disk; one destination step through the real
// install run.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "installer/CancelRule.h"
#include "installer/SetupApplication.h"
#include "installer/WizardSteps.h"
#include "tests/support/ArchiveBuilder.h"
#include "tests/support/InstallBench.h"
#include "tests/support/RecordedPrograms.h"
#include "tests/support/RecordingWizardView.h"

namespace {

const std::string BackupQuestion = "Do you want to backup replaced files ?  ";
const std::string CancelQuestion = "Are you sure you want to cancel Setup?";

// Directories are made one level at a time, as a real disk demands.
class TStrictDirectories : public TNativeSpellingFileSystem {
public:
    using TNativeSpellingFileSystem::TNativeSpellingFileSystem;
    std::vector<std::string> Made;

    void MakeDirectory(const std::string& path) override
    {
        const std::string parent = path.substr(0, path.find_last_of('\\'));
        if (!(parent.size() == 2 && parent[1] == ':') && !IsDirectory(parent))
            throw EInOutError("parent of \"" + path + "\" missing");
        Made.push_back(path);
        TNativeSpellingFileSystem::MakeDirectory(path);
    }
};

struct TWizardBench {
    TMemoryFileSystem Disk;
    TStrictDirectories Files{Disk};
    TRecordingWizardView View;
    TScriptedAnswers Answers;
    TRecordedPrograms Programs;
    TSetupApplication Application;
    TSetupControl Settings;
    int32_t FStep = 0;
    std::vector<std::string> Installs;    // "dirName backup", one per run
    std::function<void()> DuringInstall;  // runs inside the install
    std::string BrowseResult;             // what the browse dialog hands back
    bool BrowseConfirms = false;
    TWizardSteps Wizard{Settings, FStep,
                        {View, Files, Answers, Programs, Application,
                         [this](const std::string& dirName, bool backup, const std::vector<std::string>&) {
                             Installs.push_back(dirName + (backup ? " backup" : " no backup"));
                             if (DuringInstall)
                                 DuringInstall();
                             return dirName + "\\";
                         },
                         [this](TZarnBrowseDir& browser) {
                             browser.Directory = BrowseConfirms ? BrowseResult : "";
                             return BrowseConfirms;
                         }}};

    TWizardBench()
    {
        Settings.TargetPath = "C:\\Program Files\\ZarnFTP";
        AddDirectory("C:\\Program Files");
        Wizard.Prepare();
    }
    void AddDirectory(const std::string& path) { Disk.Directories.insert(ToNativePath(path)); }
    bool IsDirectory(const std::string& path) { return Files.IsDirectory(path); }
    // Next from the welcome page onto the destination page.
    void ToDestination()
    {
        Wizard.btnNextClick();
        ASSERT_EQ(FStep, 2);
        View.Journal.clear();
    }
};

TEST(WizardStepsTest, PrepareShowsTheWelcomePageAndSetsUpBrowsing)
{
    TWizardBench bench;
    EXPECT_EQ(bench.View.Page(), "pnlStart");
    EXPECT_EQ(bench.View.Dir, "C:\\Program Files\\ZarnFTP");
    EXPECT_EQ(bench.Wizard.Browser.InitialDir, "C:\\Program Files\\");
    EXPECT_EQ(bench.Wizard.Browser.TargetFolder, "ZarnFTP");
    EXPECT_EQ(bench.Wizard.Browser.CaptionText, "Select Destination Directory");
    EXPECT_FALSE(bench.Wizard.Browser.ReadOnly); // the design's True is overridden

    TWizardBench other;
    other.Settings.ProgramName = "Other";
    other.Settings.TargetPath = "D:\\Apps\\Other";
    other.Wizard.Prepare();
    EXPECT_EQ(other.Wizard.Browser.TargetFolder, "Other");
    EXPECT_EQ(other.Wizard.Browser.InitialDir, "D:\\Apps\\");
    EXPECT_EQ(other.View.Dir, "D:\\Apps\\Other");
}

TEST(WizardStepsTest, NextLeavesTheWelcomePageByTheCustomSetting)
{
    {
        SCOPED_TRACE("Custom false: straight to the destination");
        TWizardBench bench;
        bench.Wizard.btnNextClick();
        EXPECT_EQ(bench.FStep, 2);
        EXPECT_EQ(bench.View.Page(), "pnlPath");
        EXPECT_TRUE(bench.View.NextEnabled);
        EXPECT_FALSE(bench.View.UserFocused);
    }
    {
        SCOPED_TRACE("Custom true: the credentials page first");
        TWizardBench bench;
        bench.Settings.Custom = true;
        bench.Wizard.btnNextClick();
        EXPECT_EQ(bench.FStep, 1);
        EXPECT_EQ(bench.View.Page(), "pnlCustom");
        EXPECT_TRUE(bench.View.UserFocused);
        EXPECT_FALSE(bench.View.NextEnabled);

        bench.View.User = "ann";
        bench.View.Pass = "x";
        bench.Wizard.txtUserChange();
        bench.Wizard.btnNextClick();
        EXPECT_EQ(bench.FStep, 2);
        EXPECT_EQ(bench.View.Page(), "pnlPath");
        EXPECT_TRUE(bench.Answers.Asked.empty());
        EXPECT_TRUE(bench.Installs.empty());
    }
}

TEST(WizardStepsTest, NextOnTheCredentialsPageNeedsBothBoxes)
{
    struct TCase {
        const char* User;
        const char* Pass;
        bool Enabled;
    };
    const TCase cases[] = {{"", "", false}, {"ann", "", false}, {"", "secret", false},
                           {"ann", "secret", true}, {"a", "b", true}, {"ann", "", false}};
    TWizardBench bench;
    bench.Settings.Custom = true;
    bench.Wizard.btnNextClick();
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::string(c.User) + "/" + c.Pass);
        bench.View.User = c.User;
        bench.View.Pass = c.Pass;
        bench.Wizard.txtUserChange();
        EXPECT_EQ(bench.View.NextEnabled, c.Enabled);
    }
}

TEST(WizardStepsTest, ExistingDestinationSkipsTheCreationQuestion)
{
    for (const bool backup : {false, true}) {
        SCOPED_TRACE(backup ? "backup" : "no backup");
        TWizardBench bench;
        bench.AddDirectory("C:\\Program Files\\ZarnFTP");
        bench.ToDestination();
        bench.Answers.Answers = {backup};
        bench.Answers.OnAsk = [&] {
            // Asked over the background window: the wizard is already hidden.
            EXPECT_FALSE(bench.View.WizardVisible);
            EXPECT_EQ(bench.View.Page(), "");
            EXPECT_EQ(bench.View.Visible.count(wpPath), 0u);
        };
        bench.DuringInstall = [&] { EXPECT_FALSE(bench.View.WizardVisible); };
        bench.Wizard.btnNextClick();

        EXPECT_EQ(bench.Answers.Asked, std::vector<std::string>{BackupQuestion});
        EXPECT_EQ(bench.Wizard.FBackup, backup);
        EXPECT_EQ(bench.IsDirectory("C:\\Program Files\\ZarnFTP\\Backup"), backup);
        EXPECT_TRUE(bench.Disk.Protected.empty()); // a folder the wizard did not make keeps its permissions
        EXPECT_EQ(bench.Installs, std::vector<std::string>{"C:\\Program Files\\ZarnFTP" +
                                                           std::string(backup ? " backup" : " no backup")});
        EXPECT_EQ(bench.Wizard.FInstallDir, "C:\\Program Files\\ZarnFTP\\");
        EXPECT_EQ(bench.FStep, 3);
        EXPECT_EQ(bench.View.Page(), "pnlFinish");
        EXPECT_EQ(bench.View.NextCaption, "Finish");
        EXPECT_TRUE(bench.View.WizardVisible);
        EXPECT_EQ(bench.View.Journal.back(), "wizard 1");
    }
}

TEST(WizardStepsTest, MissingDestinationIsCreatedOnlyOnYes)
{
    const std::string P = "C:\\Apps\\Zarn FTP\\2.7";
    const std::string question = "The directory: \r\r" + P + "\r\r does not exist.  Do you want to create it ? ";
    {
        SCOPED_TRACE("declined");
        TWizardBench bench;
        bench.View.Dir = P;
        bench.ToDestination();
        bench.Answers.Answers = {false};
        bench.Wizard.btnNextClick();
        EXPECT_EQ(bench.Answers.Asked, std::vector<std::string>{question});
        EXPECT_FALSE(bench.IsDirectory(P));
        EXPECT_TRUE(bench.Files.Made.empty());
        EXPECT_TRUE(bench.Disk.Protected.empty());
        EXPECT_EQ(bench.FStep, 2);
        EXPECT_EQ(bench.View.Page(), "pnlPath");
        EXPECT_TRUE(bench.View.WizardVisible);
        EXPECT_TRUE(bench.View.Journal.empty());
        EXPECT_TRUE(bench.Installs.empty());

        // Next may be pressed again.
        bench.Answers.Answers = {true, false};
        bench.Wizard.btnNextClick();
        EXPECT_EQ(bench.FStep, 3);
    }
    {
        SCOPED_TRACE("accepted, parents made first");
        TWizardBench bench;
        bench.View.Dir = P;
        bench.ToDestination();
        bench.Answers.Answers = {true, true};
        bench.Wizard.btnNextClick();
        EXPECT_EQ(bench.Answers.Asked, (std::vector<std::string>{question, BackupQuestion}));
        EXPECT_EQ(bench.Files.Made,
                  (std::vector<std::string>{"C:\\Apps", "C:\\Apps\\Zarn FTP", P, P + "\\Backup"}));
        EXPECT_EQ(bench.Installs, std::vector<std::string>{P + " backup"});
        // The top folder made gets a program folder's protection; what is below inherits it.
        EXPECT_EQ(bench.Disk.Protected, std::set<std::string>{ToNativePath("C:\\Apps")});
    }
    {
        SCOPED_TRACE("a file of that name is not a directory");
        TWizardBench bench;
        bench.Disk.AddFile(ToNativePath("C:\\Program Files\\ZarnFTP"), {});
        bench.ToDestination();
        bench.Answers.Answers = {false};
        bench.Wizard.btnNextClick();
        EXPECT_EQ(bench.Answers.Asked.size(), 1u);
        EXPECT_EQ(bench.Answers.Asked[0].rfind("The directory: ", 0), 0u);
    }
}

TEST(WizardStepsTest, FailedRunLeavesTheWizardHiddenOnTheDestinationStep)
{
    TWizardBench bench;
    bench.AddDirectory("C:\\Program Files\\ZarnFTP");
    bench.ToDestination();
    bench.Answers.Answers = {false};
    bench.DuringInstall = [] { throw EInOutError("Cannot create file \"install.log\""); };
    EXPECT_THROW(bench.Wizard.btnNextClick(), EInOutError);
    EXPECT_EQ(bench.FStep, 2);
    EXPECT_FALSE(bench.View.WizardVisible);
    EXPECT_EQ(bench.View.Visible.count(wpFinish), 0u);
    EXPECT_EQ(bench.View.NextCaption, "&Next >>");
    EXPECT_FALSE(bench.Application.Terminated());
}

TEST(WizardStepsTest, FinishStartsTheChosenProgramsQuotedThenEnds)
{
    struct TCase {
        bool RunProgram, Readme;
        std::vector<std::string> Started;
    };
    const std::string D = "C:\\Program Files\\ZarnFTP\\";
    const std::vector<TCase> cases = {
        {false, false, {}},
        {true, false, {"\"" + D + "Other.exe\""}},
        {false, true, {"notepad.exe \"" + D + "readme.txt\""}},
        {true, true, {"\"" + D + "Other.exe\"", "notepad.exe \"" + D + "readme.txt\""}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.RunProgram) + std::to_string(c.Readme));
        TWizardBench bench;
        bench.Settings.ExeName = "Other.exe"; // the settings' name, not the shortcuts' fixed one
        bench.AddDirectory("C:\\Program Files\\ZarnFTP");
        bench.ToDestination();
        bench.Answers.Answers = {false};
        bench.Wizard.btnNextClick();
        ASSERT_EQ(bench.FStep, 3);
        bench.View.RunProgram = c.RunProgram;
        bench.View.Readme = c.Readme;
        bench.Wizard.btnNextClick();
        EXPECT_EQ(bench.Programs.Started, c.Started);
        EXPECT_TRUE(bench.Application.Terminated());
        EXPECT_EQ(bench.Answers.Asked.size(), 1u); // no question on Finish
    }
}

TEST(WizardStepsTest, BrowseChangesTheDestinationOnlyWhenConfirmed)
{
    TWizardBench bench;
    bench.ToDestination();
    bench.BrowseResult = "D:\\Tools\\ZarnFTP";
    bench.Wizard.Button1Click();
    EXPECT_EQ(bench.View.Dir, "C:\\Program Files\\ZarnFTP");

    bench.BrowseConfirms = true;
    bench.Wizard.Button1Click();
    EXPECT_EQ(bench.View.Dir, "D:\\Tools\\ZarnFTP");
    EXPECT_EQ(bench.FStep, 2);
    EXPECT_TRUE(bench.Answers.Asked.empty());
}

TEST(CancelRuleTest, CancelIsConfirmedOnceAndLaterQuestionsCountAsNo)
{
    TScriptedAnswers boxes;
    TSetupApplication application;
    int quits = 0;
    application.OnTerminate = [&] { ++quits; };
    TCancelRule rule(boxes, application);

    boxes.Answers = {false};
    EXPECT_FALSE(rule.FormCloseQuery());
    EXPECT_FALSE(application.Terminated());
    boxes.Answers = {true};
    EXPECT_TRUE(rule.Confirm("Create shortcuts on the Desktop and Programs menu ?"));

    boxes.Answers = {true};
    EXPECT_TRUE(rule.Retry("Cannot write \"ZarnFTP.exe\"."));

    boxes.Answers = {true};
    EXPECT_TRUE(rule.FormCloseQuery());
    EXPECT_TRUE(application.Terminated());
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(boxes.Asked, (std::vector<std::string>{CancelQuestion, "Create shortcuts on the Desktop and Programs menu ?",
                                                     "Cannot write \"ZarnFTP.exe\".", CancelQuestion}));

    // The program is ending: nothing more is shown, and a retry counts as Cancel.
    EXPECT_FALSE(rule.Confirm("Create shortcuts on the Desktop and Programs menu ?"));
    EXPECT_FALSE(rule.Retry("Cannot write \"ZarnFTP.exe\"."));
    EXPECT_TRUE(rule.FormCloseQuery());
    EXPECT_EQ(boxes.Asked.size(), 4u);
    EXPECT_EQ(quits, 1);
}

// The copy dialog's Cancel while the run processes its messages.
class TCancellingProgressView : public TRecordingProgressView {
public:
    std::function<void()> OnMessages;
    void ProcessMessages() override
    {
        TRecordingProgressView::ProcessMessages();
        if (OnMessages)
            std::exchange(OnMessages, nullptr)();
    }
};

struct TRunningWizard {
    TInstallBench Install;
    TRecordingWizardView View;
    TRecordedPrograms Programs;
    TSetupApplication Application;
    TCancelRule Rule{Install.Answers, Application};
    TCancellingProgressView Progress;
    TInstallRun Run{Install.Settings, WindowsDir, Install.FileList,
                    {Install.Files, Install.Resources, Install.Registry, Install.Links, Rule, Install.Clock, Progress}};
    int32_t FStep = 0;
    TWizardSteps Wizard{Install.Settings, FStep,
                        {View, Install.Files, Rule, Programs, Application, InstallThrough(Run), nullptr}};

    TRunningWizard()
    {
        TArchiveBuilder archive;
        for (const auto& [name, bytes] : Install.Payload)
            archive.Add(StoredEntry(name, bytes));
        Install.Resources.Add("ARCHIVE", "DATA", archive.Build());
        Install.Answers.Answers.clear();
        View.Visible = {wpPath};
    }
};

TEST(WizardStepsTest, DestinationStepRunsTheInstallAndFinishNamesItsFiles)
{
    TRunningWizard w;
    const std::string P = "C:\\Apps\\Zarn FTP";
    w.View.Dir = P;
    w.FStep = 2;
    w.Install.Answers.Answers = {true, true, true}; // create, backup, shortcuts
    w.Wizard.btnNextClick();

    EXPECT_TRUE(w.Install.Files.IsDirectory(P + "\\Backup"));
    EXPECT_EQ(w.Install.Text(P + "\\README.TXT"), "readme");
    const std::vector<std::string> log = w.Install.Lines(P + "\\install.log");
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back().rfind("*** Install Completed: ", 0), 0u);
    EXPECT_EQ(w.Wizard.FInstallDir, P + "\\");
    EXPECT_EQ(w.FStep, 3);
    EXPECT_TRUE(w.View.WizardVisible);

    w.View.RunProgram = w.View.Readme = true;
    w.Wizard.btnNextClick();
    EXPECT_EQ(w.Programs.Started, (std::vector<std::string>{"\"C:\\Apps\\Zarn FTP\\ZarnFTP.exe\"",
                                                            "notepad.exe \"C:\\Apps\\Zarn FTP\\readme.txt\""}));
}

TEST(WizardStepsTest, ConfirmedCancelDuringTheRunLetsItFinishWithoutShortcuts)
{
    TRunningWizard w;
    w.View.Dir = DestDir;
    w.FStep = 2;
    w.Install.Answers.Answers = {false, true}; // no backup; then Yes to the cancel question
    w.Progress.OnMessages = [&] { EXPECT_TRUE(w.Rule.FormCloseQuery()); };
    w.Wizard.btnNextClick();

    EXPECT_TRUE(w.Application.Terminated());
    EXPECT_EQ(w.Install.Answers.Asked, (std::vector<std::string>{BackupQuestion, CancelQuestion}));
    const std::vector<std::string> log = w.Install.LogLines();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back().rfind("*** Install Completed: ", 0), 0u);
    EXPECT_TRUE(std::none_of(log.begin(), log.end(),
                             [](const std::string& l) { return l.find(".lnk") != std::string::npos; }));
    EXPECT_TRUE(w.Install.Links.Links.empty());
    EXPECT_EQ(w.FStep, 3);
    EXPECT_FALSE(w.View.WizardVisible); // the program ends instead
}

TEST(WizardStepsTest, CancelAnsweredNoLetsTheRunGoOnUnchanged)
{
    TRunningWizard w;
    w.View.Dir = DestDir;
    w.FStep = 2;
    w.Install.Answers.Answers = {false, false, true}; // no backup; No to cancelling; shortcuts
    w.Progress.OnMessages = [&] { EXPECT_FALSE(w.Rule.FormCloseQuery()); };
    w.Wizard.btnNextClick();
    EXPECT_FALSE(w.Application.Terminated());
    EXPECT_EQ(w.Install.Links.Links.size(), 5u);
    EXPECT_TRUE(w.View.WizardVisible);
    EXPECT_EQ(w.View.Page(), "pnlFinish");
}

} // namespace
