// TVyrlGradient: a windowless control that fills its rectangle with a colour
// gradient in one of eight styles. The picture is rendered into a cached image
// of the control's size and rebuilt only after a property or the size changed.
#pragma once

#include <cstdint>
#include <memory>

#include "controls/GraphicControl.h"

enum TGradientStyle : uint8_t {
    gsHorizontal,  // vertical stripes, begin colour at the left
    gsVertical,    // horizontal stripes, begin colour at the top
    gsElliptic,    // concentric ellipses, end colour at the centre
    gsRectangle,   // concentric rectangles, end colour at the centre
    gsVertCenter,  // rows, end colour on the horizontal centre line
    gsHorizCenter, // columns, end colour on the vertical centre line
    gsRadial1,     // wedges around the centre, one rise and fall per turn
    gsRadial2      // the same with two rises and falls
};

class TVyrlGradient : public TGraphicControl {
public:
    TVyrlGradient();

    TColor BeginColor() const { return FBeginColor; }
    void SetBeginColor(TColor value);
    TColor EndColor() const { return FEndColor; }
    void SetEndColor(TColor value);
    TGradientStyle GradientStyle() const { return FGradientStyle; }
    void SetGradientStyle(TGradientStyle value);
    int32_t Steps() const { return FSteps; }
    void SetSteps(int32_t value);
    bool Ctl3D() const { return FCtl3D; }
    void SetCtl3D(bool value);
    int32_t StartAngle() const { return FStartAngle; }
    void SetStartAngle(int32_t value);

    // True until the next paint has rendered the current properties.
    bool Dirty() const { return FDirty; }

    // The whole rectangle is painted: nothing is erased beneath it.
    bool EraseBackground() override { return true; }
    void Paint(TDrawingSurface& canvas) override;

private:
    template <class T> void Change(T& field, T value);
    TColor StepColor(int64_t k, int64_t n) const;
    void PaintBands(bool columns);
    void PaintElliptic();
    void PaintRectangle();
    void PaintCentre(bool columns);
    void PaintRadial(int cycles);
    void PaintFrame();

    TColor FBeginColor = clNavy;
    TColor FEndColor = clAqua;
    TGradientStyle FGradientStyle = gsVertical;
    int32_t FSteps = 255;
    bool FCtl3D = false;
    int32_t FStartAngle = 0;
    std::unique_ptr<TDrawingSurface> FImage; // made like the first canvas painted on
    bool FDirty = true;
};
