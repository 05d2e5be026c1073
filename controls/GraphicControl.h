// The base of the windowless controls: a rectangle on its parent that the
// parent paints by calling Paint with a surface of the control's size. The
// host (the window that shows the control) turns requests for a later or an
// immediate paint into real ones.
#pragma once

#include <cstdint>

#include "platform/DrawingSurface.h"
#include "platform/Exception.h"

// An operation that the control's state does not allow.
DECLARE_EXCEPTION(EInvalidOperation);

enum TAlign : uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient };

class TGraphicControl;

class TControlHost {
public:
    virtual ~TControlHost() = default;
    // Marks the control's area to be painted later; beneath an opaque control nothing is erased.
    virtual void InvalidateControl(TGraphicControl& control) = 0;
    // Paints the control's area now.
    virtual void RepaintControl(TGraphicControl& control) = 0;
};

class TGraphicControl {
public:
    TGraphicControl(int width, int height) : FWidth(width), FHeight(height) {}
    virtual ~TGraphicControl() = default;
    TGraphicControl(const TGraphicControl&) = delete;
    TGraphicControl& operator=(const TGraphicControl&) = delete;

    int Left() const { return FLeft; }
    int Top() const { return FTop; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    virtual void SetBounds(int left, int top, int width, int height);
    void SetWidth(int width) { SetBounds(FLeft, FTop, width, FHeight); }
    void SetHeight(int height) { SetBounds(FLeft, FTop, FWidth, height); }

    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign value) { FAlign = value; } // the parent's layout reads it
    bool Visible() const { return FVisible; }
    void SetVisible(bool value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    TColor Color() const { return FColor; }
    void SetColor(TColor value);
    const TFont& Font() const { return FFont; }
    void SetFont(const TFont& value);

    // True when the control covers its whole rectangle, so nothing need be painted beneath it.
    bool Opaque() const { return FOpaque; }
    // Answers the platform's request to erase the background beneath the control;
    // true means handled, so the host erases nothing.
    virtual bool EraseBackground() { return false; }

    // While the control is being read from its window's design, cross-checks of
    // its properties are left out, as values arrive one by one.
    void BeginLoading() { FLoading = true; }
    void EndLoading() { FLoading = false; }
    bool Loading() const { return FLoading; }

    void SetHost(TControlHost* host) { FHost = host; }
    // Draws the whole control on canvas, whose origin is the control's top left.
    virtual void Paint(TDrawingSurface& canvas) = 0;
    // Asks for a paint later (several requests make one paint).
    void Invalidate();
    // Paints now when the control is shown.
    void Repaint();

protected:
    bool FOpaque = false;

private:
    TControlHost* FHost = nullptr;
    int FLeft = 0;
    int FTop = 0;
    int FWidth;
    int FHeight;
    TAlign FAlign = alNone;
    bool FVisible = true;
    bool FEnabled = true;
    bool FLoading = false;
    TColor FColor = clBtnFace;
    TFont FFont;
};
