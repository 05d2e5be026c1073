// TProgressGauge on the software surface: the share of an extent as 80-bit
// arithmetic gives it, the copy dialog's bar at every percentage, the other
// kinds, the inverted text, the range checks and how often it repaints.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

#include "controls/ProgressGauge.h"
#include "platform/SoftwareSurface.h"
#include "tests/support/RecordingControlHost.h"

namespace {

TSoftwareSurface Paint(TProgressGauge& gauge)
{
    TSoftwareSurface canvas(gauge.Width(), gauge.Height());
    gauge.Paint(canvas);
    return canvas;
}

int CountInRow(const TDrawingSurface& s, int y, TColor color)
{
    int n = 0;
    for (int x = 0; x < s.Width(); ++x)
        n += s.Pixel(x, y) == color;
    return n;
}

TEST(ProgressGaugeShare, ExactMultiplesOfAHundredCanComeOutOneLess)
{
    EXPECT_EQ(ShareOfExtent(10, 100), 9);
    EXPECT_EQ(ShareOfExtent(5, 20), 0);
    EXPECT_EQ(ShareOfExtent(50, 232), 116);
    EXPECT_EQ(ShareOfExtent(100, 232), 232);
    EXPECT_EQ(ShareOfExtent(0, 232), 0);
    EXPECT_EQ(ShareOfExtent(37, 18), 6);
    // 50 % and 100 % are always exact.
    for (int64_t e = 0; e <= 65535; ++e) {
        ASSERT_EQ(ShareOfExtent(50, e), e / 2) << e;
        ASSERT_EQ(ShareOfExtent(100, e), e) << e;
    }
    // The copy dialog's extent agrees with the plain floor at every percentage.
    for (int p = 0; p <= 100; ++p)
        EXPECT_EQ(ShareOfExtent(p, 232), 232 * p / 100) << p;
    // Signs only mirror the result.
    EXPECT_EQ(ShareOfExtent(-10, 100), -9);
    EXPECT_EQ(ShareOfExtent(10, -100), -9);
}

TEST(ProgressGaugeShare, AgreesWithExtendedArithmeticForEveryExtentAndPercentage)
{
    if (LDBL_MANT_DIG != 64)
        GTEST_SKIP() << "long double is not the 80-bit extended format here";
    volatile long double cent = 0.01L; // kept out of constant folding
    for (int p = 0; p <= 100; ++p) {
        const long double inner = static_cast<long double>(p) * cent;
        for (int64_t e = 0; e <= 65535; ++e) {
            const long double outer = static_cast<long double>(e) * inner;
            ASSERT_EQ(ShareOfExtent(p, e), static_cast<int64_t>(std::trunc(outer))) << p << "% of " << e;
        }
    }
}

TEST(ProgressGaugeBars, CopyDialogBarAtEveryPercentage)
{
    TProgressGauge gauge;
    gauge.SetBounds(9, 51, 231, 17);
    gauge.SetBorderStyle(bsNone);
    gauge.SetShowText(false);
    for (int p = 0; p <= 100; ++p) {
        gauge.SetProgress(p);
        const TSoftwareSurface s = Paint(gauge);
        // Wb = 232; the bar ends at floor(232 p / 100), cut to the 231 columns.
        const int filled = std::min(232 * p / 100, 231);
        for (int y : {0, 8, 16}) {
            ASSERT_EQ(CountInRow(s, y, clBlack), filled) << p << "% row " << y;
            ASSERT_EQ(CountInRow(s, y, clWhite), 231 - filled) << p << "% row " << y;
        }
        if (filled > 0) {
            ASSERT_EQ(s.Pixel(filled - 1, 8), clBlack) << p;
        }
        if (filled < 231) {
            ASSERT_EQ(s.Pixel(filled, 8), clWhite) << p;
        }
    }
}

TEST(ProgressGaugeBars, TenPercentOfAHundredFillsNinePixels)
{
    TProgressGauge gauge;
    gauge.SetBounds(0, 0, 99, 5); // bsNone: Wb = 100
    gauge.SetBorderStyle(bsNone);
    gauge.SetShowText(false);
    gauge.SetProgress(10);
    EXPECT_EQ(CountInRow(Paint(gauge), 2, clBlack), 9);
}

TEST(ProgressGaugeBars, VerticalBarIsCappedBelowTheFullHeight)
{
    TProgressGauge gauge;
    gauge.SetBounds(0, 0, 20, 17);
    gauge.SetKind(gkVerticalBar);
    gauge.SetShowText(false);
    gauge.SetBorderStyle(bsNone);
    gauge.SetProgress(100);
    TSoftwareSurface s = Paint(gauge);
    // Hb = 18 caps the bar at 17 rows, leaving row 0 unfilled.
    EXPECT_EQ(CountInRow(s, 0, clWhite), 20);
    for (int y = 1; y < 17; ++y)
        EXPECT_EQ(CountInRow(s, y, clBlack), 20) << y;
    gauge.SetProgress(50); // 9 rows from the bottom
    s = Paint(gauge);
    EXPECT_EQ(CountInRow(s, 8, clWhite), 20);
    EXPECT_EQ(CountInRow(s, 9, clBlack), 20);

    // With the border the cap fills the paint rectangle exactly.
    gauge.SetBorderStyle(bsSingle);
    gauge.SetForeColor(clRed);
    gauge.SetProgress(100);
    s = Paint(gauge);
    for (int y = 1; y < 16; ++y)
        EXPECT_EQ(CountInRow(s, y, clRed), 18) << y;
    EXPECT_EQ(CountInRow(s, 0, clBlack), 20);
    EXPECT_EQ(CountInRow(s, 16, clBlack), 20);
}

TEST(ProgressGaugeBorder, SingleBorderLeavesABlackRingInEveryKind)
{
    for (TGaugeKind kind : {gkText, gkHorizontalBar, gkVerticalBar, gkPie, gkNeedle})
        for (int p : {0, 37, 64}) { // near 100 % the needle reaches the right-hand column
            TProgressGauge gauge;
            gauge.SetBounds(0, 0, 40, 30);
            gauge.SetKind(kind);
            gauge.SetForeColor(clRed);
            gauge.SetBackColor(clLime);
            gauge.SetColor(clBlue);
            gauge.SetProgress(p);
            const TSoftwareSurface s = Paint(gauge);
            for (int x = 0; x < 40; ++x) {
                EXPECT_EQ(s.Pixel(x, 0), clBlack) << int(kind) << " " << p << " x " << x;
                // The needle's base line, in ForeColor, lies on the bottom row.
                const TColor bottom = kind == gkNeedle && x > 0 ? clRed : clBlack;
                EXPECT_EQ(s.Pixel(x, 29), bottom) << int(kind) << " " << p << " x " << x;
            }
            for (int y = 0; y < 30; ++y) {
                EXPECT_EQ(s.Pixel(0, y), clBlack) << int(kind) << " " << p << " y " << y;
                EXPECT_EQ(s.Pixel(39, y), y == 29 && kind == gkNeedle ? clRed : clBlack) << int(kind) << " " << p;
            }
        }
}

TEST(ProgressGaugeKinds, TinyGaugesPaintInEveryKind)
{
    for (TGaugeKind kind : {gkText, gkHorizontalBar, gkVerticalBar, gkPie, gkNeedle})
        for (int size : {0, 1, 2}) {
            TProgressGauge gauge;
            gauge.SetBounds(0, 0, size, size);
            gauge.SetKind(kind);
            gauge.SetProgress(60);
            const TSoftwareSurface s = Paint(gauge);
            if (size == 2) {
                EXPECT_EQ(s.Pixel(0, 0), clBlack) << int(kind); // all border
            }
        }
}

TEST(ProgressGaugeKinds, TextKindWithoutTextIsTheBackColourAlone)
{
    TProgressGauge gauge;
    gauge.SetBounds(0, 0, 30, 10);
    gauge.SetKind(gkText);
    gauge.SetShowText(false);
    gauge.SetBorderStyle(bsNone);
    gauge.SetBackColor(clLime);
    gauge.SetProgress(60);
    const TSoftwareSurface s = Paint(gauge);
    for (int y = 0; y < 10; ++y)
        EXPECT_EQ(CountInRow(s, y, clLime), 30) << y;
}

TEST(ProgressGaugeKinds, PieGrowsClockwiseFromTwelve)
{
    TProgressGauge gauge;
    gauge.SetBounds(0, 0, 41, 41);
    gauge.SetKind(gkPie);
    gauge.SetShowText(false);
    gauge.SetBorderStyle(bsNone);
    gauge.SetColor(clLime);
    struct {
        int percent;
        bool upperRight, lowerRight, lowerLeft, upperLeft;
    } const cases[] = {{0, false, false, false, false},
                       {25, true, false, false, false},
                       {50, true, true, false, false},
                       {75, true, true, true, false},
                       {100, true, true, true, true}};
    for (const auto& c : cases) {
        gauge.SetProgress(c.percent);
        const TSoftwareSurface s = Paint(gauge);
        auto filled = [&](int x, int y) { return s.Pixel(x, y) == clBlack; };
        EXPECT_EQ(filled(30, 10), c.upperRight) << c.percent;
        EXPECT_EQ(filled(30, 30), c.lowerRight) << c.percent;
        EXPECT_EQ(filled(10, 30), c.lowerLeft) << c.percent;
        EXPECT_EQ(filled(10, 10), c.upperLeft) << c.percent;
        EXPECT_EQ(s.Pixel(0, 0), clLime) << c.percent; // Color around the ellipse
        EXPECT_EQ(s.Pixel(0, 20), clBlack) << c.percent; // the outline in ForeColor
    }
    gauge.SetProgress(50);
    EXPECT_EQ(Paint(gauge).Pixel(10, 20), clWhite); // the left half shows BackColor
}

TEST(ProgressGaugeKinds, NeedleSweepsFromLeftOverTheTopToTheRight)
{
    TProgressGauge gauge;
    gauge.SetBounds(0, 0, 41, 21);
    gauge.SetKind(gkNeedle);
    gauge.SetShowText(false);
    gauge.SetBorderStyle(bsNone);
    gauge.SetColor(clLime);
    gauge.SetForeColor(clRed);
    gauge.SetProgress(50);
    TSoftwareSurface s = Paint(gauge);
    EXPECT_EQ(s.Pixel(0, 0), clLime);     // outside the half ellipse
    EXPECT_EQ(s.Pixel(26, 10), clWhite);  // BackColor inside it
    for (int y = 1; y <= 19; ++y)
        EXPECT_EQ(s.Pixel(20, y), clRed) << y; // straight up from the centre of the bottom line

    gauge.SetProgress(10);
    s = Paint(gauge);
    int leftHits = 0, rightHits = 0;
    // Inside the outline: the needle's pixels alone are ForeColor there.
    for (int y = 8; y <= 18; ++y)
        for (int x = 5; x <= 35; ++x)
            if (s.Pixel(x, y) == clRed && x != 20)
                (x < 20 ? leftHits : rightHits) += 1;
    EXPECT_GT(leftHits, 5);
    EXPECT_EQ(rightHits, 0);
}

TEST(ProgressGaugeText, PercentageIsInvertedOverBarAndBackground)
{
    TProgressGauge gauge;
    gauge.SetBounds(9, 51, 231, 17);
    gauge.SetBorderStyle(bsNone);
    gauge.SetProgress(50);
    const TSoftwareSurface s = Paint(gauge);
    // "50%" is 18 pixels wide: it starts at (232 - 18) div 2 = 107, row (18 - 13) div 2 = 2.
    EXPECT_EQ(s.Pixel(108, 6), clWhite); // "5" over the bar (x 0..115)
    EXPECT_EQ(s.Pixel(112, 6), clBlack); // gap between glyphs: the bar
    EXPECT_EQ(s.Pixel(114, 6), clWhite); // "0" over the bar ...
    EXPECT_EQ(s.Pixel(116, 6), clBlack); // ... and over the background
    EXPECT_EQ(s.Pixel(118, 6), clWhite); // gap: the background
    EXPECT_EQ(s.Pixel(120, 6), clBlack); // "%" over the background
    EXPECT_EQ(s.Pixel(107, 3), clBlack); // above the ink: the bar
    EXPECT_EQ(s.Pixel(120, 13), clWhite); // below the ink: the background
    // Only the glyphs' ink differs from the picture without text.
    gauge.SetShowText(false);
    const TSoftwareSurface plain = Paint(gauge);
    int changed = 0;
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 231; ++x)
            if (s.Pixel(x, y) != plain.Pixel(x, y)) {
                ++changed;
                EXPECT_EQ(s.Pixel(x, y), plain.Pixel(x, y) ^ 0xFFFFFFu);
                EXPECT_TRUE(x >= 107 && x < 125 && y >= 4 && y <= 12) << x << "," << y;
            }
    EXPECT_EQ(changed, 3 * 5 * 9);
}

TEST(ProgressGaugeRange, OutOfOrderRangesRaiseInvalidOperation)
{
    TProgressGauge gauge;
    try {
        gauge.SetMinValue(150);
        ADD_FAILURE() << "a minimum above the maximum was taken";
    } catch (const EInvalidOperation& e) {
        EXPECT_EQ(e.Message(), "Value must be between -2147483647 and 99");
    }
    EXPECT_EQ(gauge.MinValue(), 0);
    try {
        gauge.SetMaxValue(-5);
        ADD_FAILURE() << "a maximum below the minimum was taken";
    } catch (const EInvalidOperation& e) {
        EXPECT_EQ(e.Message(), "Value must be between 1 and 2147483647");
    }
    EXPECT_EQ(gauge.MaxValue(), 100);

    // Loading from a design takes the values in any order.
    gauge.BeginLoading();
    gauge.SetMinValue(150);
    gauge.SetMaxValue(200);
    gauge.EndLoading();
    EXPECT_EQ(gauge.MinValue(), 150);
    EXPECT_EQ(gauge.MaxValue(), 200);
    EXPECT_EQ(gauge.Progress(), 150);
}

TEST(ProgressGaugeRange, ProgressFollowsTheRangeAndIsClamped)
{
    TProgressGauge gauge;
    gauge.SetProgress(30);
    gauge.SetMinValue(50);
    EXPECT_EQ(gauge.Progress(), 50);
    gauge.SetProgress(90);
    gauge.SetMaxValue(70);
    EXPECT_EQ(gauge.Progress(), 70);
    gauge.SetProgress(1000);
    EXPECT_EQ(gauge.Progress(), 70);
    gauge.SetProgress(-1000);
    EXPECT_EQ(gauge.Progress(), 50);
    EXPECT_EQ(gauge.CurrentPercent(), 0);
    gauge.SetProgress(60);
    EXPECT_EQ(gauge.CurrentPercent(), 50);

    // Products beyond 32 bits, and truncation.
    TProgressGauge wide;
    wide.SetMaxValue(2000000000);
    wide.SetMinValue(-2000000000);
    wide.SetProgress(1000000000);
    EXPECT_EQ(wide.CurrentPercent(), 75);
    wide.SetProgress(-1999999999);
    EXPECT_EQ(wide.CurrentPercent(), 0);
    TProgressGauge thirds;
    thirds.SetMaxValue(3);
    thirds.SetProgress(2);
    EXPECT_EQ(thirds.CurrentPercent(), 66);

    // An empty range shows 0 %.
    TProgressGauge empty;
    empty.SetMaxValue(0);
    EXPECT_EQ(empty.CurrentPercent(), 0);
}

TEST(ProgressGaugeRepaint, OnlyANewWholePercentageRepaints)
{
    TRecordingControlHost host;
    TProgressGauge gauge;
    gauge.SetHost(&host);
    gauge.SetMaxValue(1000);
    EXPECT_EQ(host.Repaints, 1);
    host.Repaints = 0;
    gauge.SetProgress(10);
    EXPECT_EQ(host.Repaints, 1);
    gauge.SetProgress(11); // still 1 %: stored, not repainted
    EXPECT_EQ(gauge.Progress(), 11);
    EXPECT_EQ(host.Repaints, 1);

    gauge.SetProgress(0);
    host.Repaints = 0;
    for (int value = 1; value <= 1000; ++value)
        gauge.SetProgress(value);
    EXPECT_EQ(host.Repaints, 100);
    EXPECT_LE(host.Repaints, 101);
    EXPECT_EQ(host.Invalidates, 0); // always at once, never deferred
}

TEST(ProgressGaugeRepaint, PropertyWritesRepaintAtOnceUnlessUnchanged)
{
    TRecordingControlHost host;
    TProgressGauge gauge;
    gauge.SetHost(&host);
    gauge.SetKind(gkHorizontalBar);
    gauge.SetShowText(true);
    gauge.SetBorderStyle(bsSingle);
    gauge.SetForeColor(clBlack);
    gauge.SetBackColor(clWhite);
    gauge.SetMinValue(0);
    gauge.SetMaxValue(100);
    gauge.SetProgress(0);
    EXPECT_EQ(host.Repaints, 0);
    gauge.SetKind(gkPie);
    gauge.SetShowText(false);
    gauge.SetBorderStyle(bsNone);
    gauge.SetForeColor(clRed);
    gauge.SetBackColor(clBlue);
    EXPECT_EQ(host.Repaints, 5);
    EXPECT_EQ(host.Invalidates, 0);
}

} // namespace
