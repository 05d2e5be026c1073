#include "ui/WindowKit.h"

#include <vector>

#include "platform/WideText.h"

namespace {

const char* const PanelClass = "ZarnPanel";

// Registers a class of wide windows, unless there is one of that name.
void RegisterClassOnce(const std::wstring& className, WNDPROC procedure, HICON icon)
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    if (GetClassInfoExW(GetModuleHandleW(nullptr), className.c_str(), &windowClass))
        return;
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hIcon = icon;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = className.c_str();
    RegisterClassExW(&windowClass);
}

// Panels pass on what their children tell them; the window they belong to answers.
LRESULT CALLBACK PanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
        return SendMessageW(GetParent(panel), message, wParam, lParam);
    default:
        return DefWindowProcW(panel, message, wParam, lParam);
    }
}

} // namespace

TWindowObject::~TWindowObject()
{
    if (FWindow) {
        SetWindowLongPtrW(FWindow, GWLP_USERDATA, 0);
        DestroyWindow(FWindow);
    }
}

void TWindowObject::CreateBound(const char* className, DWORD exStyle, const char* caption, DWORD style, int left,
                                int top, int width, int height, HWND parent)
{
    const std::wstring wideClass = WideText(className);
    // Each window binds its own object once it exists.
    RegisterClassOnce(wideClass, DefWindowProcW, LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1)));
    FWindow = CreateWindowExW(exStyle, wideClass.c_str(), WideText(caption).c_str(), style, left, top, width, height,
                              parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(FWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(FWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc));
}

LRESULT TWindowObject::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(FWindow, message, wParam, lParam);
}

LRESULT CALLBACK TWindowObject::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* object = reinterpret_cast<TWindowObject*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return object ? object->HandleMessage(message, wParam, lParam) : DefWindowProcW(window, message, wParam, lParam);
}

HFONT MakeWindowFont(const TDpi& dpi, const char* face, int height, bool bold, bool italic)
{
    return CreateFontW(dpi.Scale(height), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic, FALSE, FALSE, ANSI_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS,
                       WideText(face).c_str());
}

HWND MakeChild(HWND parent, const TDpi& dpi, const char* className, const char* text, DWORD style, DWORD exStyle,
               int id, int left, int top, int width, int height, HFONT font)
{
    const HWND child = CreateWindowExW(exStyle, WideText(className).c_str(), WideText(text).c_str(),
                                       WS_CHILD | WS_VISIBLE | style, dpi.Scale(left), dpi.Scale(top),
                                       dpi.Scale(width), dpi.Scale(height), parent,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                                       nullptr);
    if (font)
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return child;
}

HWND MakeLabel(HWND parent, const TDpi& dpi, const char* text, int id, int left, int top, HFONT font, int width,
               int height)
{
    const bool fit = width == 0;
    const DWORD style = fit ? SS_LEFTNOWORDWRAP : SS_LEFT; // SS_LEFT wraps words
    const HWND label = MakeChild(parent, dpi, "STATIC", "", style, 0, id, left, top, fit ? 1 : width,
                                 fit ? 1 : height, font);
    SetLabelText(label, text, font, fit);
    return label;
}

void SetLabelText(HWND label, const std::string& text, HFONT font, bool fitToText)
{
    const std::wstring wide = WideText(text);
    SetWindowTextW(label, wide.c_str());
    if (!fitToText)
        return;
    const HDC dc = GetDC(label);
    const HGDIOBJ old = SelectObject(dc, font);
    RECT extent = {0, 0, 0, 0};
    DrawTextW(dc, wide.empty() ? L" " : wide.c_str(), -1, &extent, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    SetWindowPos(label, nullptr, 0, 0, text.empty() ? 0 : extent.right, extent.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::string WindowText(HWND window)
{
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), length + 1)));
    return Utf8Text(text);
}

HWND MakePanel(HWND parent, const TDpi& dpi, int id, int left, int top, int width, int height, DWORD exStyle)
{
    RegisterClassOnce(WideText(PanelClass), &PanelProc, nullptr);
    // The dialog keys walk into a panel's children.
    return MakeChild(parent, dpi, PanelClass, "", WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT | exStyle, id, left, top,
                     width, height, nullptr);
}

RECT CentredWindowRect(const TDpi& dpi, DWORD style, DWORD exStyle, int clientWidth, int clientHeight)
{
    RECT frame = {0, 0, dpi.Scale(clientWidth), dpi.Scale(clientHeight)};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    return RECT{left, top, left + width, top + height};
}

LRESULT FaceColouredStatic(HDC dc)
{
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

bool DialogKeyboardMessage(MSG& msg)
{
    // Our dialogs are the top-level windows of WS_EX_CONTROLPARENT style.
    const HWND active = GetActiveWindow();
    if (!active || !(GetWindowLongPtrW(active, GWL_EXSTYLE) & WS_EX_CONTROLPARENT))
        return false;
    if (msg.hwnd != active && !IsChild(active, msg.hwnd))
        return false;
    return IsDialogMessageW(active, &msg) != FALSE;
}

void ProcessPendingMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam)); // for the event loop to end on
            return;
        }
        if (!DialogKeyboardMessage(msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}
