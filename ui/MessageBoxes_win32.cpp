// A standard message box with Yes and No has no Cancel button, so Escape does
// nothing there. The Confirm box is therefore a standard box caught as it
// opens (a CBT hook on this thread): its buttons get their texts, and its
// window procedure turns the dialog manager's Cancel command into No.
#include "ui/MessageBoxes.h"

#include <cstring>

#include "platform/ErrorDisplay.h"
#include "platform/Exception.h"

namespace {

const char* const OriginalProcProperty = "ZarnConfirmProc";

thread_local HHOOK tConfirmHook = nullptr;

LRESULT CALLBACK ConfirmBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto original = reinterpret_cast<WNDPROC>(GetPropA(box, OriginalProcProperty));
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        wParam = MAKEWPARAM(IDNO, BN_CLICKED);
        lParam = reinterpret_cast<LPARAM>(GetDlgItem(box, IDNO));
    } else if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        RemovePropA(box, OriginalProcProperty);
    }
    return CallWindowProcA(original, box, message, wParam, lParam);
}

LRESULT CALLBACK ConfirmHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE) {
        const HWND box = reinterpret_cast<HWND>(wParam);
        char className[16] = {};
        GetClassNameA(box, className, sizeof className);
        if (std::strcmp(className, "#32770") == 0 && GetDlgItem(box, IDYES) && GetDlgItem(box, IDNO) &&
            !GetPropA(box, OriginalProcProperty)) {
            // The texts are the program's own, whatever the system's language.
            SetDlgItemTextA(box, IDYES, "&Yes");
            SetDlgItemTextA(box, IDNO, "&No");
            SendMessageA(box, DM_SETDEFID, IDYES, 0); // Enter means Yes wherever the focus is
            const LONG_PTR original =
                SetWindowLongPtrA(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ConfirmBoxProc));
            SetPropA(box, OriginalProcProperty, reinterpret_cast<HANDLE>(original));
            const HHOOK hook = tConfirmHook;
            tConfirmHook = nullptr;
            const LRESULT result = CallNextHookEx(hook, code, wParam, lParam);
            UnhookWindowsHookEx(hook);
            return result;
        }
    }
    return CallNextHookEx(tConfirmHook, code, wParam, lParam);
}

// Above the always-on-top wizard; every window of the thread disabled when
// there is no owner.
const UINT CommonStyle = MB_TASKMODAL | MB_TOPMOST | MB_SETFOREGROUND;

} // namespace

int ConfirmBoxAnswer(const std::string& question, HWND owner)
{
    tConfirmHook = SetWindowsHookExA(WH_CBT, &ConfirmHook, nullptr, GetCurrentThreadId());
    const int answer =
        MessageBoxA(owner, question.c_str(), "Confirm", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON1 | CommonStyle);
    if (tConfirmHook) { // the box never opened
        UnhookWindowsHookEx(tConfirmHook);
        tConfirmHook = nullptr;
    }
    return answer;
}

void ShowErrorBox(const std::string& message, HWND owner)
{
    MessageBoxA(owner, ErrorDisplayText(message).c_str(), ApplicationTitle, MB_OK | MB_ICONERROR | CommonStyle);
}

bool RetryBox(const std::string& message, HWND owner)
{
    return MessageBoxA(owner, message.c_str(), ApplicationTitle,
                       MB_RETRYCANCEL | MB_ICONERROR | MB_DEFBUTTON1 | CommonStyle) == IDRETRY;
}

void WarningBox(const std::string& message, HWND owner)
{
    MessageBoxA(owner, message.c_str(), ApplicationTitle, MB_OK | MB_ICONWARNING | CommonStyle);
}

void ReportErrors(const std::function<void()>& action)
{
    try {
        action();
    } catch (const std::exception& e) {
        ShowErrorBox(e.what());
    }
}
