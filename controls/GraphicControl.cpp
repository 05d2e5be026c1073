#include "controls/GraphicControl.h"

void TGraphicControl::SetBounds(int left, int top, int width, int height)
{
    if (left == FLeft && top == FTop && width == FWidth && height == FHeight)
        return;
    FLeft = left;
    FTop = top;
    FWidth = width;
    FHeight = height;
    Invalidate();
}

void TGraphicControl::SetVisible(bool value)
{
    if (value == FVisible)
        return;
    FVisible = value;
    if (FHost)
        FHost->InvalidateControl(*this); // the parent shows or covers the area either way
}

void TGraphicControl::SetEnabled(bool value)
{
    if (value == FEnabled)
        return;
    FEnabled = value;
    Invalidate();
}

void TGraphicControl::SetColor(TColor value)
{
    if (value == FColor)
        return;
    FColor = value;
    Invalidate();
}

void TGraphicControl::SetFont(const TFont& value)
{
    FFont = value;
    Invalidate();
}

void TGraphicControl::Invalidate()
{
    if (FHost && FVisible)
        FHost->InvalidateControl(*this);
}

void TGraphicControl::Repaint()
{
    if (FHost && FVisible)
        FHost->RepaintControl(*this);
}
