// The browse dialog, the Confirm box and the error displays as a person
// meets them: a second thread finds the windows by class and caption, reads
// their controls and presses keys and buttons, while this thread waits in
// the dialog. What the driver saw is checked here once it is done.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "installer/BrowseDir.h"
#include "platform/DriveSource.h"
#include "resources/BrowseGlyphs.h"
#include "ui/BrowseDialog.h"
#include "ui/Dpi.h"
#include "ui/GlyphPainter.h"
#include "ui/MessageBoxes.h"

namespace {

// Runs script on a thread of its own; joined by Finish or the destructor.
class TDriver {
public:
    explicit TDriver(std::function<void(TDriver&)> script) : FScript(std::move(script))
    {
        FThread = CreateThread(nullptr, 0, &Run, this, 0, nullptr);
    }
    ~TDriver() { Finish(); }
    void Finish()
    {
        if (FThread) {
            WaitForSingleObject(FThread, INFINITE);
            CloseHandle(FThread);
            FThread = nullptr;
        }
    }

    std::vector<std::string> Seen; // what the driver read, in order
    void Note(const std::string& what) { Seen.push_back(what); }

private:
    static DWORD WINAPI Run(void* self)
    {
        auto* driver = static_cast<TDriver*>(self);
        driver->FScript(*driver);
        return 0;
    }
    std::function<void(TDriver&)> FScript;
    HANDLE FThread = nullptr;
};

// Polls for a condition; a window that never comes must not hang the suite.
bool WaitFor(const std::function<bool()>& condition)
{
    for (int i = 0; i < 400; ++i) {
        if (condition())
            return true;
        Sleep(25);
    }
    return false;
}

HWND WaitForWindow(const char* className, const char* caption, HWND other = nullptr)
{
    HWND found = nullptr;
    WaitFor([&] {
        found = FindWindowA(className, caption);
        return found && found != other && IsWindowVisible(found);
    });
    return found;
}

std::string Text(HWND window)
{
    char text[1024] = {};
    DWORD_PTR length = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                        &length);
    return std::string(text, length);
}

std::string ListItem(HWND list, int index, bool combo = false)
{
    char text[1024] = {};
    SendMessageA(list, combo ? CB_GETLBTEXT : LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return text;
}

std::vector<std::string> ListItems(HWND list)
{
    std::vector<std::string> items;
    const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        items.push_back(ListItem(list, i));
    return items;
}

void Key(HWND window, WPARAM key)
{
    PostMessageA(window, WM_KEYDOWN, key, 1);
    PostMessageA(window, WM_KEYUP, key, 0xC0000001);
}

void DoubleClick(HWND list, int index)
{
    RECT item = {};
    SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    const LPARAM at = MAKELPARAM(item.left + 20, (item.top + item.bottom) / 2);
    PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(list, WM_LBUTTONUP, 0, at);
    PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    PostMessageA(list, WM_LBUTTONUP, 0, at);
}

// The dialog's path box once it has settled on expected ("" when it did not).
std::string WaitForPath(HWND dialog, const std::string& expected)
{
    const HWND path = GetDlgItem(dialog, idBrowsePath);
    WaitFor([&] { return Text(path) == expected; });
    return Text(path);
}

BOOL CALLBACK FindLeftover(HWND window, LPARAM out)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char className[32] = {};
    GetClassNameA(window, className, sizeof className);
    if (process == GetCurrentProcessId() && IsWindowVisible(window) &&
        (std::string(className) == "#32770" || std::string(className) == BrowseDialogClass)) {
        *reinterpret_cast<HWND*>(out) = window;
        return FALSE;
    }
    return TRUE;
}

// Ends a dialog or box of this process that the script left open, so that a
// failure cannot hang the run.
void CloseLeftovers()
{
    for (int i = 0; i < 10; ++i) {
        HWND left = nullptr;
        EnumWindows(&FindLeftover, reinterpret_cast<LPARAM>(&left));
        if (!left)
            return;
        PostMessageA(left, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        PostMessageA(left, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
        Sleep(200);
    }
}

struct TBrowseFolders {
    TBrowseFolders()
    {
        for (const char* dir : {"C:\\zarn-browse", "C:\\zarn-browse\\Alpha", "C:\\zarn-browse\\Beta",
                                "C:\\zarn-browse\\Beta\\Inner"})
            CreateDirectoryA(dir, nullptr);
        SetCurrentDirectoryA("C:\\zarn-browse\\Alpha");
    }
    ~TBrowseFolders() { SetCurrentDirectoryA("C:\\"); }
};

TZarnBrowseDir DesignedBrowser()
{
    TZarnBrowseDir browser;
    browser.TargetFolder = "ZarnFTP";
    browser.CaptionText = "Select Destination Directory";
    browser.InitialDir = "C:\\zarn-browse\\";
    return browser;
}

TEST(BrowseDialogTest, DirectoryChangesRefreshThePathAndOkReturnsIt)
{
    TBrowseFolders folders;
    TZarnBrowseDir browser = DesignedBrowser();
    TDriver driver([](TDriver& d) {
        const HWND dialog = WaitForWindow(BrowseDialogClass, BrowseDialogCaption);
        if (!dialog)
            return d.Note("no dialog");
        const HWND list = GetDlgItem(dialog, idBrowseDirectories);
        d.Note(Text(GetDlgItem(dialog, idBrowseText)));
        d.Note(Text(GetDlgItem(dialog, idBrowsePath)));
        for (const std::string& item : ListItems(list))
            d.Note("item " + item);
        d.Note("selected " + std::to_string(SendMessageA(list, LB_GETCURSEL, 0, 0)));

        SendMessageA(list, LB_SETCURSEL, 3, 0); // Beta, opened with Enter
        Key(list, VK_RETURN);
        d.Note(WaitForPath(dialog, "C:\\zarn-browse\\Beta\\ZarnFTP"));
        DoubleClick(list, 3); // Inner
        d.Note(WaitForPath(dialog, "C:\\zarn-browse\\Beta\\Inner\\ZarnFTP"));
        DoubleClick(list, 0); // the drive root: no doubled "\"
        d.Note(WaitForPath(dialog, "C:\\ZarnFTP"));
        SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(SendMessageA(list, LB_FINDSTRINGEXACT, 0,
                                                                          reinterpret_cast<LPARAM>("zarn-browse"))),
                     0);
        Key(list, VK_RETURN);
        d.Note(WaitForPath(dialog, "C:\\zarn-browse\\ZarnFTP"));
        // Enter in the path box presses the default button, OK.
        Key(GetDlgItem(dialog, idBrowsePath), VK_RETURN);
        d.Note(WaitFor([&] { return !IsWindowVisible(dialog); }) ? "closed" : "still open");
        CloseLeftovers();
    });
    const bool ok = browser.Execute(NativeDriveSource(), Win32BrowseDialog(nullptr));
    driver.Finish();
    EXPECT_TRUE(ok);
    EXPECT_EQ(browser.Directory, "C:\\zarn-browse\\ZarnFTP");
    EXPECT_EQ(driver.Seen, (std::vector<std::string>{
                               "Select Destination Directory", "C:\\zarn-browse\\ZarnFTP", "item C:\\",
                               "item zarn-browse", "item Alpha", "item Beta", "selected 1",
                               "C:\\zarn-browse\\Beta\\ZarnFTP", "C:\\zarn-browse\\Beta\\Inner\\ZarnFTP",
                               "C:\\ZarnFTP", "C:\\zarn-browse\\ZarnFTP", "closed"}));
}

TEST(BrowseDialogTest, TypedPathIsReturnedAndCancelReturnsNothing)
{
    struct TCase {
        const char* Name;
        bool ReadOnly;
        std::function<void(HWND dialog)> Close;
        bool Ok;
        std::string Directory;
    };
    const std::vector<TCase> cases = {
        {"typed, then OK", false,
         [](HWND dialog) { PostMessageA(GetDlgItem(dialog, idBrowseOK), BM_CLICK, 0, 0); }, true, "D:\\typed here"},
        {"Cancel button", false,
         [](HWND dialog) { PostMessageA(GetDlgItem(dialog, idBrowseCancel), BM_CLICK, 0, 0); }, false, ""},
        {"Escape", true, [](HWND dialog) { Key(GetDlgItem(dialog, idBrowseDirectories), VK_ESCAPE); }, false, ""},
        {"window closed", true, [](HWND dialog) { PostMessageA(dialog, WM_CLOSE, 0, 0); }, false, ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TBrowseFolders folders;
        TZarnBrowseDir browser = DesignedBrowser();
        browser.ReadOnly = c.ReadOnly;
        bool readOnly = !c.ReadOnly;
        TDriver driver([&](TDriver& d) {
            const HWND dialog = WaitForWindow(BrowseDialogClass, BrowseDialogCaption);
            if (!dialog)
                return d.Note("no dialog");
            const HWND path = GetDlgItem(dialog, idBrowsePath);
            readOnly = (GetWindowLongA(path, GWL_STYLE) & ES_READONLY) != 0;
            SendMessageA(path, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("D:\\typed here"));
            c.Close(dialog);
            d.Note(WaitFor([&] { return !IsWindowVisible(dialog); }) ? "closed" : "still open");
            CloseLeftovers();
        });
        const bool ok = browser.Execute(NativeDriveSource(), Win32BrowseDialog(nullptr));
        driver.Finish();
        EXPECT_EQ(ok, c.Ok);
        EXPECT_EQ(browser.Directory, c.Directory);
        EXPECT_EQ(readOnly, c.ReadOnly);
        EXPECT_EQ(driver.Seen, std::vector<std::string>{"closed"});
    }
}

// The machine's drives, except that one of them has no medium.
class TEmptyDrive : public TDriveSource {
public:
    explicit TEmptyDrive(char drive) : FDrive(drive) {}
    uint32_t LogicalDrives() override { return FReal.LogicalDrives(); }
    TDriveType DriveType(char drive) override { return FReal.DriveType(drive); }
    bool VolumeLabel(char drive, std::string& label) override { return FReal.VolumeLabel(drive, label); }
    bool RemoteName(char drive, std::string& name) override { return FReal.RemoteName(drive, name); }
    bool IsDirectory(const std::string& path) override
    {
        return (path.empty() || (path[0] | 0x20) != FDrive) && FReal.IsDirectory(path);
    }
    std::vector<std::string> Subdirectories(const std::string& d) override { return FReal.Subdirectories(d); }
    std::string CurrentDirectory() override { return FReal.CurrentDirectory(); }
    std::string DriveDirectory(char drive) override { return FReal.DriveDirectory(drive); }
    std::string ProgramDirectory() override { return FReal.ProgramDirectory(); }

private:
    TDriveSource& FReal = NativeDriveSource();
    char FDrive;
};

// The drive list's selected item, and its index.
std::string SelectedDrive(HWND drives)
{
    const int index = static_cast<int>(SendMessageA(drives, CB_GETCURSEL, 0, 0));
    return index < 0 ? "none" : ListItem(drives, index, true);
}

// The button that Enter presses: the focused one, drawn as the default.
std::string DefaultButton(HWND box)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(box, nullptr), &info) || !info.hwndFocus)
        return "no focus";
    const bool drawnDefault = (GetWindowLongA(info.hwndFocus, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    return Text(info.hwndFocus) + (drawnDefault ? " default" : " focused only");
}

BOOL CALLBACK FindMessageText(HWND child, LPARAM out)
{
    char className[16] = {};
    GetClassNameA(child, className, sizeof className);
    const std::string text = Text(child);
    if (_stricmp(className, "Static") == 0 && !text.empty())
        *reinterpret_cast<std::string*>(out) = text;
    return TRUE;
}

// The message of a message box: its static control with text.
std::string BoxText(HWND box)
{
    std::string text;
    EnumChildWindows(box, &FindMessageText, reinterpret_cast<LPARAM>(&text));
    return text;
}

TEST(BrowseDialogTest, AnotherDriveMovesTheListAndAnUnreadableOneOffersRetry)
{
    TBrowseFolders folders;
    TZarnBrowseDir browser = DesignedBrowser();
    TEmptyDrive drives('z');
    TDriver driver([](TDriver& d) {
        const HWND dialog = WaitForWindow(BrowseDialogClass, BrowseDialogCaption);
        if (!dialog)
            return d.Note("no dialog");
        const HWND list = GetDlgItem(dialog, idBrowseDrives);
        const HWND dirs = GetDlgItem(dialog, idBrowseDirectories);
        d.Note(SelectedDrive(list).substr(0, 2));
        // Typing a drive letter chooses its item.
        PostMessageA(list, WM_CHAR, 'z', 1);
        HWND box = WaitForWindow("#32770", ApplicationTitle);
        d.Note(box ? BoxText(box) : "no box");
        if (box) {
            d.Note(DefaultButton(box));
            Key(GetDlgItem(box, IDRETRY), VK_RETURN); // Retry
            WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); });
        }
        box = WaitForWindow("#32770", ApplicationTitle);
        d.Note(box ? BoxText(box) : "no second box");
        if (box) {
            Key(GetDlgItem(box, IDRETRY), VK_ESCAPE); // Cancel
            WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); });
        }
        WaitFor([&] { return SelectedDrive(list).rfind("c:", 0) == 0; });
        d.Note(SelectedDrive(list).substr(0, 2));
        d.Note(Text(GetDlgItem(dialog, idBrowsePath)));
        d.Note(ListItem(dirs, 0));
        PostMessageA(GetDlgItem(dialog, idBrowseCancel), BM_CLICK, 0, 0);
        WaitFor([&] { return !IsWindowVisible(dialog); });
        CloseLeftovers();
    });
    EXPECT_FALSE(browser.Execute(drives, Win32BrowseDialog(nullptr)));
    driver.Finish();
    EXPECT_EQ(driver.Seen, (std::vector<std::string>{"c:", "Unable to access z:\\", "&Retry default",
                                                     "Unable to access z:\\", "c:", "C:\\zarn-browse\\ZarnFTP",
                                                     "C:\\"}));
}

TEST(BrowseDialogTest, ChoosingAReadableDriveMovesTheDirectoryList)
{
    TBrowseFolders folders;
    TZarnBrowseDir browser = DesignedBrowser();
    TDriver driver([](TDriver& d) {
        const HWND dialog = WaitForWindow(BrowseDialogClass, BrowseDialogCaption);
        if (!dialog)
            return d.Note("no dialog");
        const HWND list = GetDlgItem(dialog, idBrowseDrives);
        const HWND path = GetDlgItem(dialog, idBrowsePath);
        PostMessageA(list, WM_CHAR, 'z', 1);
        WaitFor([&] { return Text(path).rfind("Z:\\", 0) == 0; });
        const std::string shown = Text(path);
        d.Note(shown.substr(0, 3) + "..." + shown.substr(shown.size() - 8));
        d.Note(SelectedDrive(list).substr(0, 2));
        d.Note(ListItem(GetDlgItem(dialog, idBrowseDirectories), 0));
        Key(path, VK_RETURN);
        WaitFor([&] { return !IsWindowVisible(dialog); });
        CloseLeftovers();
    });
    EXPECT_TRUE(browser.Execute(NativeDriveSource(), Win32BrowseDialog(nullptr)));
    driver.Finish();
    EXPECT_EQ(driver.Seen, (std::vector<std::string>{"Z:\\...\\ZarnFTP", "z:", "Z:\\"}));
    EXPECT_EQ(browser.Directory.rfind("Z:\\", 0), 0u);
}

TEST(ConfirmBoxTest, EscapeAndCloseAnswerNoEnterYes)
{
    struct TCase {
        const char* Name;
        std::function<void(HWND box)> Answer;
        int Button;
    };
    const std::vector<TCase> cases = {
        {"Escape", [](HWND box) { Key(GetDlgItem(box, IDYES), VK_ESCAPE); }, IDNO},
        {"close command", [](HWND box) { PostMessageA(box, WM_CLOSE, 0, 0); }, IDNO},
        {"Enter on the default button", [](HWND box) { Key(GetDlgItem(box, IDYES), VK_RETURN); }, IDYES},
        {"Enter on the box", [](HWND box) { Key(box, VK_RETURN); }, IDYES},
        {"No button", [](HWND box) { PostMessageA(GetDlgItem(box, IDNO), BM_CLICK, 0, 0); }, IDNO},
    };
    const std::string question = "Do you want to backup replaced files ?  ";
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TDriver driver([&](TDriver& d) {
            const HWND box = WaitForWindow("#32770", "Confirm");
            if (!box)
                return d.Note("no box");
            d.Note(BoxText(box));
            d.Note(Text(GetDlgItem(box, IDYES)) + " " + Text(GetDlgItem(box, IDNO)));
            d.Note(GetDlgItem(box, IDCANCEL) ? "has Cancel" : "no Cancel");
            d.Note(DefaultButton(box));
            c.Answer(box);
            d.Note(WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); }) ? "closed" : "still open");
            CloseLeftovers();
        });
        const int button = ConfirmBoxAnswer(question);
        driver.Finish();
        EXPECT_EQ(button, c.Button);
        EXPECT_EQ(driver.Seen, (std::vector<std::string>{question, "&Yes &No", "no Cancel",
                                                         "&Yes default", "closed"}));
    }
}

TEST(ConfirmBoxTest, ErrorDisplayIsCaptionedSetupWithTheFullStopRule)
{
    const std::pair<std::string, std::string> cases[] = {
        {"Disk full", "Disk full."},
        {"Cannot create file \"C:\\x\\install.log\"", "Cannot create file \"C:\\x\\install.log\""},
    };
    for (const auto& [message, shown] : cases) {
        TDriver driver([](TDriver& d) {
            const HWND box = WaitForWindow("#32770", ApplicationTitle);
            if (!box)
                return d.Note("no box");
            d.Note(BoxText(box));
            d.Note(GetDlgItem(box, IDOK) && !GetDlgItem(box, IDNO) ? "OK only" : "other buttons");
            Key(GetDlgItem(box, IDOK), VK_RETURN);
            WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); });
            CloseLeftovers();
        });
        ShowErrorBox(message);
        driver.Finish();
        EXPECT_EQ(driver.Seen, (std::vector<std::string>{shown, "OK only"}));
    }
}

TEST(BrowseGlyphsTest, EveryGlyphIsDrawnPixelForPixelInTheSixteenColours)
{
    const std::string names[] = {"OPENFOLDER", "CURRENTFOLDER", "CLOSEDFOLDER", "FLOPPY", "HARD",
                                 "NETWORK", "CDROM", "RAM"};
    const COLORREF background = RGB(1, 2, 3);
    for (int g = 0; g < 8; ++g) {
        const TGlyph& glyph = BrowseGlyphs[g];
        SCOPED_TRACE(glyph.Name);
        EXPECT_EQ(glyph.Name, names[g]);
        EXPECT_EQ(glyph.Width, 16);
        EXPECT_EQ(glyph.Height, g < 3 ? 15 : 11);

        // Drawn twice the size, as at 192 DPI: each pixel becomes a 2 by 2 block.
        const int width = 2 * glyph.Width, height = 2 * glyph.Height;
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        const HDC dc = CreateCompatibleDC(nullptr);
        const HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        const HGDIOBJ old = SelectObject(dc, bitmap);
        DrawGlyph(dc, 0, 0, width, height, glyph, background);
        GdiFlush();
        int wrong = 0;
        for (int y = 0; y < height; ++y) {
            const std::string row = glyph.Rows[y / 2];
            ASSERT_EQ(row.size(), 16u) << "row " << y / 2;
            for (int x = 0; x < width; ++x) {
                const char c = row[static_cast<size_t>(x / 2)];
                const int index = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
                ASSERT_TRUE(index >= 0 || c == '.') << "character " << c;
                const uint32_t want = index < 0 ? background : GlyphPalette[index];
                const uint32_t pixel = static_cast<const uint32_t*>(bits)[y * width + x];
                const uint32_t got = ((pixel >> 16) & 0xFF) | (pixel & 0xFF00) | ((pixel & 0xFF) << 16);
                wrong += got != want;
            }
        }
        EXPECT_EQ(wrong, 0);
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    EXPECT_EQ(&FolderGlyph(fgCurrentFolder), &BrowseGlyphs[1]);
    EXPECT_EQ(&DriveGlyph(dgNetwork), &BrowseGlyphs[5]);
}

TEST(BrowseGlyphsTest, DesignPixelsScaleWithTheDpiTruncatingTowardsZero)
{
    EXPECT_EQ(TDpi(96).Scale(271), 271);
    EXPECT_EQ(TDpi(120).Scale(271), 338); // 338.75
    EXPECT_EQ(TDpi(120).Scale(-11), -13); // -13.75: font heights shrink towards zero too
    EXPECT_EQ(TDpi(144).Scale(-10), -15);
    EXPECT_GT(WindowDpi(nullptr), 0);
}

} // namespace
