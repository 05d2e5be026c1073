// A stand-in for the window that shows a control: counts the control's
// requests for a later paint and for an immediate one.
#pragma once

#include "controls/GraphicControl.h"

class TRecordingControlHost : public TControlHost {
public:
    int Invalidates = 0;
    int Repaints = 0;

    void InvalidateControl(TGraphicControl&) override { ++Invalidates; }
    void RepaintControl(TGraphicControl&) override { ++Repaints; }
};
