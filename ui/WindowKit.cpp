#include "ui/WindowKit.h"

#include <vector>

namespace {

const char* const PanelClass = "ZarnPanel";

void RegisterOnce(const char* className)
{
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    if (GetClassInfoExA(GetModuleHandleA(nullptr), className, &windowClass))
        return;
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcA; // each window binds its own object on creation
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = className;
    RegisterClassExA(&windowClass);
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
        return SendMessageA(GetParent(panel), message, wParam, lParam);
    default:
        return DefWindowProcA(panel, message, wParam, lParam);
    }
}

} // namespace

TWindowObject::~TWindowObject()
{
    if (FWindow) {
        SetWindowLongPtrA(FWindow, GWLP_USERDATA, 0);
        DestroyWindow(FWindow);
    }
}

void TWindowObject::CreateBound(const char* className, DWORD exStyle, const char* caption, DWORD style, int left,
                                int top, int width, int height, HWND parent)
{
    RegisterOnce(className);
    FWindow = CreateWindowExA(exStyle, className, caption, style, left, top, width, height, parent, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(FWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrA(FWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc));
}

LRESULT TWindowObject::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(FWindow, message, wParam, lParam);
}

LRESULT CALLBACK TWindowObject::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* object = reinterpret_cast<TWindowObject*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    return object ? object->HandleMessage(message, wParam, lParam) : DefWindowProcA(window, message, wParam, lParam);
}

HFONT MakeWindowFont(const TDpi& dpi, const char* face, int height, bool bold, bool italic)
{
    return CreateFontA(dpi.Scale(height), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic, FALSE, FALSE, ANSI_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, face);
}

HWND MakeChild(HWND parent, const TDpi& dpi, const char* className, const char* text, DWORD style, DWORD exStyle,
               int id, int left, int top, int width, int height, HFONT font)
{
    const HWND child = CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, dpi.Scale(left),
                                       dpi.Scale(top), dpi.Scale(width), dpi.Scale(height), parent,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr),
                                       nullptr);
    if (font)
        SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
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
    SetWindowTextA(label, text.c_str());
    if (!fitToText)
        return;
    const HDC dc = GetDC(label);
    const HGDIOBJ old = SelectObject(dc, font);
    RECT extent = {0, 0, 0, 0};
    DrawTextA(dc, text.empty() ? " " : text.c_str(), -1, &extent, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    SetWindowPos(label, nullptr, 0, 0, text.empty() ? 0 : extent.right, extent.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::string WindowText(HWND window)
{
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(window, text.data(), length + 1)));
    return text;
}

HWND MakePanel(HWND parent, const TDpi& dpi, int id, int left, int top, int width, int height, DWORD exStyle)
{
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    if (!GetClassInfoExA(GetModuleHandleA(nullptr), PanelClass, &windowClass)) {
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = &PanelProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = PanelClass;
        RegisterClassExA(&windowClass);
    }
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
    if (!active || !(GetWindowLongPtrA(active, GWL_EXSTYLE) & WS_EX_CONTROLPARENT))
        return false;
    if (msg.hwnd != active && !IsChild(active, msg.hwnd))
        return false;
    return IsDialogMessageA(active, &msg) != FALSE;
}

void ProcessPendingMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam)); // for the event loop to end on
            return;
        }
        if (!DialogKeyboardMessage(msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}
