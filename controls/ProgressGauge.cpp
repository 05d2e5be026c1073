#include "controls/ProgressGauge.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <string>

namespace {

// An unsigned 128-bit value, enough for the exact products of the share.
struct TWide {
    uint64_t Hi = 0;
    uint64_t Lo = 0;
};

TWide Multiply(uint64_t a, uint64_t b)
{
    const uint64_t a0 = a & 0xFFFFFFFFu, a1 = a >> 32;
    const uint64_t b0 = b & 0xFFFFFFFFu, b1 = b >> 32;
    const uint64_t p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
    const uint64_t middle = (p00 >> 32) + (p01 & 0xFFFFFFFFu) + (p10 & 0xFFFFFFFFu);
    return {p11 + (p01 >> 32) + (p10 >> 32) + (middle >> 32), (middle << 32) | (p00 & 0xFFFFFFFFu)};
}

int BitLength(const TWide& x)
{
    int n = 0;
    for (uint64_t v = x.Hi ? x.Hi : x.Lo; v; v >>= 1)
        ++n;
    return x.Hi ? n + 64 : n;
}

bool Bit(const TWide& x, int i)
{
    return i < 64 ? ((x.Lo >> i) & 1) != 0 : ((x.Hi >> (i - 64)) & 1) != 0;
}

// Whether any of the bits below position n is set.
bool AnyBelow(const TWide& x, int n)
{
    if (n <= 0)
        return false;
    if (n < 64)
        return (x.Lo & ((uint64_t{1} << n) - 1)) != 0;
    if (x.Lo != 0)
        return true;
    return n > 64 && (x.Hi & ((uint64_t{1} << (n - 64)) - 1)) != 0;
}

// The low 64 bits of x shifted right by s (0 < s < 128).
uint64_t ShiftedDown(const TWide& x, int s)
{
    if (s >= 64)
        return x.Hi >> (s - 64);
    return (x.Lo >> s) | (x.Hi << (64 - s));
}

// Rounds x × 2^exponent to a 64-bit significand, to nearest with ties to even,
// as the extended format does; exponent follows the significand.
uint64_t RoundToExtended(const TWide& x, int& exponent)
{
    const int length = BitLength(x);
    if (length <= 64)
        return x.Lo;
    int s = length - 64;
    uint64_t q = ShiftedDown(x, s);
    if (Bit(x, s - 1) && (AnyBelow(x, s - 1) || (q & 1))) {
        if (++q == 0) {
            q = uint64_t{1} << 63;
            ++s;
        }
    }
    exponent += s;
    return q;
}

// The extended value nearest to 0.01 (just below it) is this significand times 2^-70.
constexpr uint64_t CentSignificand = 0xA3D70A3D70A3D70Aull;
constexpr int CentExponent = -70;

// Put together without the printf family, which would bring a whole
// formatter (about 25 KB) into the setup program for this one line.
std::string RangeMessage(int64_t low, int64_t high)
{
    return "Value must be between " + std::to_string(static_cast<int32_t>(low)) + " and " +
           std::to_string(static_cast<int32_t>(high));
}

int Round(double value)
{
    return static_cast<int>(std::lrint(value)); // halves to even
}

} // namespace

int64_t ShareOfExtent(int64_t percent, int64_t extent)
{
    if (percent == 0 || extent == 0)
        return 0;
    // Both products and the truncation are symmetric in the sign.
    const bool negative = (percent < 0) != (extent < 0);
    const uint64_t p = percent < 0 ? 0 - static_cast<uint64_t>(percent) : static_cast<uint64_t>(percent);
    const uint64_t e = extent < 0 ? 0 - static_cast<uint64_t>(extent) : static_cast<uint64_t>(extent);
    int exponent = CentExponent;
    const uint64_t inner = RoundToExtended(Multiply(p, CentSignificand), exponent);
    const uint64_t outer = RoundToExtended(Multiply(e, inner), exponent);
    uint64_t whole = 0;
    if (exponent >= 0)
        whole = exponent < 63 && (outer >> (63 - exponent)) == 0 ? outer << exponent
                                                                 : uint64_t(std::numeric_limits<int64_t>::max());
    else if (exponent > -64)
        whole = outer >> -exponent;
    const auto magnitude = static_cast<int64_t>(std::min<uint64_t>(whole, std::numeric_limits<int64_t>::max()));
    return negative ? -magnitude : magnitude;
}

void TScratchImage::MakeLike(const TDrawingSurface& templ)
{
    FImage = templ.MakeImage(templ.Width(), templ.Height());
    FImage->FillRect({0, 0, templ.Width(), templ.Height()}, clWindowFrame);
}

TProgressGauge::TProgressGauge() : TGraphicControl(100, 100)
{
    FOpaque = true;
    SetColor(clWindow);
}

template <class T> void TProgressGauge::Change(T& field, T value)
{
    if (field == value)
        return;
    field = value;
    Repaint();
}

void TProgressGauge::SetKind(TGaugeKind value) { Change(FKind, value); }
void TProgressGauge::SetShowText(bool value) { Change(FShowText, value); }
void TProgressGauge::SetBorderStyle(TBorderStyle value) { Change(FBorderStyle, value); }
void TProgressGauge::SetForeColor(TColor value) { Change(FForeColor, value); }
void TProgressGauge::SetBackColor(TColor value) { Change(FBackColor, value); }

void TProgressGauge::SetMinValue(int32_t value)
{
    if (value == FMinValue)
        return;
    if (value > FMaxValue && !Loading())
        throw EInvalidOperation(RangeMessage(-2147483647, int64_t{FMaxValue} - 1));
    FMinValue = value;
    if (FProgress < value)
        FProgress = value;
    Repaint();
}

void TProgressGauge::SetMaxValue(int32_t value)
{
    if (value == FMaxValue)
        return;
    if (value < FMinValue && !Loading())
        throw EInvalidOperation(RangeMessage(int64_t{FMinValue} + 1, 2147483647));
    FMaxValue = value;
    if (FProgress > value)
        FProgress = value;
    Repaint();
}

void TProgressGauge::SetProgress(int32_t value)
{
    const int32_t before = CurrentPercent();
    if (value < FMinValue)
        value = FMinValue;
    else if (value > FMaxValue)
        value = FMaxValue;
    if (value == FProgress)
        return;
    FProgress = value;
    // Only a new whole percentage shows, so only that costs a paint.
    if (CurrentPercent() != before)
        Repaint();
}

int32_t TProgressGauge::CurrentPercent() const
{
    const int64_t range = int64_t{FMaxValue} - FMinValue;
    if (range == 0)
        return 0;
    const int64_t percent = 100 * (int64_t{FProgress} - FMinValue) / range;
    // Only a range given out of order while loading can leave the 32-bit range.
    if (percent > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (percent < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(percent);
}

void TProgressGauge::Paint(TDrawingSurface& canvas)
{
    const int w = Width(), h = Height();
    const std::unique_ptr<TDrawingSurface> image = canvas.MakeImage(w, h);
    image->FillRect({0, 0, w, h}, clBlack);
    TRect r{0, 0, w, h};
    if (FBorderStyle == bsSingle)
        r = {1, 1, w - 1, h - 1};

    TScratchImage drawing;
    drawing.MakeLike(*image);
    TDrawingSurface& b = drawing.Canvas();
    b.FillRect({0, 0, w, h}, clBlack);
    switch (FKind) {
    case gkText:
        b.FillRect(r, FBackColor);
        break;
    case gkHorizontalBar:
        PaintBar(b, r, false);
        break;
    case gkVerticalBar:
        PaintBar(b, r, true);
        break;
    case gkPie:
        PaintPie(b, r);
        break;
    case gkNeedle:
        PaintNeedle(b, r);
        break;
    default:
        break; // an unknown kind draws nothing
    }
    // The image is black, so this leaves the drawing; everything outside r stays black.
    image->Draw(0, 0, b, cmSrcInvert);
    if (FShowText)
        PaintText(*image, r);
    canvas.Draw(0, 0, *image, cmSrcCopy);
}

void TProgressGauge::PaintBar(TDrawingSurface& image, const TRect& r, bool vertical) const
{
    const int wb = r.Right - r.Left + 1;
    const int hb = r.Bottom - r.Top + 1;
    image.FillRect(r, FBackColor);
    const int percent = CurrentPercent();
    if (!vertical) {
        int f = static_cast<int>(ShareOfExtent(percent, wb));
        if (f > wb)
            f = wb;
        if (f > 0)
            image.FillRect({r.Left, r.Top, f, hb}, FForeColor); // f is an absolute right edge
        return;
    }
    int f = static_cast<int>(ShareOfExtent(percent, hb));
    if (f >= hb)
        f = hb - 1;
    if (f > 0)
        image.FillRect({r.Left, hb - f, wb, hb}, FForeColor);
}

void TProgressGauge::PaintPie(TDrawingSurface& image, const TRect& r) const
{
    const int grow = FBorderStyle == bsSingle ? 1 : 0;
    const int wp = r.Right - r.Left + grow;
    const int hp = r.Bottom - r.Top + grow;
    image.FillRect(r, Color());
    const TRect bounds{r.Left, r.Top, wp, hp};
    image.Ellipse(bounds, FBackColor, FForeColor);
    const int percent = CurrentPercent();
    if (percent <= 0)
        return;
    const int mx = wp / 2, my = hp / 2;
    const double angle = std::numbers::pi * (percent / 50.0 + 0.5);
    // From twelve o'clock clockwise: the slice runs counter-clockwise from the moving radial back to the top.
    const TPoint start{Round(mx * (1 - std::cos(angle))), Round(my * (1 - std::sin(angle)))};
    image.Pie(bounds, start, {mx, 0}, FForeColor, FForeColor);
}

void TProgressGauge::PaintNeedle(TDrawingSurface& image, const TRect& r) const
{
    const int grow = FBorderStyle == bsSingle ? 1 : 0;
    const int x = r.Left, y = r.Top;
    const int wn = r.Right - r.Left + grow;
    const int hn = r.Bottom - r.Top + grow;
    image.FillRect(r, Color());
    // The upper half of an ellipse whose centre lies on the bottom line.
    image.Pie({x, y, wn, 2 * hn - 1}, {x + wn, r.Bottom - 1}, {x, r.Bottom - 1}, FBackColor, FForeColor);
    image.Line({x, r.Bottom}, {x + wn, r.Bottom}, FForeColor);
    const int percent = CurrentPercent();
    if (percent <= 0)
        return;
    const int mx = Width() / 2;
    const double angle = std::numbers::pi * percent / 100;
    image.Line({mx, r.Bottom - 1},
               {Round(mx * (1 - std::cos(angle))), Round((r.Bottom - 1) * (1 - std::sin(angle)))}, FForeColor);
}

void TProgressGauge::PaintText(TDrawingSurface& image, const TRect& r) const
{
    const std::string text = std::to_string(CurrentPercent()) + "%";
    TScratchImage scratch;
    scratch.MakeLike(image);
    TDrawingSurface& c = scratch.Canvas();
    c.FillRect({0, 0, c.Width(), c.Height()}, clBlack);
    TFont font = Font();
    font.Color = clWhite;
    const TSize extent = c.TextExtent(font, text, 0);
    // Centred in the paint rectangle's size, but as absolute coordinates.
    const int x = (r.Right - r.Left + 1 - extent.Width) / 2;
    const int y = (r.Bottom - r.Top + 1 - extent.Height) / 2;
    c.TextOut(font, {x, y}, text, r, 0);
    // White text inverts what lies beneath it, so it changes colour where the bar ends.
    image.Draw(0, 0, c, cmSrcInvert);
}
