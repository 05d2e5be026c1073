// The browse dialog's logic over in-memory drives and a recording window:
// the directory list and the drive list, the path box through Execute, OK and
// Cancel, and the rule for a drive that cannot be read.
#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "installer/BrowseDir.h"
#include "tests/support/FakeDriveSource.h"

namespace {

std::vector<std::string> Describe(const TDirectoryList& list)
{
    static const char* const glyphs[] = {"open", "current", "closed"};
    std::vector<std::string> lines;
    for (const TDirectoryItem& item : list.Items())
        lines.push_back(std::to_string(item.Level) + " " + glyphs[item.Glyph] + " " + item.Text + " = " + item.Path);
    return lines;
}

TEST(BrowseModelTest, DirectoryListShowsLevelsDownToTheCurrentAndItsSubdirectoriesSorted)
{
    TFakeDriveSource drives;
    drives.AddDirectory("C:\\Program Files\\ZarnFTP\\beta");
    drives.AddDirectory("C:\\Program Files\\ZarnFTP\\Alpha");
    drives.AddDirectory("C:\\Program Files\\ZarnFTP\\Gamma");
    drives.AddDirectory("C:\\Program Files\\ZarnFTP\\Alpha\\deeper");
    drives.AddDirectory("C:\\Program Files\\Other");
    drives.Current = "c:\\program files\\ZarnFTP\\";
    TDirectoryList list(drives);

    EXPECT_EQ(list.Directory(), "C:\\program files\\ZarnFTP");
    EXPECT_EQ(list.Drive(), 'C');
    EXPECT_EQ(Describe(list), (std::vector<std::string>{
                                  "0 open C:\\ = C:\\",
                                  "1 open program files = C:\\program files",
                                  "2 current ZarnFTP = C:\\program files\\ZarnFTP",
                                  "3 closed Alpha = C:\\program files\\ZarnFTP\\Alpha",
                                  "3 closed beta = C:\\program files\\ZarnFTP\\beta",
                                  "3 closed Gamma = C:\\program files\\ZarnFTP\\Gamma",
                              }));
    EXPECT_EQ(list.ItemIndex(), 2);

    drives.Current = "C:\\";
    TDirectoryList atRoot(drives);
    EXPECT_EQ(Describe(atRoot), (std::vector<std::string>{"0 current C:\\ = C:\\", "1 closed Program Files = C:\\Program Files",
                                                          "1 closed Temp = C:\\Temp"}));
    EXPECT_EQ(atRoot.ItemIndex(), 0);
}

TEST(BrowseModelTest, DirectoryListMovesOnlyToADifferentText)
{
    TFakeDriveSource drives;
    drives.AddDirectory("C:\\Program Files\\ZarnFTP");
    drives.Drives['D'] = {dtFixed, true, true, "DATA", "", "D:\\Work"};
    drives.AddDirectory("D:\\Work");
    drives.Current = "C:\\Program Files";
    TDirectoryList list(drives);
    int changes = 0;
    list.OnChange = [&] { ++changes; };

    struct TStep {
        std::function<void()> Act;
        std::string Directory;
        int Changes;
    };
    const std::vector<TStep> steps = {
        {[&] { list.SetDirectory("c:\\PROGRAM FILES"); }, "C:\\Program Files", 0}, // the same, case aside
        {[&] { list.SetDirectory(""); }, "C:\\Program Files", 0},
        {[&] { list.SetDirectory("C:\\Program Files\\"); }, "C:\\Program Files", 1}, // another text
        {[&] { list.Open(2); }, "C:\\Program Files\\ZarnFTP", 2},                 // a subdirectory
        {[&] { list.Open(2); }, "C:\\Program Files\\ZarnFTP", 2},                 // the current one
        {[&] { list.Open(0); }, "C:\\", 3},                                        // the root
        {[&] { list.Open(99); }, "C:\\", 3},
        {[&] { list.SetDrive('c'); }, "C:\\", 3},
        {[&] { list.SetDrive('d'); }, "D:\\Work", 4}, // that drive's current directory
        {[&] { list.SetDirectory("d:"); }, "D:\\", 5},
    };
    for (size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE(i);
        steps[i].Act();
        EXPECT_EQ(list.Directory(), steps[i].Directory);
        EXPECT_EQ(changes, steps[i].Changes);
        EXPECT_EQ(list.Items()[static_cast<size_t>(list.ItemIndex())].Path, steps[i].Directory);
    }
}

TEST(BrowseModelTest, DriveListNamesEachDriveAndReadsOnlyTheSafeOnes)
{
    TFakeDriveSource drives;
    drives.Drives['A'] = {dtRemovable, false, false, "", "", ""};
    drives.Drives['C'] = {dtFixed, true, true, "SYSTEM", "", ""};
    drives.Drives['D'] = {dtCDROM, false, false, "", "", ""};  // no disc
    drives.Drives['E'] = {dtCDROM, true, true, "ZARN_274", "", ""};
    drives.Drives['F'] = {dtFixed, true, true, "", "", ""};    // no label
    drives.Drives['R'] = {dtRAMDisk, true, true, "RAMDISK", "", ""};
    drives.Drives['X'] = {dtRemote, true, true, "", "\\\\server\\share", ""};
    drives.Drives['Y'] = {dtRemote, false, false, "", "", ""};
    drives.Drives['Q'] = {dtNoRootDir, false, false, "", "", ""};
    drives.Current = "E:\\";
    TDriveList list(drives);

    std::vector<std::string> items;
    static const char* const glyphs[] = {"FLOPPY", "HARD", "NETWORK", "CDROM", "RAM"};
    for (const TDriveItem& item : list.Items())
        items.push_back(item.Text + " " + glyphs[item.Glyph]);
    EXPECT_EQ(items, (std::vector<std::string>{"a: FLOPPY", "c: [SYSTEM] HARD", "d: CDROM", "e: [ZARN_274] CDROM",
                                               "f: [] HARD", "q: HARD", "r: [RAMDISK] RAM",
                                               "x: \\\\server\\share NETWORK", "y: NETWORK"}));
    EXPECT_EQ(std::count(drives.Asked.begin(), drives.Asked.end(), 'A'), 0);
    EXPECT_EQ(std::count(drives.Asked.begin(), drives.Asked.end(), 'Q'), 0);
    EXPECT_EQ(list.Drive(), 'e'); // the current directory's drive
    EXPECT_EQ(list.ItemIndex(), 3);
}

TEST(BrowseModelTest, DriveChoiceRaisesClickWithTheOldDriveThenChange)
{
    TFakeDriveSource drives;
    drives.Drives['D'] = {dtFixed, true, true, "DATA", "", ""};
    TDriveList list(drives);
    std::vector<std::string> events;
    list.OnClick = [&] { events.push_back(std::string("click ") + list.Drive()); };
    list.OnChange = [&] { events.push_back(std::string("change ") + list.Drive()); };
    list.Choose(1);
    list.Choose(1);
    list.SetDrive('C');
    list.SetDrive('z'); // not a drive of this machine
    list.Choose(5);
    EXPECT_EQ(events, (std::vector<std::string>{"click c", "change d", "click d", "change c"}));
    EXPECT_EQ(list.Drive(), 'c');
}

// What the user does while the dialog is up, and what the window saw.
struct TBrowseScript {
    std::vector<std::string> Journal;
    std::deque<bool> Retries;                  // answers to the error box, Retry = true
    std::function<void(TFakeDriveSource&)> OnRetry; // runs while the error box is up
    std::function<bool(TBrowseForm&, class TRecordingBrowseView&)> User; // the modal result
    std::string Path;
    bool ReadOnly = false;
    std::string Selected; // DriveBox's selection after the dialog
};

class TRecordingBrowseView : public TBrowseDialogView {
public:
    TRecordingBrowseView(TBrowseForm& form, TBrowseScript& script, TFakeDriveSource& drives)
        : FForm(form), FScript(script), FDrives(drives)
    {
    }
    ~TRecordingBrowseView() override { FScript.Selected = std::string(1, FSelected); }

    void SetCaptionText(const std::string& text) override { FScript.Journal.push_back("caption " + text); }
    std::string PathText() override { return FScript.Path; }
    void SetPathText(const std::string& text) override
    {
        FScript.Path = text;
        FScript.Journal.push_back("path " + text);
    }
    void SetPathReadOnly(bool readOnly) override
    {
        FScript.ReadOnly = readOnly;
        FScript.Journal.push_back(readOnly ? "readonly 1" : "readonly 0");
    }
    void DirectoriesChanged() override { FScript.Journal.push_back("dirs " + FForm.DirectoryBox.Directory()); }
    void DriveChanged() override
    {
        FSelected = FForm.DriveBox.Drive();
        FScript.Journal.push_back(std::string("drive ") + FSelected);
    }
    bool AskRetry(const std::string& message) override
    {
        FScript.Journal.push_back("error " + message);
        if (FScript.OnRetry)
            FScript.OnRetry(FDrives);
        if (FScript.Retries.empty())
            throw std::logic_error("unscripted error box");
        const bool retry = FScript.Retries.front();
        FScript.Retries.pop_front();
        return retry;
    }
    bool ShowModal() override
    {
        FSelected = FForm.DriveBox.Drive();
        FScript.Journal.push_back("modal");
        return FScript.User ? FScript.User(FForm, *this) : false;
    }
    // The user picks the drive with this letter in DriveBox.
    void ChooseDrive(char drive)
    {
        const auto& items = FForm.DriveBox.Items();
        for (size_t i = 0; i < items.size(); ++i)
            if (items[i].Drive == drive) {
                FSelected = drive;
                FForm.DriveBox.Choose(static_cast<int>(i));
            }
    }
    // The user double-clicks the item with this text in DirectoryBox.
    void OpenDirectory(const std::string& text)
    {
        const auto& items = FForm.DirectoryBox.Items();
        for (size_t i = 0; i < items.size(); ++i)
            if (items[i].Text == text)
                return FForm.DirectoryBox.Open(static_cast<int>(i));
        ADD_FAILURE() << "no item " << text;
    }

private:
    TBrowseForm& FForm;
    TBrowseScript& FScript;
    TFakeDriveSource& FDrives;
    char FSelected = 0;
};

struct TBrowseBench {
    TFakeDriveSource Drives;
    TBrowseScript Script;
    TZarnBrowseDir Browser;

    TBrowseBench()
    {
        Drives.AddDirectory("C:\\Program Files\\Common");
        Browser.TargetFolder = "ZarnFTP";
        Browser.CaptionText = "Select Destination Directory";
        Browser.InitialDir = "C:\\Program Files\\";
    }
    bool Execute()
    {
        return Browser.Execute(Drives, [this](TBrowseForm& form) {
            return std::make_unique<TRecordingBrowseView>(form, Script, Drives);
        });
    }
    // The user's actions, then OK (or Cancel).
    void User(std::function<void(TBrowseForm&, TRecordingBrowseView&)> act, bool ok)
    {
        Script.User = [act, ok](TBrowseForm& form, TRecordingBrowseView& view) {
            act(form, view);
            if (ok)
                form.btnOKClick();
            return ok;
        };
    }
};

TEST(BrowseModelTest, ExecuteOpensInTheInitialDirectoryWithTheFolderAppended)
{
    TBrowseBench bench;
    bench.User([](TBrowseForm&, TRecordingBrowseView&) {}, true);
    EXPECT_TRUE(bench.Execute());
    EXPECT_EQ(bench.Browser.Directory, "C:\\Program Files\\ZarnFTP");
    // The creation handler shows the bare current directory before the
    // folder name is known.
    EXPECT_EQ(bench.Script.Journal,
              (std::vector<std::string>{"path C:\\", "caption Select Destination Directory", "dirs C:\\Program Files",
                                        "path C:\\Program Files\\ZarnFTP", "readonly 0", "modal"}));
}

TEST(BrowseModelTest, ExecuteStartsWhereTheEdgeCasesSay)
{
    struct TCase {
        const char* Name;
        std::string InitialDir, Current, TargetFolder;
        std::string Path;
    };
    const std::vector<TCase> cases = {
        {"no initial directory: the program's", "", "C:\\", "ZarnFTP", "C:\\Temp\\ZarnFTP"},
        {"initial directory missing", "C:\\Nowhere\\", "C:\\", "ZarnFTP", "C:\\Temp\\ZarnFTP"},
        {"initial directory on an unreadable drive", "A:\\", "C:\\", "ZarnFTP", "C:\\Temp\\ZarnFTP"},
        {"already there: no change, no folder name", "C:\\", "C:\\", "ZarnFTP", "C:\\"},
        {"already there in another case", "c:\\temp", "C:\\Temp", "ZarnFTP", "C:\\Temp"},
        {"same directory, another spelling", "C:\\Temp\\", "C:\\Temp", "ZarnFTP", "C:\\Temp\\ZarnFTP"},
        {"no folder name", "C:\\Program Files\\", "C:\\", "", "C:\\Program Files"},
        {"initial directory without its \"\\\"", "C:\\Temp", "C:\\Program Files", "ZarnFTP", "C:\\Temp\\ZarnFTP"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TBrowseBench bench;
        bench.Drives.Drives['A'] = {dtRemovable, false, false, "", "", ""};
        bench.Drives.Current = c.Current;
        bench.Browser.InitialDir = c.InitialDir;
        bench.Browser.TargetFolder = c.TargetFolder;
        bench.User([](TBrowseForm&, TRecordingBrowseView&) {}, true);
        EXPECT_TRUE(bench.Execute());
        EXPECT_EQ(bench.Browser.Directory, c.Path);
    }
}

TEST(BrowseModelTest, ChoosingADirectoryProposesItWithTheFolder)
{
    TBrowseBench bench;
    std::vector<std::string> shown;
    bench.User(
        [&](TBrowseForm&, TRecordingBrowseView& view) {
            view.OpenDirectory("Common");
            shown.push_back(bench.Script.Path);
            view.OpenDirectory("Program Files");
            shown.push_back(bench.Script.Path);
            view.OpenDirectory("C:\\");
            shown.push_back(bench.Script.Path);
        },
        true);
    EXPECT_TRUE(bench.Execute());
    EXPECT_EQ(shown, (std::vector<std::string>{"C:\\Program Files\\Common\\ZarnFTP", "C:\\Program Files\\ZarnFTP",
                                               "C:\\ZarnFTP"}));
    EXPECT_EQ(bench.Browser.Directory, "C:\\ZarnFTP");
}

TEST(BrowseModelTest, OkReturnsThePathBoxAndCancelNothing)
{
    struct TCase {
        const char* Name;
        bool ReadOnly;
        std::function<void(TBrowseForm&, TRecordingBrowseView&)> Act;
        bool Ok;
        std::string Directory;
    };
    TBrowseScript* script = nullptr;
    const std::vector<TCase> cases = {
        {"typed text", false, [&](TBrowseForm&, TRecordingBrowseView&) { script->Path = "E:\\Mine"; }, true,
         "E:\\Mine"},
        {"typed, then a directory change overwrites it", false,
         [&](TBrowseForm&, TRecordingBrowseView& view) {
             script->Path = "E:\\Mine";
             view.OpenDirectory("Common");
         },
         true, "C:\\Program Files\\Common\\ZarnFTP"},
        {"Cancel after typing", false, [&](TBrowseForm&, TRecordingBrowseView&) { script->Path = "E:\\Mine"; },
         false, ""},
        {"Cancel after choosing", true, [&](TBrowseForm&, TRecordingBrowseView& view) { view.OpenDirectory("Common"); },
         false, ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TBrowseBench bench;
        script = &bench.Script;
        bench.Browser.ReadOnly = c.ReadOnly;
        bench.Browser.Directory = "left over";
        bench.User(c.Act, c.Ok);
        EXPECT_EQ(bench.Execute(), c.Ok);
        EXPECT_EQ(bench.Browser.Directory, c.Directory);
        EXPECT_EQ(bench.Script.ReadOnly, c.ReadOnly);
    }
}

TEST(BrowseModelTest, UnreadableDriveOffersRetryAndCancelGoesBack)
{
    struct TCase {
        const char* Name;
        std::deque<bool> Retries;
        bool InsertedOnSecondTry;
        std::string Path;      // after the choice of a:
        std::string Selected;  // DriveBox afterwards
        int Errors;
    };
    const std::vector<TCase> cases = {
        {"Cancel", {false}, false, "C:\\Program Files\\ZarnFTP", "c", 1},
        {"Retry, Retry, Cancel", {true, true, false}, false, "C:\\Program Files\\ZarnFTP", "c", 3},
        {"Retry after inserting a disk", {true}, true, "A:\\Disk\\ZarnFTP", "a", 1},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TBrowseBench bench;
        bench.Drives.Drives['A'] = {dtRemovable, false, false, "", "", "A:\\Disk"};
        bench.Script.Retries = c.Retries;
        if (c.InsertedOnSecondTry)
            bench.Script.OnRetry = [](TFakeDriveSource& drives) { drives.Drives['A'].Accessible = true; };
        bench.User([](TBrowseForm&, TRecordingBrowseView& view) { view.ChooseDrive('a'); }, true);
        EXPECT_TRUE(bench.Execute());
        EXPECT_EQ(bench.Browser.Directory, c.Path);
        EXPECT_EQ(bench.Script.Selected, c.Selected);
        EXPECT_EQ(std::count(bench.Script.Journal.begin(), bench.Script.Journal.end(), "error Unable to access a:\\"),
                  c.Errors);
    }
}

TEST(BrowseModelTest, CancelReturnsToTheDriveBeforeTheLatestChoice)
{
    TBrowseBench bench;
    bench.Drives.Drives['A'] = {dtRemovable, false, false, "", "", ""};
    bench.Drives.Drives['D'] = {dtFixed, true, true, "DATA", "", "D:\\Work"};
    bench.Drives.AddDirectory("D:\\Work");
    bench.Script.Retries = {false};
    std::vector<std::string> paths;
    bench.User(
        [&](TBrowseForm& form, TRecordingBrowseView& view) {
            view.ChooseDrive('d');
            paths.push_back(bench.Script.Path);
            view.ChooseDrive('a');
            paths.push_back(bench.Script.Path);
            paths.push_back(form.DirectoryBox.Directory());
        },
        true);
    EXPECT_TRUE(bench.Execute());
    EXPECT_EQ(paths, (std::vector<std::string>{"D:\\Work\\ZarnFTP", "D:\\Work\\ZarnFTP", "D:\\Work"}));
    EXPECT_EQ(bench.Script.Selected, "d");
    EXPECT_EQ(bench.Browser.Directory, "D:\\Work\\ZarnFTP");
}

} // namespace
