#include "ui/WizardWindow.h"

#include "platform/DriveSource.h"
#include "platform/WideText.h"
#include "ui/BrowseDialog.h"
#include "ui/MessageBoxes.h"
#include "ui/WindowIds.h"

namespace {

// A fixed single border without system menu, always on top.
const DWORD WizardStyle = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN;
const DWORD WizardExStyle = WS_EX_TOPMOST | WS_EX_CONTROLPARENT;
const int ClientWidth = 471;
const int ClientHeight = 330;
// Bevel1 at the bottom, Panel1 above it, Panel2 on the left; the pages fill the rest.
const int BevelHeight = 2;
const int ButtonPanelHeight = 41;
const int SidePanelWidth = 137;
const int PageHeight = ClientHeight - BevelHeight - ButtonPanelHeight;
const int PageWidth = ClientWidth - SidePanelWidth;

} // namespace

TWizardWindow::TWizardWindow(HWND owner, const TSetupControl& settings, int32_t& step, TFileSystem& files,
                             TUserQuestions& questions, TProgramStarter& programs, TSetupApplication& application,
                             TInstallFilesProc installFiles, std::function<void()> onCancel)
    : FDpi(owner), FOnCancel(std::move(onCancel))
{
    FFont = MakeWindowFont(FDpi, "MS Sans Serif", -11);
    const RECT frame = CentredWindowRect(FDpi, WizardStyle, WizardExStyle, ClientWidth, ClientHeight);
    CreateBound(WizardWindowClass, WizardExStyle, SetupCaption(settings).c_str(), WizardStyle, frame.left,
                frame.top, frame.right - frame.left, frame.bottom - frame.top, owner);
    SendMessageW(FWindow, WM_SETFONT, reinterpret_cast<WPARAM>(FFont), FALSE);

    // Creation order is the tab order: the page's controls, then Next and Cancel.
    MakeStartPage(settings);
    MakeCustomPage();
    MakePathPage();
    MakeFinishPage(settings);
    MakeButtons();
    MakeSidePanel();

    TWizardServices services{*this, files, questions, programs, application, std::move(installFiles),
                             [this](TZarnBrowseDir& browser) {
                                 return browser.Execute(NativeDriveSource(), Win32BrowseDialog(FWindow));
                             }};
    FSteps = std::make_unique<TWizardSteps>(settings, step, std::move(services));
    FSteps->Prepare();
}

TWizardWindow::~TWizardWindow()
{
    FGradientWindow.reset();
    FDestPathWindow.reset();
    if (FWindow) {
        SetWindowLongPtrW(FWindow, GWLP_USERDATA, 0);
        DestroyWindow(FWindow);
        FWindow = nullptr;
    }
    DeleteObject(FFont);
}

HWND TWizardWindow::Label(HWND parent, const char* text, int left, int top, int width, int height, int id)
{
    return MakeLabel(parent, FDpi, text, id ? id : idStaticLabel, left, top, FFont, width, height);
}

void TWizardWindow::MakeStartPage(const TSetupControl& settings)
{
    const HWND page = FPages[wpStart] =
        MakePanel(FWindow, FDpi, idPageStart, SidePanelWidth, 0, PageWidth, PageHeight);
    Label(page, WelcomeText(settings).c_str(), 16, 16, 281, 33, idWelcome);
    Label(page,
          "It is recommended that you close all other Windows programs before proceeding.  Select Cancel to exit "
          "and close any programs that are running.",
          16, 72, 305, 41);
    Label(page, "Click Next to continue", 16, 144);
}

void TWizardWindow::MakeCustomPage()
{
    const HWND page = FPages[wpCustom] =
        MakePanel(FWindow, FDpi, idPageCustom, SidePanelWidth, 0, PageWidth, PageHeight);
    Label(page, "Enter your username and password for the Dorvik FTP server", 32, 16, 273, 25);
    Label(page, "Username:", 32, 106);
    FUser = MakeChild(page, FDpi, "EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, idUser, 32, 128, 217,
                      21, FFont);
    Label(page, "Password:", 32, 164);
    FPass = MakeChild(page, FDpi, "EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL | ES_PASSWORD, WS_EX_CLIENTEDGE, idPass,
                      32, 184, 217, 21, FFont);
    SendMessageW(FPass, EM_SETPASSWORDCHAR, '*', 0);
    Label(page, "Click Next to continue", 32, 256);
}

void TWizardWindow::MakePathPage()
{
    const HWND page = FPages[wpPath] = MakePanel(FWindow, FDpi, idPagePath, SidePanelWidth, 0, PageWidth, PageHeight);
    Label(page,
          "Select a directory for the program to be installed in.  It is recommended that you use the default "
          "path.",
          16, 16, 313, 33);
    Label(page, "To change the directory, click on Browse and select a new directory.", 15, 64, 313, 33);
    Label(page, "Click Next to continue", 16, 112);

    // grpPathname at (16, 224); its controls are placed relative to it.
    const int groupLeft = 16, groupTop = 224;
    FDestPath.SetBounds(FDpi.Scale(groupLeft + 12), FDpi.Scale(groupTop + 21), FDpi.Scale(195), FDpi.Scale(13));
    TFont font = FDestPath.Font();
    font.Height = FDpi.Scale(-11);
    FDestPath.SetFont(font);
    FDestPathWindow = std::make_unique<TControlWindow>(FDestPath, page, idDestPath);
    MakeChild(page, FDpi, "BUTTON", "&Browse", WS_TABSTOP | BS_PUSHBUTTON, 0, idBrowse, groupLeft + 224,
              groupTop + 16, 59, 23, FFont);
    const HWND group = MakeChild(page, FDpi, "BUTTON", " Destination Pathname ", BS_GROUPBOX | WS_CLIPSIBLINGS, 0,
                                 idPathGroup, groupLeft, groupTop, 297, 49, FFont);
    // The frame lies beneath the label and the button, and never paints over them.
    SetWindowPos(group, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TWizardWindow::MakeFinishPage(const TSetupControl& settings)
{
    const HWND page = FPages[wpFinish] =
        MakePanel(FWindow, FDpi, idPageFinish, SidePanelWidth, 0, PageWidth, PageHeight);
    Label(page, FinishText(settings).c_str(), 16, 16, 305, 33, idFinishText);
    FReadme = MakeChild(page, FDpi, "BUTTON", "View the README file now", WS_TABSTOP | BS_AUTOCHECKBOX, 0, idReadme,
                        16, 160, 153, 13, FFont);
    FRunProgram = MakeChild(page, FDpi, "BUTTON", "Run ZarnFTP now", WS_TABSTOP | BS_AUTOCHECKBOX, 0, idRunProgram,
                            16, 192, 161, 13, FFont);
    Label(page, "Click Finish to complete Setup.", 16, 256);
}

void TWizardWindow::MakeButtons()
{
    const HWND panel = MakePanel(FWindow, FDpi, idButtonPanel, 0, PageHeight, ClientWidth, ButtonPanelHeight);
    FNext = MakeChild(panel, FDpi, "BUTTON", "&Next >>", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, idNext, 304, 8, 73, 25,
                      FFont);
    MakeChild(panel, FDpi, "BUTTON", "&Cancel", WS_TABSTOP | BS_PUSHBUTTON, 0, idWizardCancel, 385, 8, 73, 25, FFont);
}

void TWizardWindow::MakeSidePanel()
{
    const HWND side = MakePanel(FWindow, FDpi, idSidePanel, 0, 0, SidePanelWidth, PageHeight);
    // Panel3's lowered bevel is a one-pixel edge; the gradient fills what is inside it.
    const HWND framed = MakePanel(side, FDpi, idGradientPanel, 16, 16, 120, 257, WS_EX_STATICEDGE);
    RECT inside;
    GetClientRect(framed, &inside);
    FGradient.SetBounds(0, 0, inside.right, inside.bottom);
    FGradient.SetBeginColor(clBlack);
    FGradient.SetEndColor(clBlue);
    FGradientWindow = std::make_unique<TControlWindow>(FGradient, framed, idGradient);
}

void TWizardWindow::PaintBevel(HDC dc)
{
    // Bevel1: a lowered line along the bottom edge.
    RECT client;
    GetClientRect(FWindow, &client);
    const int height = FDpi.Scale(BevelHeight);
    RECT shadow = {0, client.bottom - height, client.right, client.bottom - height / 2};
    RECT highlight = {0, client.bottom - height / 2, client.right, client.bottom};
    FillRect(dc, &shadow, GetSysColorBrush(COLOR_BTNSHADOW));
    FillRect(dc, &highlight, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
}

void TWizardWindow::ShowPage(TWizardPage page)
{
    ShowWindow(FPages[page], SW_SHOW);
}

void TWizardWindow::HidePage(TWizardPage page)
{
    ShowWindow(FPages[page], SW_HIDE);
}

void TWizardWindow::SetNextCaption(const std::string& caption)
{
    SetWindowTextW(FNext, WideText(caption).c_str());
}

void TWizardWindow::SetNextEnabled(bool enabled)
{
    EnableWindow(FNext, enabled);
}

void TWizardWindow::FocusUser()
{
    SetFocus(FUser);
}

void TWizardWindow::ShowWizard()
{
    ShowWindow(FWindow, SW_SHOW);
    SetForegroundWindow(FWindow);
    const HWND focus = GetFocus();
    if (!focus || !IsChild(FWindow, focus) || !IsWindowVisible(focus))
        FocusControl();
    RedrawWindow(FWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

// The keyboard focus belongs on a control, never on the frame, where Tab
// and the keys of the controls would not reach: back where it was, else Next,
// else the first control that takes it.
void TWizardWindow::FocusControl()
{
    if (FLastFocus && IsChild(FWindow, FLastFocus) && IsWindowVisible(FLastFocus) && IsWindowEnabled(FLastFocus))
        SetFocus(FLastFocus);
    else if (IsWindowVisible(FNext) && IsWindowEnabled(FNext))
        SetFocus(FNext);
    else if (const HWND first = GetNextDlgTabItem(FWindow, nullptr, FALSE))
        SetFocus(first);
}

void TWizardWindow::HideWizard()
{
    ShowWindow(FWindow, SW_HIDE);
}

std::string TWizardWindow::UserText()
{
    return WindowText(FUser);
}

std::string TWizardWindow::PassText()
{
    return WindowText(FPass);
}

bool TWizardWindow::ReadmeChecked()
{
    return SendMessageW(FReadme, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool TWizardWindow::RunProgramChecked()
{
    return SendMessageW(FRunProgram, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::string TWizardWindow::DirName()
{
    return FDestPath.DirName();
}

void TWizardWindow::SetDirName(const std::string& dirName)
{
    FDestPath.SetDirName(dirName);
    FDestPathWindow->SetAccessibleText(dirName);
}

LRESULT TWizardWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const int code = HIWORD(wParam);
        // Escape reaches here as IDCANCEL and does nothing: Cancel is a button like any other.
        if (id == idNext && code == BN_CLICKED && IsWindowEnabled(FNext))
            ReportErrors([this] { FSteps->btnNextClick(); });
        else if (id == idWizardCancel && code == BN_CLICKED)
            FOnCancel();
        else if (id == idBrowse && code == BN_CLICKED)
            ReportErrors([this] { FSteps->Button1Click(); });
        else if ((id == idUser || id == idPass) && code == EN_CHANGE)
            FSteps->txtUserChange();
        return 0;
    }
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE && IsChild(FWindow, GetFocus()))
            FLastFocus = GetFocus();
        return TWindowObject::HandleMessage(message, wParam, lParam);
    case WM_SETFOCUS:
        FocusControl();
        return 0;
    case DM_GETDEFID:
        return MAKELRESULT(idNext, DC_HASDEFID);
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        return FaceColouredStatic(reinterpret_cast<HDC>(wParam));
    case WM_PAINT:
        return AnswerPaint(FWindow, [this](HDC dc) { PaintBevel(dc); });
    case WM_CLOSE:
        FOnCancel(); // a close request from the system is a cancel
        return 0;
    default:
        return TWindowObject::HandleMessage(message, wParam, lParam);
    }
}
