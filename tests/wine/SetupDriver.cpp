#include "tests/wine/SetupDriver.h"

#include <tlhelp32.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/GdiSurface.h"
#include "tests/wine/WineSupport.h"
#include "tools/gallery/PngWriter.h"
#include "ui/BrowseDialog.h"
#include "ui/WindowIds.h"

namespace {

// The text of a message box is the static control with this identifier.
const int MessageBoxTextId = 0xFFFF;

std::vector<wchar_t> EnvironmentWith(const std::string& extra)
{
    std::vector<wchar_t> block;
    LPWCH current = GetEnvironmentStringsW();
    for (const wchar_t* p = current; *p; p += wcslen(p) + 1) {
        // The drives' current directories stay ours: the program starts in C:\ only.
        if (p[0] == L'=')
            continue;
        block.insert(block.end(), p, p + wcslen(p) + 1);
    }
    FreeEnvironmentStringsW(current);
    size_t start = 0;
    while (start < extra.size()) {
        size_t end = extra.find('\n', start);
        if (end == std::string::npos)
            end = extra.size();
        const std::wstring entry = Wide(extra.substr(start, end - start));
        if (!entry.empty())
            block.insert(block.end(), entry.c_str(), entry.c_str() + entry.size() + 1);
        start = end + 1;
    }
    block.push_back(L'\0');
    return block;
}

} // namespace

TProgramRun::TProgramRun(const std::string& program, const std::string& environment, const std::string& arguments)
{
    std::wstring commandLine = Wide("\"" + program + "\"" + (arguments.empty() ? "" : " " + arguments));
    std::vector<wchar_t> env = EnvironmentWith(environment);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT, env.data(),
                        L"C:\\", &startup, &FProcess))
        FProcess = {};
}

TProgramRun::~TProgramRun()
{
    if (!FProcess.hProcess)
        return;
    if (WaitForSingleObject(FProcess.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(FProcess.hProcess, 99);
        WaitForSingleObject(FProcess.hProcess, 5000);
    }
    CloseHandle(FProcess.hThread);
    CloseHandle(FProcess.hProcess);
}

bool TProgramRun::WaitForExit(DWORD timeout, DWORD* code)
{
    if (!FProcess.hProcess || WaitForSingleObject(FProcess.hProcess, timeout) != WAIT_OBJECT_0)
        return false;
    if (code)
        GetExitCodeProcess(FProcess.hProcess, code);
    return true;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeout)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start > timeout)
            return false;
        Sleep(50);
    }
}

HWND WaitForWindow(const char* className, const char* caption, DWORD timeout)
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            found = FindWindowA(className, caption);
            return found && IsWindowVisible(found);
        },
        timeout);
    return found && IsWindowVisible(found) ? found : nullptr;
}

namespace {

struct TControlSearch {
    int Id;
    HWND Found;
};

BOOL CALLBACK MatchControl(HWND child, LPARAM data)
{
    auto* search = reinterpret_cast<TControlSearch*>(data);
    if (GetDlgCtrlID(child) != search->Id)
        return TRUE;
    search->Found = child;
    return FALSE;
}

} // namespace

HWND FindControl(HWND window, int id)
{
    TControlSearch search{id, nullptr};
    EnumChildWindows(window, &MatchControl, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

std::string TextOf(HWND window)
{
    // Asked of the control itself: for another process's window, GetWindowText
    // gives only the caption it was created with.
    wchar_t text[1024] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                        &copied);
    return Utf8(text);
}

bool Visible(HWND window)
{
    return window && IsWindowVisible(window);
}

void Click(HWND button)
{
    PostMessageA(button, BM_CLICK, 0, 0);
}

void Type(HWND edit, const std::string& text)
{
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(text).c_str()));
}

HWND WaitForBox(const char* caption, std::string* text, DWORD timeout)
{
    const HWND box = WaitForWindow("#32770", caption, timeout);
    if (box && text)
        *text = TextOf(GetDlgItem(box, MessageBoxTextId));
    return box;
}

HWND WaitForConfirm(std::string* text, DWORD timeout)
{
    return WaitForBox("Confirm", text, timeout);
}

void Answer(HWND box, int button)
{
    if (button == 0) {
        // Escape as the box's own keyboard handling sees it, at its focused button.
        const HWND focus = GetDlgItem(box, IDYES) ? GetDlgItem(box, IDYES) : box;
        PostMessageA(focus, WM_KEYDOWN, VK_ESCAPE, 1);
        PostMessageA(focus, WM_KEYUP, VK_ESCAPE, 0xC0000001);
    } else {
        Click(GetDlgItem(box, button));
    }
}

bool WaitGone(HWND window, DWORD timeout)
{
    return WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeout);
}

std::string AnswerConfirm(int button, DWORD timeout)
{
    std::string question;
    const HWND box = WaitForConfirm(&question, timeout);
    if (!box)
        return std::string();
    Answer(box, button);
    return WaitGone(box) ? question : std::string();
}

void ForgetInstalledProduct()
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZarnFTP", 0,
                      KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(key, "UninstallString");
    RegCloseKey(key);
}

bool InstallThroughWizard(const std::string& program, std::vector<std::string>* questions,
                          const std::string& destination)
{
    TProgramRun run(program);
    const HWND wizard = WaitForWindow(WizardWindowClass, nullptr, 30000);
    if (!wizard)
        return false;
    const auto onPage = [&](int page) { return Visible(wizard) && Visible(FindControl(wizard, page)); };
    Click(FindControl(wizard, idNext));
    if (!WaitUntil([&] { return onPage(idPagePath); }))
        return false;
    if (!destination.empty()) {
        // Typed into the browse dialog's path field; what the wizard made of
        // it shows in its questions.
        const HWND label = FindControl(wizard, idDestPath);
        const std::string offered = TextOf(label);
        Click(FindControl(wizard, idBrowse));
        const HWND dialog = WaitForWindow(BrowseDialogClass, BrowseDialogCaption);
        if (!dialog)
            return false;
        Type(GetDlgItem(dialog, idBrowsePath), destination);
        Click(GetDlgItem(dialog, idBrowseOK));
        if (!WaitGone(dialog) || !WaitUntil([&] { return TextOf(label) != offered; }))
            return false;
    }
    Click(FindControl(wizard, idNext));
    // Every question up to the finish page: Yes, but no backup.
    const bool finished = WaitUntil(
        [&] {
            if (onPage(idPageFinish))
                return true;
            std::string question;
            if (const HWND box = WaitForConfirm(&question, 100)) {
                Answer(box, question.rfind("Do you want to backup", 0) == 0 ? IDNO : IDYES);
                WaitGone(box);
                if (questions)
                    questions->push_back(question);
            }
            // A warning after the run (links that could not be saved) is read and closed.
            if (const HWND box = WaitForBox("Setup", &question, 0)) {
                Answer(box, IDOK);
                WaitGone(box);
                if (questions)
                    questions->push_back(question);
            }
            return false;
        },
        60000);
    if (!finished)
        return false;
    for (int box : {idReadme, idRunProgram}) {
        const HWND check = FindControl(wizard, box);
        if (SendMessageA(check, BM_GETCHECK, 0, 0) == BST_CHECKED)
            Click(check);
        if (!WaitUntil([&] { return SendMessageA(check, BM_GETCHECK, 0, 0) == BST_UNCHECKED; }))
            return false;
    }
    Click(FindControl(wizard, idNext));
    DWORD code = 1;
    return run.WaitForExit(30000, &code) && code == 0;
}

namespace {

bool CaptureScreen(const std::string& directory, const std::string& name, const RECT& area)
{
    Sleep(300); // let the windows finish painting
    CreateDirectoryA(directory.c_str(), nullptr);
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0)
        return false;
    const std::unique_ptr<TDrawingSurface> image = MakeGdiSurface(width, height);
    const HDC screen = GetDC(nullptr);
    const BOOL copied = BitBlt(static_cast<HDC>(GdiSurfaceDC(*image)), 0, 0, width, height, screen, area.left,
                               area.top, SRCCOPY | CAPTUREBLT);
    ReleaseDC(nullptr, screen);
    return copied && WritePng(*image, directory + "\\" + name + ".png");
}

} // namespace

bool Screenshot(const std::string& directory, const std::string& name)
{
    return CaptureScreen(directory, name, {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
}

bool ScreenshotOf(const std::string& directory, const std::string& name, const std::vector<HWND>& windows)
{
    RECT area = {};
    bool any = false;
    for (const HWND window : windows) {
        RECT r;
        if (!Visible(window) || !GetWindowRect(window, &r))
            continue;
        if (any)
            UnionRect(&area, &area, &r);
        else
            area = r;
        any = true;
    }
    // Kept on the screen: a window may reach past its edge.
    area.left = std::max(area.left, 0L);
    area.top = std::max(area.top, 0L);
    area.right = std::min(area.right, static_cast<LONG>(GetSystemMetrics(SM_CXSCREEN)));
    area.bottom = std::min(area.bottom, static_cast<LONG>(GetSystemMetrics(SM_CYSCREEN)));
    return any && CaptureScreen(directory, name, area);
}

HWND FocusOf(HWND window)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info))
        return nullptr;
    return info.hwndFocus;
}

void PressKey(HWND window, UINT key)
{
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC)) << 16;
    PostMessageA(window, WM_KEYDOWN, key, scan | 1);
    PostMessageA(window, WM_KEYUP, key, scan | 0xC0000001);
}

TProcessHold::TProcessHold(DWORD processId)
{
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != processId)
            continue;
        const HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID);
        if (!thread)
            continue;
        if (SuspendThread(thread) == static_cast<DWORD>(-1))
            CloseHandle(thread);
        else
            FThreads.push_back(thread);
    }
    CloseHandle(snapshot);
}

TProcessHold::~TProcessHold()
{
    for (const HANDLE thread : FThreads) {
        ResumeThread(thread);
        CloseHandle(thread);
    }
}
