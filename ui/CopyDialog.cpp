#include "ui/CopyDialog.h"

#include <string>

#include "ui/WindowIds.h"

namespace {

const DWORD DialogStyle = WS_POPUP | WS_CAPTION | DS_MODALFRAME | WS_CLIPCHILDREN; // no system menu
const DWORD DialogExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

} // namespace

TCopyDialog::TCopyDialog(HWND owner, std::function<void()> onCancel) : FOnCancel(std::move(onCancel)), FDpi(owner)
{
    FFont = MakeWindowFont(FDpi, "MS Sans Serif", -11);
    const RECT frame = CentredWindowRect(FDpi, DialogStyle, DialogExStyle, 249, 109);
    CreateBound(CopyDialogClass, DialogExStyle, CopyDialogCaption, DialogStyle, frame.left, frame.top,
                frame.right - frame.left, frame.bottom - frame.top, owner);
    SendMessageW(FWindow, WM_SETFONT, reinterpret_cast<WPARAM>(FFont), FALSE);

    FStatus = MakeLabel(FWindow, FDpi, "", idCopyStatus, 8, 8, FFont);
    FFilename = MakeLabel(FWindow, FDpi, "", idCopyFilename, 8, 26, FFont);
    // Inside the bevel's frame, without a border of its own.
    Progress.SetBorderStyle(bsNone);
    Progress.SetBounds(FDpi.Scale(9), FDpi.Scale(51), FDpi.Scale(231), FDpi.Scale(17));
    TFont font = Progress.Font();
    font.Height = FDpi.Scale(font.Height);
    Progress.SetFont(font);
    FGaugeWindow = std::make_unique<TControlWindow>(Progress, FWindow, idCopyProgress);
    FGaugeWindow->SetAccessibleText("0");
    MakeChild(FWindow, FDpi, "BUTTON", "&Cancel", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, idCopyCancel, 96, 77, 76, 23,
              FFont);
}

TCopyDialog::~TCopyDialog()
{
    FGaugeWindow.reset();
    if (FWindow) {
        SetWindowLongPtrW(FWindow, GWLP_USERDATA, 0);
        DestroyWindow(FWindow);
        FWindow = nullptr;
    }
    DeleteObject(FFont);
}

void TCopyDialog::SetStatusText(const std::string& text)
{
    ShowFrame(); // what the run reported last stays with the new status
    SetLabelText(FStatus, text, FFont, true);
    UpdateWindow(FStatus);
    FPacing.NoteChange();
}

void TCopyDialog::SetFileName(const std::string& name)
{
    if (FPacing.NoteName(name, GetTickCount()))
        ShowFrame();
}

void TCopyDialog::SetProgress(int32_t percent)
{
    if (FPacing.NotePercent(percent, GetTickCount()))
        ShowFrame();
}

void TCopyDialog::ShowFrame()
{
    const TProgressPacing::TFrame frame = FPacing.TakeFrame(GetTickCount());
    if (frame.NameChanged) {
        SetLabelText(FFilename, frame.Name, FFont, true);
        // A shorter name must not leave the end of the longer one behind.
        RECT area = {FDpi.Scale(8), FDpi.Scale(26), FDpi.Scale(241), FDpi.Scale(50)};
        InvalidateRect(FWindow, &area, TRUE);
    }
    if (frame.PercentChanged) {
        const int32_t before = Progress.Progress();
        Progress.SetProgress(frame.Percent); // repaints when the whole percentage changes
        if (Progress.Progress() != before)
            FGaugeWindow->SetAccessibleText(std::to_string(Progress.Progress()));
    }
}

void TCopyDialog::Show()
{
    ShowWindow(FWindow, SW_SHOW);
    SetForegroundWindow(FWindow);
    SetFocus(GetDlgItem(FWindow, idCopyCancel));
    UpdateWindow(FWindow);
    FPacing.NoteChange();
}

void TCopyDialog::Hide()
{
    ShowFrame();
    ShowWindow(FWindow, SW_HIDE);
}

void TCopyDialog::ProcessMessages()
{
    const DWORD now = GetTickCount();
    if (FPacing.FrameDue(now))
        ShowFrame();
    if (FPacing.ProcessMessages(now))
        ProcessPendingMessages();
}

void TCopyDialog::ShowPending()
{
    ShowFrame();
    // Painted now: a message box is about to take over the thread.
    RedrawWindow(FWindow, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void TCopyDialog::PaintBevel(HDC dc)
{
    // Bevel1, a lowered box: shadow at the top and left, highlight at the bottom and right.
    const int left = FDpi.Scale(8), top = FDpi.Scale(50);
    const int right = left + FDpi.Scale(233) - 1, bottom = top + FDpi.Scale(19) - 1;
    const HBRUSH shadow = GetSysColorBrush(COLOR_BTNSHADOW);
    const HBRUSH highlight = GetSysColorBrush(COLOR_BTNHIGHLIGHT);
    RECT r = {left, top, right, top + 1};
    FillRect(dc, &r, shadow);
    r = {left, top, left + 1, bottom};
    FillRect(dc, &r, shadow);
    r = {left, bottom, right + 1, bottom + 1};
    FillRect(dc, &r, highlight);
    r = {right, top, right + 1, bottom + 1};
    FillRect(dc, &r, highlight);
}

LRESULT TCopyDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        return AnswerPaint(FWindow, [this](HDC dc) { PaintBevel(dc); });
    case WM_COMMAND:
        // Escape does nothing here: the button is not the dialog's Cancel.
        if (LOWORD(wParam) == idCopyCancel && HIWORD(wParam) == BN_CLICKED && FOnCancel)
            FOnCancel();
        return 0;
    case DM_GETDEFID:
        return MAKELRESULT(idCopyCancel, DC_HASDEFID);
    case WM_CTLCOLORSTATIC:
        return FaceColouredStatic(reinterpret_cast<HDC>(wParam));
    case WM_CLOSE:
        if (FOnCancel) // no close box; a close request from the system is a cancel
            FOnCancel();
        return 0;
    default:
        return TWindowObject::HandleMessage(message, wParam, lParam);
    }
}
