// The browse dialog: a window of our own class with standard child controls,
// run in a modal loop of its own. The dialog manager (IsDialogMessage) gives
// it tab order, the default button and Escape; the labels' accelerators are
// shown but not linked to controls.
#include "ui/BrowseDialog.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/WideText.h"
#include "ui/Dpi.h"
#include "ui/GlyphPainter.h"
#include "ui/MessageBoxes.h"

namespace {

// Design sizes, in 96-DPI pixels.
const int ClientWidth = 271;
const int ClientHeight = 276;
const int DirectoryItemHeight = 16;
const int DriveFieldHeight = 19;
const int DriveDropHeight = 160;
const int FolderIndent = 8;

class TBrowseDialog : public TBrowseDialogView {
public:
    TBrowseDialog(TBrowseForm& form, HWND owner);
    ~TBrowseDialog() override;
    TBrowseDialog(const TBrowseDialog&) = delete;
    TBrowseDialog& operator=(const TBrowseDialog&) = delete;

    void SetCaptionText(const std::string& text) override;
    std::string PathText() override;
    void SetPathText(const std::string& text) override { SetWindowTextW(FPath, WideText(text).c_str()); }
    void SetPathReadOnly(bool readOnly) override { SendMessageW(FPath, EM_SETREADONLY, readOnly, 0); }
    void DirectoriesChanged() override;
    void DriveChanged() override;
    bool AskRetry(const std::string& message) override { return RetryBox(message, FWindow); }
    bool ShowModal() override;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    HWND Child(const char* className, const char* text, DWORD style, DWORD exStyle, int id, int left, int top,
               int width, int height, HFONT font);
    HWND Label(const char* text, int id, int left, int top);
    void FitLabel(HWND label);
    void FillDrives();
    void Measure(MEASUREITEMSTRUCT& item);
    void Draw(const DRAWITEMSTRUCT& item);
    void End(bool ok);

    TBrowseForm& FForm;
    HWND FOwner;
    TDpi FDpi;
    HFONT FFormFont = nullptr;
    HFONT FLabelFont = nullptr;
    HWND FWindow = nullptr;
    HWND FText = nullptr, FPath = nullptr, FDirectories = nullptr, FDrives = nullptr;
    bool FDone = false;
    bool FOk = false;
};

BOOL CALLBACK CollectEnabled(HWND window, LPARAM list)
{
    if (IsWindowVisible(window) && IsWindowEnabled(window))
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

void RegisterBrowseClass()
{
    static bool registered = false;
    if (registered)
        return;
    const std::wstring className = WideText(BrowseDialogClass);
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcW; // each window sets its own on creation
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = className.c_str();
    RegisterClassExW(&windowClass);
    registered = true;
}

HFONT MakeFont(const TDpi& dpi, int height)
{
    return CreateFontW(dpi.Scale(height), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif");
}

TBrowseDialog::TBrowseDialog(TBrowseForm& form, HWND owner)
    : FForm(form), FOwner(owner), FDpi(owner)
{
    RegisterBrowseClass();
    FFormFont = MakeFont(FDpi, -10);
    FLabelFont = MakeFont(FDpi, -11);

    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    RECT frame = {0, 0, FDpi.Scale(ClientWidth), FDpi.Scale(ClientHeight)};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    // Centred on the screen.
    const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    FWindow = CreateWindowExW(exStyle, WideText(BrowseDialogClass).c_str(), WideText(BrowseDialogCaption).c_str(),
                              style, left, top, width, height, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(FWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(FWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc));
    SendMessageW(FWindow, WM_SETFONT, reinterpret_cast<WPARAM>(FFormFont), FALSE);

    // Creation order is the tab order: txtPath, DirectoryBox, DriveBox, OK, Cancel.
    FText = Label("", idBrowseText, 20, 10);
    Label("&Path:", idBrowsePathLabel, 20, 33);
    FPath = Child("EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, idBrowsePath, 20, 52, 238, 21,
                  FFormFont);
    Label("&Directories:", idBrowseDirLabel, 20, 84);
    // Whole items only: no LBS_NOINTEGRALHEIGHT.
    FDirectories = Child("LISTBOX", "",
                         WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS, WS_EX_CLIENTEDGE,
                         idBrowseDirectories, 20, 102, 147, 116, FFormFont);
    Label("Dri&ves:", idBrowseDriveLabel, 20, 226);
    FDrives = Child("COMBOBOX", "",
                    WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS, 0,
                    idBrowseDrives, 20, 244, 147, DriveFieldHeight + DriveDropHeight, FFormFont);
    Child("BUTTON", "&OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, idBrowseOK, 182, 102, 72, 25, FFormFont);
    Child("BUTTON", "Ca&ncel", WS_TABSTOP | BS_PUSHBUTTON, 0, idBrowseCancel, 182, 132, 72, 25, FFormFont);

    DirectoriesChanged();
    FillDrives();
}

TBrowseDialog::~TBrowseDialog()
{
    if (FWindow) {
        SetWindowLongPtrW(FWindow, GWLP_USERDATA, 0);
        DestroyWindow(FWindow);
    }
    DeleteObject(FFormFont);
    DeleteObject(FLabelFont);
}

HWND TBrowseDialog::Child(const char* className, const char* text, DWORD style, DWORD exStyle, int id, int left,
                          int top, int width, int height, HFONT font)
{
    const HWND child = CreateWindowExW(exStyle, WideText(className).c_str(), WideText(text).c_str(),
                                       WS_CHILD | WS_VISIBLE | style, FDpi.Scale(left), FDpi.Scale(top),
                                       FDpi.Scale(width), FDpi.Scale(height), FWindow,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                                       nullptr);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return child;
}

HWND TBrowseDialog::Label(const char* text, int id, int left, int top)
{
    const HWND label = Child("STATIC", text, SS_LEFT, 0, id, left, top, 1, 1, FLabelFont);
    FitLabel(label);
    return label;
}

// Labels without a size take the size of their text.
void TBrowseDialog::FitLabel(HWND label)
{
    wchar_t text[1024] = {};
    GetWindowTextW(label, text, 1024);
    const HDC dc = GetDC(label);
    const HGDIOBJ old = SelectObject(dc, FLabelFont);
    RECT extent = {0, 0, 0, 0};
    DrawTextW(dc, text[0] ? text : L" ", -1, &extent, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    SetWindowPos(label, nullptr, 0, 0, text[0] ? extent.right : 0, extent.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TBrowseDialog::SetCaptionText(const std::string& text)
{
    SetWindowTextW(FText, WideText(text).c_str());
    FitLabel(FText);
}

std::string TBrowseDialog::PathText()
{
    const int length = GetWindowTextLengthW(FPath);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(FPath, text.data(), length + 1)));
    return Utf8Text(text);
}

void TBrowseDialog::DirectoriesChanged()
{
    SendMessageW(FDirectories, WM_SETREDRAW, FALSE, 0);
    SendMessageW(FDirectories, LB_RESETCONTENT, 0, 0);
    for (const TDirectoryItem& item : FForm.DirectoryBox.Items())
        SendMessageW(FDirectories, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideText(item.Text).c_str()));
    SendMessageW(FDirectories, LB_SETCURSEL, static_cast<WPARAM>(FForm.DirectoryBox.ItemIndex()), 0);
    SendMessageW(FDirectories, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(FDirectories, nullptr, TRUE);
}

void TBrowseDialog::FillDrives()
{
    SendMessageW(FDrives, CB_RESETCONTENT, 0, 0);
    for (const TDriveItem& item : FForm.DriveBox.Items())
        SendMessageW(FDrives, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideText(item.Text).c_str()));
    DriveChanged();
}

void TBrowseDialog::DriveChanged()
{
    SendMessageW(FDrives, CB_SETCURSEL, static_cast<WPARAM>(FForm.DriveBox.ItemIndex()), 0);
}

bool TBrowseDialog::ShowModal()
{
    // Every other window of the thread waits, as for any modal dialog.
    std::vector<HWND> disabled;
    EnumThreadWindows(GetCurrentThreadId(), &CollectEnabled, reinterpret_cast<LPARAM>(&disabled));
    for (HWND window : disabled)
        if (window != FWindow)
            EnableWindow(window, FALSE);

    ShowWindow(FWindow, SW_SHOW);
    SetForegroundWindow(FWindow);
    SetFocus(FPath);
    FDone = false;
    FOk = false;
    MSG message;
    while (!FDone) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            // The application is ending: leave as Cancel and let the outer loop see the quit.
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (got < 0)
            break;
        if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN && message.hwnd == FDirectories) {
            FForm.DirectoryBox.Open(static_cast<int>(SendMessageW(FDirectories, LB_GETCURSEL, 0, 0)));
            continue;
        }
        if (message.message == WM_SYSCHAR) {
            // The labels' accelerators lead nowhere.
            const WPARAM key = message.wParam | 0x20; // letters in lower case
            if (key == 'p' || key == 'd' || key == 'v')
                continue;
        }
        if (!IsDialogMessageW(FWindow, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }

    // Re-enabled before hiding, so the owner gets the activation back.
    for (HWND window : disabled)
        if (window != FWindow)
            EnableWindow(window, TRUE);
    ShowWindow(FWindow, SW_HIDE);
    return FOk;
}

void TBrowseDialog::End(bool ok)
{
    FOk = ok;
    FDone = true;
}

LRESULT CALLBACK TBrowseDialog::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* dialog = reinterpret_cast<TBrowseDialog*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return dialog ? dialog->Handle(message, wParam, lParam) : DefWindowProcW(window, message, wParam, lParam);
}

LRESULT TBrowseDialog::Handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const int code = HIWORD(wParam);
        if (id == idBrowseOK && code == BN_CLICKED) {
            FForm.btnOKClick();
            End(true);
        } else if (id == idBrowseCancel && code == BN_CLICKED) {
            End(false);
        } else if (id == idBrowseDirectories && code == LBN_DBLCLK) {
            FForm.DirectoryBox.Open(static_cast<int>(SendMessageW(FDirectories, LB_GETCURSEL, 0, 0)));
        } else if (id == idBrowseDrives && (code == CBN_SELENDOK ||
                                             (code == CBN_SELCHANGE && !SendMessageW(FDrives, CB_GETDROPPEDSTATE, 0, 0)))) {
            FForm.DriveBox.Choose(static_cast<int>(SendMessageW(FDrives, CB_GETCURSEL, 0, 0)));
        }
        return 0;
    }
    case WM_CLOSE:
        End(false);
        return 0;
    case DM_GETDEFID:
        return MAKELRESULT(idBrowseOK, DC_HASDEFID);
    case WM_MEASUREITEM:
        Measure(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_DRAWITEM:
        Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_CTLCOLORSTATIC: {
        const HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    default:
        return DefWindowProcW(FWindow, message, wParam, lParam);
    }
}

void TBrowseDialog::Measure(MEASUREITEMSTRUCT& item)
{
    // The drive field and its list items alike: the design height less the field's frame.
    if (item.CtlID == static_cast<UINT>(idBrowseDirectories))
        item.itemHeight = static_cast<UINT>(FDpi.Scale(DirectoryItemHeight));
    else
        item.itemHeight = static_cast<UINT>(FDpi.Scale(DriveFieldHeight) - 6);
}

void TBrowseDialog::Draw(const DRAWITEMSTRUCT& item)
{
    const HDC dc = item.hDC;
    const RECT& area = item.rcItem;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    FillRect(dc, &area, GetSysColorBrush(COLOR_WINDOW));
    if (item.itemID == static_cast<UINT>(-1))
        return;

    const TGlyph* glyph = nullptr;
    std::string text;
    int left = area.left + FDpi.Scale(2);
    if (item.CtlID == static_cast<UINT>(idBrowseDirectories)) {
        const auto& items = FForm.DirectoryBox.Items();
        if (item.itemID >= items.size())
            return;
        const TDirectoryItem& entry = items[item.itemID];
        left += entry.Level * FDpi.Scale(FolderIndent);
        glyph = &FolderGlyph(entry.Glyph);
        text = entry.Text;
    } else {
        const auto& items = FForm.DriveBox.Items();
        if (item.itemID >= items.size())
            return;
        glyph = &DriveGlyph(items[item.itemID].Glyph);
        text = items[item.itemID].Text;
    }
    const int glyphWidth = FDpi.Scale(glyph->Width);
    const int glyphHeight = FDpi.Scale(glyph->Height);
    DrawGlyph(dc, left, area.top + (area.bottom - area.top - glyphHeight) / 2, glyphWidth, glyphHeight, *glyph,
              window);

    // Only the text is highlighted, so the glyph keeps its colours.
    RECT label = area;
    label.left = left + glyphWidth + FDpi.Scale(2);
    const HGDIOBJ oldFont = SelectObject(dc, FFormFont);
    SIZE extent = {};
    const std::wstring wide = WideText(text);
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &extent);
    label.right = std::min<LONG>(area.right, label.left + extent.cx + FDpi.Scale(4));
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &label, L"", 0, nullptr);
    RECT textArea = label;
    textArea.left += FDpi.Scale(2);
    DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &textArea, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT))
        DrawFocusRect(dc, &label);
    SelectObject(dc, oldFont);
}

} // namespace

TBrowseDialogFactory Win32BrowseDialog(HWND owner)
{
    return [owner](TBrowseForm& form) -> std::unique_ptr<TBrowseDialogView> {
        return std::make_unique<TBrowseDialog>(form, owner);
    };
}
