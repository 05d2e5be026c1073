// What the setup program's windows share: a window class whose messages reach
// a C++ object, child controls placed in 96-DPI design pixels, fonts, labels
// sized to their text, and panels that pass their children's notifications
// on to the window they belong to.
#pragma once

#include <windows.h>

#include <string>

#include "ui/Dpi.h"

// A top-level window or panel whose messages go to Handle.
class TWindowObject {
public:
    TWindowObject() = default;
    virtual ~TWindowObject();
    TWindowObject(const TWindowObject&) = delete;
    TWindowObject& operator=(const TWindowObject&) = delete;

    HWND Handle() const { return FWindow; }

protected:
    // Creates the window of className (registered on first use) and binds it to this object.
    void CreateBound(const char* className, DWORD exStyle, const char* caption, DWORD style, int left, int top,
                     int width, int height, HWND parent);
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    HWND FWindow = nullptr;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

// "MS Sans Serif", "Arial", ...; height in design pixels (negative: character height).
HFONT MakeWindowFont(const TDpi& dpi, const char* face, int height, bool bold = false, bool italic = false);

// A standard child control at design position and size, with font.
HWND MakeChild(HWND parent, const TDpi& dpi, const char* className, const char* text, DWORD style, DWORD exStyle,
               int id, int left, int top, int width, int height, HFONT font);
// A label; without a width (0) it takes the size of its text, with one it wraps words.
HWND MakeLabel(HWND parent, const TDpi& dpi, const char* text, int id, int left, int top, HFONT font, int width = 0,
               int height = 0);
// Sets a label's text; a label without a design width is sized to it again.
void SetLabelText(HWND label, const std::string& text, HFONT font, bool fitToText);
std::string WindowText(HWND window);

// A panel without a bevel: a child window in the face colour whose children's
// commands, colour requests and drawing requests go to the window it belongs to.
HWND MakePanel(HWND parent, const TDpi& dpi, int id, int left, int top, int width, int height, DWORD exStyle = 0);

// The outer rectangle of a window with this client size, centred on the screen.
RECT CentredWindowRect(const TDpi& dpi, DWORD style, DWORD exStyle, int clientWidth, int clientHeight);

// Answers WM_PAINT: paint(dc) draws between BeginPaint and EndPaint.
template <class TPaint>
LRESULT AnswerPaint(HWND window, TPaint paint)
{
    PAINTSTRUCT ps;
    const HDC dc = BeginPaint(window, &ps);
    paint(dc);
    EndPaint(window, &ps);
    return 0;
}

// The colours the labels ask for: black text on the face colour.
LRESULT FaceColouredStatic(HDC dc);

// Handles the window messages that are pending, passing keys to whichever of
// the program's dialogs is active. A quit message is left for the event loop.
void ProcessPendingMessages();
// Gives msg to the active dialog's keyboard handling; true when it took it.
bool DialogKeyboardMessage(MSG& msg);
