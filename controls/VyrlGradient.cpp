#include "controls/VyrlGradient.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

int Trunc(double value)
{
    return static_cast<int>(value);
}

// i × a ÷ b with the product in 64 bits, truncated towards zero.
int Scale(int64_t i, int64_t a, int64_t b)
{
    return static_cast<int>(i * a / b);
}

} // namespace

TVyrlGradient::TVyrlGradient() : TGraphicControl(75, 75)
{
    FOpaque = true;
}

template <class T> void TVyrlGradient::Change(T& field, T value)
{
    if (field == value)
        return;
    field = value;
    FDirty = true;
    Invalidate();
}

void TVyrlGradient::SetBeginColor(TColor value) { Change(FBeginColor, value); }
void TVyrlGradient::SetEndColor(TColor value) { Change(FEndColor, value); }
void TVyrlGradient::SetGradientStyle(TGradientStyle value) { Change(FGradientStyle, value); }
void TVyrlGradient::SetSteps(int32_t value) { Change(FSteps, value); }
void TVyrlGradient::SetCtl3D(bool value) { Change(FCtl3D, value); }
void TVyrlGradient::SetStartAngle(int32_t value) { Change(FStartAngle, value); }

TColor TVyrlGradient::StepColor(int64_t k, int64_t n) const
{
    // Without steps to spread over (no steps, or a half extent of 0) the divisor is 1.
    if (n == 0)
        n = 1;
    // System colour values are taken as they are: their three low bytes as red, green, blue.
    auto channel = [&](int begin, int end) {
        const int64_t d = end - begin;
        return static_cast<int>((begin + k * d / n) & 0xFF);
    };
    return RGBColor(channel(RedOf(FBeginColor), RedOf(FEndColor)), channel(GreenOf(FBeginColor), GreenOf(FEndColor)),
                    channel(BlueOf(FBeginColor), BlueOf(FEndColor)));
}

void TVyrlGradient::Paint(TDrawingSurface& canvas)
{
    const int w = std::max(Width(), 0);
    const int h = std::max(Height(), 0);
    if (FImage && FImage->Width() == w && FImage->Height() == h && !FDirty) {
        canvas.Draw(0, 0, *FImage, cmSrcCopy);
        return;
    }
    if (!FImage)
        FImage = canvas.MakeImage(w, h);
    else
        FImage->SetSize(w, h);
    switch (FGradientStyle) {
    case gsHorizontal:
        PaintBands(true);
        break;
    case gsVertical:
        PaintBands(false);
        break;
    case gsElliptic:
        PaintElliptic();
        break;
    case gsRectangle:
        PaintRectangle();
        break;
    case gsVertCenter:
        PaintCentre(false);
        break;
    case gsHorizCenter:
        PaintCentre(true);
        break;
    case gsRadial1:
        PaintRadial(1);
        break;
    case gsRadial2:
        PaintRadial(2);
        break;
    default:
        break; // an unknown style paints nothing
    }
    if (FCtl3D)
        PaintFrame();
    canvas.Draw(0, 0, *FImage, cmSrcCopy);
    FDirty = false;
}

void TVyrlGradient::PaintBands(bool columns)
{
    const int64_t s = FSteps;
    if (s < 0)
        return;
    const int w = FImage->Width(), h = FImage->Height();
    const int extent = columns ? w : h;
    for (int64_t i = 0; i <= s; ++i) {
        const int from = Scale(i, extent, s + 1);
        const int to = Scale(i + 1, extent, s + 1);
        if (from == to)
            continue; // a band of no width fills nothing
        const TRect band = columns ? TRect{from, 0, to, h} : TRect{0, from, w, to};
        FImage->FillRect(band, StepColor(i, s));
    }
}

void TVyrlGradient::PaintElliptic()
{
    const double w = FImage->Width(), h = FImage->Height();
    double x1 = -w / 4, x2 = w + w / 4 + 4;
    double y1 = -h / 4, y2 = h + h / 4 + 4;
    const double dx = (w / 4 + w / 2) / 155;
    const double dy = (h / 4 + h / 2) / 155;
    for (int i = 0; i <= 155; ++i) {
        x1 += dx;
        x2 -= dx;
        y1 += dy;
        y2 -= dy;
        FImage->Ellipse({Trunc(x1), Trunc(y1), Trunc(x2), Trunc(y2)}, StepColor(i, 155), std::nullopt);
    }
}

void TVyrlGradient::PaintRectangle()
{
    const int64_t s = FSteps;
    if (s < 0)
        return;
    const double w = FImage->Width(), h = FImage->Height();
    const double divisor = s == 0 ? 1.0 : static_cast<double>(s);
    double xl = 0, yt = 0, xr = w + 2, yb = h + 2;
    const double dx = (w / 2) / divisor;
    const double dy = (h / 2) / divisor;
    // The edges move before the first fill, so the outermost columns and rows can stay as they were.
    for (int64_t i = 0; i <= s; ++i) {
        xl += dx;
        xr -= dx;
        yt += dy;
        yb -= dy;
        FImage->FillRect({Trunc(xl), Trunc(yt), Trunc(xr), Trunc(yb)}, StepColor(i, s));
    }
}

void TVyrlGradient::PaintCentre(bool columns)
{
    const int w = FImage->Width(), h = FImage->Height();
    const int extent = columns ? w : h;
    const int half = extent / 2;
    for (int i = 0; i <= half; ++i) {
        const TColor color = StepColor(i, half);
        // One band from the near edge and its mirror from the far edge.
        if (columns) {
            FImage->FillRect({i, 0, i + 1, h}, color);
            FImage->FillRect({w - i, 0, w - (i + 1), h}, color);
        } else {
            FImage->FillRect({0, i, w, i + 1}, color);
            FImage->FillRect({0, h - i, w, h - (i + 1)}, color);
        }
    }
}

void TVyrlGradient::PaintRadial(int cycles)
{
    const int w = FImage->Width(), h = FImage->Height();
    const TRect bounds{-(w / 4), -(h / 4), w + w / 4, h + h / 4};
    const int cx = w / 2, cy = h / 2;
    const int radius = w > h ? w / 2 : h / 2;
    // The point in direction t, in whole degrees clockwise from straight up.
    auto direction = [&](int64_t t) {
        const long double angle = static_cast<long double>(((t % 360) + 360) % 360) * std::numbers::pi_v<long double> / 180;
        return TPoint{cx + static_cast<int>(std::llrint(std::sin(angle) * radius)),
                      cy - static_cast<int>(std::llrint(std::cos(angle) * radius))};
    };
    // One run of wedges per rise and per fall; each wedge spans two degrees and the
    // next one, a degree further, covers its second half.
    const int run = 180 / cycles;
    const int64_t s = FStartAngle;
    for (int j = 0; j < 360; ++j) {
        const int within = j % run;
        const bool rising = (j / run) % 2 == 0;
        const int step = rising ? within : run - 1 - within;
        const int64_t a = s + j;
        FImage->Pie(bounds, direction(a + 2), direction(a), StepColor(step, run), std::nullopt);
    }
}

void TVyrlGradient::PaintFrame()
{
    const int w = FImage->Width(), h = FImage->Height();
    // Each ring: the first colour up the left edge and along the top, the second down
    // the right edge and back along the bottom, so only the top-left corner keeps the first.
    auto ring = [&](int inset, TColor first, TColor second) {
        const int left = inset, top = inset, right = w - 1 - inset, bottom = h - 1 - inset;
        FImage->Line({left, bottom}, {left, top}, first);
        FImage->Line({left, top}, {right, top}, first);
        FImage->Line({right, top}, {right, bottom}, second);
        FImage->Line({right, bottom}, {left - 1, bottom}, second);
    };
    ring(0, clGray, clWhite);
    ring(1, clBlack, clSilver);
}
