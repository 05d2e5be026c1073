// TVyrlGradient on the software surface: the band edges and colours of every
// style, the 3D frame, the cached image and when it is rebuilt.
#include <gtest/gtest.h>

#include "controls/VyrlGradient.h"
#include "platform/SoftwareSurface.h"
#include "tests/support/CountingSurface.h"
#include "tests/support/RecordingControlHost.h"

namespace {

TSoftwareSurface Render(TVyrlGradient& g)
{
    TSoftwareSurface canvas(g.Width(), g.Height());
    g.Paint(canvas);
    return canvas;
}

// A row (or column) of the surface in one colour, which it returns; 0xFFFFFFFF when mixed.
TColor RowColor(const TDrawingSurface& s, int y)
{
    const TColor c = s.Pixel(0, y);
    for (int x = 1; x < s.Width(); ++x)
        if (s.Pixel(x, y) != c)
            return 0xFFFFFFFF;
    return c;
}

TColor ColumnColor(const TDrawingSurface& s, int x)
{
    const TColor c = s.Pixel(x, 0);
    for (int y = 1; y < s.Height(); ++y)
        if (s.Pixel(x, y) != c)
            return 0xFFFFFFFF;
    return c;
}

TEST(GradientBands, VerticalStyleOfTheBackgroundAt536By348)
{
    TVyrlGradient g;
    g.SetBounds(0, 0, 536, 348);
    g.SetBeginColor(clBlue);
    g.SetEndColor(clBlack);
    g.SetSteps(100);
    const TSoftwareSurface s = Render(g);
    // Band 0: rows 0-2, pure blue; band 1 starts at row 3 with blue 253.
    for (int y = 0; y <= 2; ++y)
        EXPECT_EQ(RowColor(s, y), clBlue) << y;
    EXPECT_EQ(RowColor(s, 3), RGBColor(0, 0, 253));
    // Band 50 (rows 172-174) has blue 128; band 100 is black and ends the picture at row 347.
    EXPECT_EQ(RowColor(s, 171), RGBColor(0, 0, 131));
    for (int y = 172; y <= 174; ++y)
        EXPECT_EQ(RowColor(s, y), RGBColor(0, 0, 128)) << y;
    EXPECT_EQ(RowColor(s, 343), RGBColor(0, 0, 3));
    for (int y = 344; y <= 347; ++y)
        EXPECT_EQ(RowColor(s, y), clBlack) << y;
    // 101 bands, each a run of rows, the blue falling band by band.
    int bands = 1;
    for (int y = 1; y < 348; ++y) {
        ASSERT_NE(RowColor(s, y), 0xFFFFFFFFu);
        if (RowColor(s, y) != RowColor(s, y - 1)) {
            ++bands;
            EXPECT_LT(BlueOf(RowColor(s, y)), BlueOf(RowColor(s, y - 1)));
        }
    }
    EXPECT_EQ(bands, 101);
}

TEST(GradientBands, DefaultStepsOn255RowsGiveEveryBlueThatHasARow)
{
    TVyrlGradient g;
    g.SetBounds(0, 0, 3, 255);
    g.SetBeginColor(clBlack);
    g.SetEndColor(clBlue);
    EXPECT_EQ(g.Steps(), 255);
    const TSoftwareSurface s = Render(g);
    // 256 bands on 255 rows: band i covers rows i*255/256 up to (i+1)*255/256, and one has no row.
    int previous = -1;
    for (int y = 0; y < 255; ++y) {
        const TColor c = RowColor(s, y);
        ASSERT_EQ(c & 0x00FFFF, 0u);
        const int i = BlueOf(c);
        EXPECT_LE(i * 255 / 256, y);
        EXPECT_GT((i + 1) * 255 / 256, y);
        EXPECT_GT(i, previous);
        previous = i;
    }
    EXPECT_EQ(BlueOf(RowColor(s, 0)), 1); // band 0 has no row
    EXPECT_EQ(BlueOf(RowColor(s, 254)), 255);
}

TEST(GradientBands, FallingChannelsTruncateTowardsZero)
{
    TVyrlGradient g;
    g.SetBounds(0, 0, 4, 2);
    g.SetGradientStyle(gsHorizontal);
    g.SetBeginColor(RGBColor(200, 10, 0));
    g.SetEndColor(RGBColor(0, 250, 3));
    g.SetSteps(3);
    const TSoftwareSurface s = Render(g);
    // Red 200 + trunc(-66.67) = 134, not 133; green rises 10, 90, 170, 250; blue 0, 1, 2, 3.
    EXPECT_EQ(ColumnColor(s, 0), RGBColor(200, 10, 0));
    EXPECT_EQ(ColumnColor(s, 1), RGBColor(134, 90, 1));
    EXPECT_EQ(ColumnColor(s, 2), RGBColor(67, 170, 2));
    EXPECT_EQ(ColumnColor(s, 3), RGBColor(0, 250, 3));
}

TEST(GradientBands, SystemColourValuesAreTakenAsRawBytes)
{
    TVyrlGradient g;
    g.SetBounds(0, 0, 10, 10);
    g.SetBeginColor(clBtnFace);
    g.SetEndColor(clBtnFace);
    const TSoftwareSurface s = Render(g);
    EXPECT_EQ(s.Pixel(0, 0), RGBColor(0x0F, 0, 0));
    EXPECT_EQ(s.Pixel(9, 9), RGBColor(0x0F, 0, 0));
}

TEST(GradientBands, CentreStylesMeetInTheEndColourOnTheCentreLine)
{
    TVyrlGradient g;
    g.SetBounds(0, 0, 7, 10);
    g.SetGradientStyle(gsVertCenter);
    g.SetBeginColor(clBlack);
    g.SetEndColor(RGBColor(0, 0, 250));
    const TSoftwareSurface s = Render(g);
    // half = 5: rows 0 and 9 begin, then steps 1..4 towards the middle, rows 4 and 5 end.
    const int blue[] = {0, 50, 100, 150, 250, 250, 150, 100, 50, 0};
    for (int y = 0; y < 10; ++y)
        EXPECT_EQ(RowColor(s, y), RGBColor(0, 0, blue[y])) << y;

    g.SetGradientStyle(gsHorizCenter);
    g.SetBounds(0, 0, 9, 3);
    const TSoftwareSurface c = Render(g);
    // half = 4 on an odd width: the single centre column takes the end colour.
    const int across[] = {0, 62, 125, 187, 250, 187, 125, 62, 0};
    for (int x = 0; x < 9; ++x)
        EXPECT_EQ(ColumnColor(c, x), RGBColor(0, 0, across[x])) << x;
}

TEST(GradientBands, EllipticCoversTheCornersAndEndsAtTheCentre)
{
    TVyrlGradient g;
    g.SetBounds(0, 0, 120, 80);
    g.SetGradientStyle(gsElliptic);
    g.SetBeginColor(clBlack);
    g.SetEndColor(RGBColor(155, 0, 0));
    const TSoftwareSurface s = Render(g);
    // The outer ellipses cover the corners (the +4 of the right and bottom edges
    // keeps the bottom right inside longer); the last ones the centre.
    for (TPoint corner : {TPoint{0, 0}, TPoint{119, 0}, TPoint{0, 79}, TPoint{119, 79}}) {
        EXPECT_EQ(s.Pixel(corner.X, corner.Y) & 0xFFFF00, 0u);
        EXPECT_LT(RedOf(s.Pixel(corner.X, corner.Y)), 25);
    }
    EXPECT_EQ(s.Pixel(0, 0), RGBColor(6, 0, 0));
    EXPECT_GE(RedOf(s.Pixel(60, 40)), 150);
    // Rings: the red rises from the edge towards the centre along the middle row; the left
    // edge leaves the ellipses once their left side passes column 0, after step 52.
    for (int x = 1; x <= 60; ++x)
        EXPECT_GE(RedOf(s.Pixel(x, 40)), RedOf(s.Pixel(x - 1, 40))) << x;
    EXPECT_EQ(s.Pixel(0, 40), RGBColor(52, 0, 0));
}

TEST(GradientBands, RectangleStyleLeavesItsOutermostColumnAsItWas)
{
    TVyrlGradient g;
    g.SetBounds(0, 0, 536, 40);
    g.SetGradientStyle(gsRectangle);
    g.SetBeginColor(clRed);
    g.SetEndColor(clBlue);
    // dx = 268 / 255 = 1.05: the first fill starts at column 1; dy = 20 / 255 < 1: row 0 is painted.
    const TSoftwareSurface fresh = Render(g);
    EXPECT_EQ(ColumnColor(fresh, 0), clWhite);
    EXPECT_EQ(fresh.Pixel(1, 20), clRed);
    // Row 0 lies in the first twelve rectangles (trunc(12 × 0.078) = 0): step 11.
    EXPECT_EQ(fresh.Pixel(300, 0), RGBColor(244, 0, 11));
    EXPECT_EQ(fresh.Pixel(536 - 1, 20), clRed);

    // The column keeps whatever the cached image held: here the vertical style's picture.
    TVyrlGradient h;
    h.SetBounds(0, 0, 536, 40);
    h.SetBeginColor(clLime);
    h.SetEndColor(clLime);
    TSoftwareSurface canvas(536, 40);
    h.Paint(canvas);
    h.SetGradientStyle(gsRectangle);
    h.SetBeginColor(clRed);
    h.Paint(canvas);
    EXPECT_EQ(ColumnColor(canvas, 0), clLime);
    EXPECT_EQ(canvas.Pixel(1, 20), clRed);
}

TEST(GradientRadial, StartAngle90PutsTheBeginColourAtThreeOClock)
{
    TVyrlGradient g;
    g.SetBounds(0, 0, 200, 120);
    g.SetGradientStyle(gsRadial1);
    g.SetStartAngle(90);
    g.SetBeginColor(clBlack);
    g.SetEndColor(RGBColor(180, 0, 0));
    const TSoftwareSurface s = Render(g);
    // One degree of the 180 steps is one red level; the right edge is step 0, the left step 179.
    EXPECT_EQ(s.Pixel(199, 60), clBlack);
    EXPECT_EQ(s.Pixel(0, 60), RGBColor(179, 0, 0));
    // Straight down (180 degrees) is 90 steps on; straight up (0 degrees) 270 on, falling back to 89.
    EXPECT_NEAR(RedOf(s.Pixel(100, 119)), 90, 1);
    EXPECT_NEAR(RedOf(s.Pixel(100, 0)), 89, 1);
    // The colour rises clockwise from three o'clock through six to nine.
    EXPECT_LT(RedOf(s.Pixel(199, 110)), RedOf(s.Pixel(100, 119)));
    EXPECT_LT(RedOf(s.Pixel(100, 119)), RedOf(s.Pixel(5, 110)));
}

TEST(GradientRadial, TheSecondRadialStyleRisesAndFallsTwice)
{
    TVyrlGradient g;
    g.SetBounds(0, 0, 160, 160);
    g.SetGradientStyle(gsRadial2);
    g.SetBeginColor(clBlack);
    g.SetEndColor(RGBColor(90, 0, 0));
    const TSoftwareSurface s = Render(g);
    // StartAngle 0: begin colour up and down, nearest the end colour at three and nine o'clock.
    EXPECT_LE(RedOf(s.Pixel(80, 0)), 1);
    EXPECT_LE(RedOf(s.Pixel(80, 159)), 1);
    EXPECT_GE(RedOf(s.Pixel(159, 80)), 88);
    EXPECT_GE(RedOf(s.Pixel(0, 80)), 88);
    EXPECT_NEAR(RedOf(s.Pixel(159, 0)), 45, 1); // 45 degrees: half way up the first rise
}

TEST(GradientFrame, Ctl3DDrawsTwoSunkenRings)
{
    TVyrlGradient g;
    g.SetCtl3D(true);
    g.SetBeginColor(clRed);
    g.SetEndColor(clRed);
    const TSoftwareSurface s = Render(g);
    ASSERT_EQ(s.Width(), 75);
    ASSERT_EQ(s.Height(), 75);
    EXPECT_EQ(s.Pixel(0, 0), clGray);
    EXPECT_EQ(s.Pixel(74, 0), clWhite);
    EXPECT_EQ(s.Pixel(0, 74), clWhite);
    EXPECT_EQ(s.Pixel(74, 74), clWhite);
    EXPECT_EQ(s.Pixel(1, 1), clBlack);
    EXPECT_EQ(s.Pixel(73, 1), clSilver);
    EXPECT_EQ(s.Pixel(1, 73), clSilver);
    EXPECT_EQ(s.Pixel(73, 73), clSilver);
    EXPECT_EQ(s.Pixel(40, 0), clGray);
    EXPECT_EQ(s.Pixel(0, 40), clGray);
    EXPECT_EQ(s.Pixel(40, 74), clWhite);
    EXPECT_EQ(s.Pixel(74, 40), clWhite);
    EXPECT_EQ(s.Pixel(40, 1), clBlack);
    EXPECT_EQ(s.Pixel(73, 40), clSilver);
    EXPECT_EQ(s.Pixel(2, 2), clRed);
    EXPECT_EQ(s.Pixel(72, 72), clRed);
}

TEST(GradientCache, WritesOnlyInvalidateAndEqualWritesDoNothing)
{
    TRecordingControlHost host;
    TVyrlGradient g;
    g.SetHost(&host);
    g.SetBounds(0, 0, 50, 40);
    auto counts = std::make_shared<TDrawCounts>();
    TCountingSurface canvas(50, 40, counts);
    g.Paint(canvas);
    EXPECT_FALSE(g.Dirty());
    host.Invalidates = 0;

    // The same values again: no change, no request.
    g.SetBeginColor(g.BeginColor());
    g.SetEndColor(g.EndColor());
    g.SetGradientStyle(g.GradientStyle());
    g.SetSteps(g.Steps());
    g.SetCtl3D(g.Ctl3D());
    g.SetStartAngle(g.StartAngle());
    EXPECT_FALSE(g.Dirty());
    EXPECT_EQ(host.Invalidates, 0);
    EXPECT_EQ(host.Repaints, 0);

    // A paint now only copies the cached image.
    *counts = {};
    g.Paint(canvas);
    EXPECT_EQ(counts->Shapes, 0);
    EXPECT_EQ(counts->Copies, 1);

    // Each different value asks for a later paint, never an immediate one; one render follows.
    g.SetSteps(10);
    g.SetBeginColor(clRed);
    g.SetStartAngle(5);
    EXPECT_TRUE(g.Dirty());
    EXPECT_EQ(host.Invalidates, 3);
    EXPECT_EQ(host.Repaints, 0);
    *counts = {};
    g.Paint(canvas);
    EXPECT_EQ(counts->Shapes, 11);
    EXPECT_EQ(counts->Images, 0); // the image is reused
    EXPECT_FALSE(g.Dirty());
    EXPECT_EQ(canvas.Pixel(0, 0), clRed);
}

TEST(GradientCache, ASizeChangeAloneRendersAgain)
{
    TVyrlGradient g;
    g.SetBounds(0, 0, 30, 30);
    g.SetSteps(2);
    auto counts = std::make_shared<TDrawCounts>();
    TCountingSurface small(30, 30, counts);
    g.Paint(small);
    g.SetBounds(0, 0, 30, 60);
    EXPECT_FALSE(g.Dirty());
    *counts = {};
    TCountingSurface tall(30, 60, counts);
    g.Paint(tall);
    EXPECT_EQ(counts->Shapes, 3);
    EXPECT_EQ(tall.Pixel(0, 59), clAqua);
    EXPECT_EQ(tall.Pixel(0, 0), clNavy);
}

TEST(GradientLimits, NoStepsAndNoHalfExtentPaintTheBeginColourWithoutFailing)
{
    // Steps = 0 would divide by zero: the divisor is taken as 1.
    for (TGradientStyle style : {gsHorizontal, gsVertical, gsRectangle}) {
        TVyrlGradient g;
        g.SetBounds(0, 0, 20, 10);
        g.SetGradientStyle(style);
        g.SetSteps(0);
        g.SetBeginColor(clRed);
        const TSoftwareSurface s = Render(g);
        EXPECT_EQ(s.Pixel(10, 5), clRed) << int(style);
    }
    // A centre style one pixel across has a half extent of 0.
    TVyrlGradient v;
    v.SetBounds(0, 0, 20, 1);
    v.SetGradientStyle(gsVertCenter);
    v.SetBeginColor(clRed);
    EXPECT_EQ(RowColor(Render(v), 0), clRed);
    TVyrlGradient h;
    h.SetBounds(0, 0, 1, 20);
    h.SetGradientStyle(gsHorizCenter);
    h.SetBeginColor(clRed);
    EXPECT_EQ(ColumnColor(Render(h), 0), clRed);
}

TEST(GradientLimits, NegativeStepsAndUnknownStylesPaintNoBandsButStillTheFrame)
{
    TVyrlGradient g;
    g.SetBounds(0, 0, 20, 10);
    g.SetBeginColor(clRed);
    g.SetEndColor(clRed);
    TSoftwareSurface canvas(20, 10);
    g.Paint(canvas);
    g.SetSteps(-1);
    g.SetCtl3D(true);
    g.SetBeginColor(clBlue);
    g.Paint(canvas);
    // The bands of the last render stay; the frame is drawn over them.
    EXPECT_EQ(canvas.Pixel(10, 5), clRed);
    EXPECT_EQ(canvas.Pixel(0, 0), clGray);

    g.SetSteps(4);
    g.SetGradientStyle(static_cast<TGradientStyle>(9));
    g.Paint(canvas);
    EXPECT_EQ(canvas.Pixel(10, 5), clRed);
    EXPECT_EQ(canvas.Pixel(1, 1), clBlack);
}

} // namespace
