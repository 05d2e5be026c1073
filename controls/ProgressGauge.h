// TProgressGauge: a windowless control that shows how far Progress has come
// through MinValue..MaxValue as text, a bar, a pie or a needle, with the whole
// percentage written over it in inverted colours. It repaints at once, and only
// when the whole percentage changes.
#pragma once

#include <cstdint>
#include <memory>

#include "controls/GraphicControl.h"

enum TGaugeKind : uint8_t { gkText, gkHorizontalBar, gkVerticalBar, gkPie, gkNeedle };
enum TBorderStyle : uint8_t { bsNone, bsSingle };

// The share of an extent for a percentage: trunc(extent × (percent × 0.01)) as
// 80-bit extended arithmetic gives it (0.01 being the extended value just below
// it, each product rounded to extended), worked out exactly in integers so every
// target gets the same pixels: 10 % of 100 is 9, 5 % of 20 is 0.
int64_t ShareOfExtent(int64_t percent, int64_t extent);

// An off-screen image made to a template's size for one paint.
class TScratchImage {
public:
    // Gives the image the template's width and height, filled with clWindowFrame.
    void MakeLike(const TDrawingSurface& templ);
    TDrawingSurface& Canvas() { return *FImage; }

private:
    std::unique_ptr<TDrawingSurface> FImage;
};

class TProgressGauge : public TGraphicControl {
public:
    TProgressGauge();

    int32_t MinValue() const { return FMinValue; }
    void SetMinValue(int32_t value);
    int32_t MaxValue() const { return FMaxValue; }
    void SetMaxValue(int32_t value);
    int32_t Progress() const { return FProgress; }
    void SetProgress(int32_t value);
    TGaugeKind Kind() const { return FKind; }
    void SetKind(TGaugeKind value);
    bool ShowText() const { return FShowText; }
    void SetShowText(bool value);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle value);
    TColor ForeColor() const { return FForeColor; }
    void SetForeColor(TColor value);
    TColor BackColor() const { return FBackColor; }
    void SetBackColor(TColor value);

    // The whole percentage of Progress through the range; 0 for an empty range.
    int32_t CurrentPercent() const;

    void Paint(TDrawingSurface& canvas) override;

private:
    template <class T> void Change(T& field, T value);
    void PaintBar(TDrawingSurface& image, const TRect& r, bool vertical) const;
    void PaintPie(TDrawingSurface& image, const TRect& r) const;
    void PaintNeedle(TDrawingSurface& image, const TRect& r) const;
    void PaintText(TDrawingSurface& image, const TRect& r) const;

    int32_t FMinValue = 0;
    int32_t FMaxValue = 100;
    int32_t FProgress = 0;
    TGaugeKind FKind = gkHorizontalBar;
    bool FShowText = true;
    TBorderStyle FBorderStyle = bsSingle;
    TColor FForeColor = clBlack;
    TColor FBackColor = clWhite;
};
