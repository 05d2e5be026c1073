// A standard message box with Yes and No has no Cancel button, so Escape does
// nothing there. The Confirm box is therefore a standard box caught as it
// opens (a CBT hook on this thread): its buttons get their texts, and its
// window procedure turns the dialog manager's Cancel command into No.
#include "ui/MessageBoxes.h"

#include <string_view>

#include "platform/ErrorDisplay.h"
#include "platform/Exception.h"
#include "platform/WideText.h"

namespace {

const wchar_t* const OriginalProcProperty = L"ZarnConfirmProc";

thread_local HHOOK tConfirmHook = nullptr;

LRESULT CALLBACK ConfirmBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto original = reinterpret_cast<WNDPROC>(GetPropW(box, OriginalProcProperty));
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        wParam = MAKEWPARAM(IDNO, BN_CLICKED);
        lParam = reinterpret_cast<LPARAM>(GetDlgItem(box, IDNO));
    } else if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        RemovePropW(box, OriginalProcProperty);
    }
    return CallWindowProcW(original, box, message, wParam, lParam);
}

LRESULT CALLBACK ConfirmHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE) {
        const HWND box = reinterpret_cast<HWND>(wParam);
        wchar_t className[16] = {};
        GetClassNameW(box, className, 16);
        if (std::wstring_view(className) == L"#32770" && GetDlgItem(box, IDYES) && GetDlgItem(box, IDNO) &&
            !GetPropW(box, OriginalProcProperty)) {
            // The texts are the program's own, whatever the system's language.
            SetDlgItemTextW(box, IDYES, L"&Yes");
            SetDlgItemTextW(box, IDNO, L"&No");
            SendMessageW(box, DM_SETDEFID, IDYES, 0); // Enter means Yes wherever the focus is
            const LONG_PTR original =
                SetWindowLongPtrW(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ConfirmBoxProc));
            SetPropW(box, OriginalProcProperty, reinterpret_cast<HANDLE>(original));
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

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type)
{
    return MessageBoxW(owner, WideText(text).c_str(), WideText(caption).c_str(), type);
}

int ConfirmBoxAnswer(const std::string& question, HWND owner)
{
    tConfirmHook = SetWindowsHookExW(WH_CBT, &ConfirmHook, nullptr, GetCurrentThreadId());
    const int answer =
        ShowMessageBox(owner, question, "Confirm", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON1 | CommonStyle);
    if (tConfirmHook) { // the box never opened
        UnhookWindowsHookEx(tConfirmHook);
        tConfirmHook = nullptr;
    }
    return answer;
}

void ShowErrorBox(const std::string& message, HWND owner)
{
    ShowMessageBox(owner, ErrorDisplayText(message), ApplicationTitle, MB_OK | MB_ICONERROR | CommonStyle);
}

bool RetryBox(const std::string& message, HWND owner)
{
    return ShowMessageBox(owner, message, ApplicationTitle,
                          MB_RETRYCANCEL | MB_ICONERROR | MB_DEFBUTTON1 | CommonStyle) == IDRETRY;
}

void WarningBox(const std::string& message, HWND owner)
{
    ShowMessageBox(owner, message, ApplicationTitle, MB_OK | MB_ICONWARNING | CommonStyle);
}

void ReportErrors(const std::function<void()>& action)
{
    try {
        action();
    } catch (const std::exception& e) {
        ShowErrorBox(e.what());
    }
}
