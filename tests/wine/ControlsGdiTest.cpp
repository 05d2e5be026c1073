// The controls drawn through the GDI surface, checked against the software
// surface: rectangle-based gradients and gauge bars pixel for pixel, ellipses,
// pies and the needle within one pixel at their edges, and the text drawn with
// the platform's own font.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>

#include "controls/DirLabel.h"
#include "controls/ProgressGauge.h"
#include "controls/VyrlGradient.h"
#include "platform/GdiSurface.h"
#include "platform/SoftwareSurface.h"

namespace {

std::unique_ptr<TDrawingSurface> PaintGdi(TGraphicControl& control)
{
    std::unique_ptr<TDrawingSurface> canvas = MakeGdiSurface(control.Width(), control.Height());
    control.Paint(*canvas);
    return canvas;
}

std::unique_ptr<TDrawingSurface> PaintSoftware(TGraphicControl& control)
{
    auto canvas = std::make_unique<TSoftwareSurface>(control.Width(), control.Height());
    control.Paint(*canvas);
    return canvas;
}

// The first pixel where the two images differ, as text; empty when they are equal.
std::string FirstDifference(const TDrawingSurface& a, const TDrawingSurface& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return "sizes differ";
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.Pixel(x, y) != b.Pixel(x, y)) {
                char text[96];
                std::snprintf(text, sizeof text, "(%d, %d): %06X against %06X", x, y, a.Pixel(x, y), b.Pixel(x, y));
                return text;
            }
    return "";
}

bool NearColour(const TDrawingSurface& s, int x, int y, TColor c, int reach)
{
    for (int dy = -reach; dy <= reach; ++dy)
        for (int dx = -reach; dx <= reach; ++dx) {
            const int nx = x + dx, ny = y + dy;
            if (nx >= 0 && ny >= 0 && nx < s.Width() && ny < s.Height() && s.Pixel(nx, ny) == c)
                return true;
        }
    return false;
}

// The pictures agree up to edges shifted by reach pixels: where a pixel differs, one of
// the two pictures has the other's colour that close to it. Returns the first pixel that
// does not, as text; empty when they agree.
std::string FirstBeyond(const TDrawingSurface& a, const TDrawingSurface& b, int reach)
{
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) {
            const TColor ca = a.Pixel(x, y), cb = b.Pixel(x, y);
            if (ca != cb && !NearColour(b, x, y, ca, reach) && !NearColour(a, x, y, cb, reach)) {
                char text[80];
                std::snprintf(text, sizeof text, "(%d, %d): %06X against %06X", x, y, ca, cb);
                return text;
            }
        }
    return "";
}

void ExpectWithin(TGraphicControl& control, int reach, const std::string& what)
{
    const auto gdi = PaintGdi(control);
    const auto soft = PaintSoftware(control);
    EXPECT_EQ(FirstBeyond(*gdi, *soft, reach), "") << what;
}

TEST(ControlsGdiSurface, SystemColoursAndSoftwareImagesArriveAsTheyShould)
{
    // (Fills, lines, copies and the channel order are checked by the exact comparisons below.)
    auto s = MakeGdiSurface(4, 2);
    s->FillRect({0, 0, 1, 1}, clBtnFace);
    EXPECT_EQ(s->Pixel(0, 0), static_cast<TColor>(GetSysColor(COLOR_BTNFACE)));
    TSoftwareSurface soft(2, 1);
    soft.FillRect({0, 0, 1, 1}, 0x0A0B0C);
    s->Draw(2, 1, soft, cmSrcInvert);
    EXPECT_EQ(s->Pixel(2, 1), 0x0A0B0Cu ^ 0xFFFFFFu);
    EXPECT_EQ(s->Pixel(3, 1), 0u); // white over white
    s->SetSize(5, 3);
    EXPECT_EQ(s->Pixel(0, 0), static_cast<TColor>(GetSysColor(COLOR_BTNFACE)));
    EXPECT_EQ(s->Pixel(4, 2), clWhite);
}

TEST(ControlsGdiGradient, RectangleStylesMatchTheSoftwareSurfaceExactly)
{
    TVyrlGradient g;
    g.SetBounds(0, 0, 536, 348);
    g.SetBeginColor(clBlue);
    g.SetEndColor(clBlack);
    g.SetSteps(100);
    auto gdi = PaintGdi(g);
    // The background's bands: band 0 rows 0-2 blue, band 50 blue 128, band 100 black to row 347.
    EXPECT_EQ(gdi->Pixel(300, 2), clBlue);
    EXPECT_EQ(gdi->Pixel(300, 3), RGBColor(0, 0, 253));
    EXPECT_EQ(gdi->Pixel(0, 172), RGBColor(0, 0, 128));
    EXPECT_EQ(gdi->Pixel(535, 174), RGBColor(0, 0, 128));
    EXPECT_EQ(gdi->Pixel(535, 347), clBlack);
    EXPECT_EQ(FirstDifference(*gdi, *PaintSoftware(g)), "");

    for (TGradientStyle style : {gsHorizontal, gsVertical, gsRectangle, gsVertCenter, gsHorizCenter})
        for (bool frame : {false, true}) {
            TVyrlGradient s;
            s.SetBounds(0, 0, 201, 97);
            s.SetGradientStyle(style);
            s.SetBeginColor(RGBColor(200, 10, 0));
            s.SetEndColor(RGBColor(0, 250, 3));
            s.SetSteps(37);
            s.SetCtl3D(frame);
            EXPECT_EQ(FirstDifference(*PaintGdi(s), *PaintSoftware(s)), "") << int(style) << " frame " << frame;
        }

    TVyrlGradient framed;
    framed.SetCtl3D(true);
    gdi = PaintGdi(framed);
    EXPECT_EQ(gdi->Pixel(0, 0), clGray);
    EXPECT_EQ(gdi->Pixel(74, 0), clWhite);
    EXPECT_EQ(gdi->Pixel(1, 1), clBlack);
    EXPECT_EQ(gdi->Pixel(73, 73), clSilver);

    // gsRectangle at 536 wide leaves column 0 as the image held it (white on a new image).
    TVyrlGradient rect;
    rect.SetBounds(0, 0, 536, 40);
    rect.SetGradientStyle(gsRectangle);
    rect.SetBeginColor(clRed);
    gdi = PaintGdi(rect);
    EXPECT_EQ(gdi->Pixel(0, 20), clWhite);
    EXPECT_EQ(gdi->Pixel(1, 20), clRed);
}

TEST(ControlsGdiGradient, EllipticAndRadialStylesAgreeWithinOnePixel)
{
    TVyrlGradient g;
    g.SetBounds(0, 0, 160, 100);
    g.SetBeginColor(clBlack);
    g.SetEndColor(RGBColor(180, 0, 0));
    g.SetGradientStyle(gsElliptic);
    ExpectWithin(g, 1, "elliptic");

    g.SetGradientStyle(gsRadial1);
    g.SetStartAngle(90);
    ExpectWithin(g, 1, "radial 1 from 90 degrees");
    // Begin colour towards three o'clock, nearly the end colour towards nine.
    auto gdi = PaintGdi(g);
    EXPECT_LE(RedOf(gdi->Pixel(159, 50)), 1);
    EXPECT_GE(RedOf(gdi->Pixel(0, 50)), 178);

    g.SetGradientStyle(gsRadial2);
    g.SetStartAngle(0);
    ExpectWithin(g, 1, "radial 2");
}

TEST(ControlsGdiGauge, BarsMatchTheSoftwareSurfaceExactly)
{
    TProgressGauge copy;
    copy.SetBounds(9, 51, 231, 17);
    copy.SetBorderStyle(bsNone);
    copy.SetShowText(false);
    for (int p = 0; p <= 100; ++p) {
        copy.SetProgress(p);
        auto gdi = PaintGdi(copy);
        const int filled = std::min(232 * p / 100, 231);
        if (filled > 0) {
            ASSERT_EQ(gdi->Pixel(filled - 1, 8), clBlack) << p;
        }
        if (filled < 231) {
            ASSERT_EQ(gdi->Pixel(filled, 8), clWhite) << p;
        }
        ASSERT_EQ(FirstDifference(*gdi, *PaintSoftware(copy)), "") << p << "%";
    }

    for (TGaugeKind kind : {gkText, gkHorizontalBar, gkVerticalBar})
        for (TBorderStyle border : {bsNone, bsSingle})
            for (int p : {0, 10, 37, 50, 100}) {
                TProgressGauge g;
                g.SetBounds(0, 0, 40, 25);
                g.SetKind(kind);
                g.SetBorderStyle(border);
                g.SetForeColor(clRed);
                g.SetBackColor(clLime);
                g.SetShowText(false);
                g.SetProgress(p);
                EXPECT_EQ(FirstDifference(*PaintGdi(g), *PaintSoftware(g)), "")
                    << int(kind) << " border " << int(border) << " " << p << "%";
            }
}

TEST(ControlsGdiGauge, PieAndNeedleAgreeAtTheirEdges)
{
    // Odd and even sizes, wide and tall: the centre falls on a pixel or between two.
    for (TSize size : {TSize{61, 41}, TSize{40, 25}, TSize{24, 60}})
        for (TGaugeKind kind : {gkPie, gkNeedle})
            for (TBorderStyle border : {bsNone, bsSingle})
                for (int p = 0; p <= 100; ++p) {
                    TProgressGauge g;
                    g.SetBounds(0, 0, size.Width, size.Height);
                    g.SetKind(kind);
                    g.SetBorderStyle(border);
                    g.SetColor(clBlue);
                    g.SetForeColor(clRed);
                    g.SetBackColor(clLime);
                    g.SetShowText(false);
                    g.SetProgress(p);
                    ExpectWithin(g, 1, std::to_string(size.Width) + "x" + std::to_string(size.Height) + " kind " +
                                           std::to_string(int(kind)) + " border " + std::to_string(int(border)) +
                                           " " + std::to_string(p) + "%");
                }
    // A quarter at 25 %: the upper right only.
    TProgressGauge pie;
    pie.SetBounds(0, 0, 41, 41);
    pie.SetKind(gkPie);
    pie.SetBorderStyle(bsNone);
    pie.SetShowText(false);
    pie.SetProgress(25);
    auto gdi = PaintGdi(pie);
    EXPECT_EQ(gdi->Pixel(30, 10), clBlack);
    EXPECT_EQ(gdi->Pixel(10, 10), clWhite);
    EXPECT_EQ(gdi->Pixel(30, 30), clWhite);
    EXPECT_EQ(gdi->Pixel(10, 30), clWhite);
}

TEST(ControlsGdiGauge, TheTextInvertsExactlyWhereItIsDrawn)
{
    TProgressGauge g;
    g.SetBounds(9, 51, 231, 17);
    g.SetBorderStyle(bsNone);
    g.SetProgress(50);
    auto withText = PaintGdi(g);
    g.SetShowText(false);
    auto plain = PaintGdi(g);
    const TSize extent = withText->TextExtent(g.Font(), "50%", 0);
    ASSERT_GT(extent.Width, 10);
    const int left = (232 - extent.Width) / 2, top = (18 - extent.Height) / 2;
    int overBar = 0, overBackground = 0;
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 231; ++x)
            if (withText->Pixel(x, y) != plain->Pixel(x, y)) {
                EXPECT_EQ(withText->Pixel(x, y), plain->Pixel(x, y) ^ 0xFFFFFFu) << x << "," << y;
                EXPECT_TRUE(x >= left && x < left + extent.Width && y >= top && y < top + extent.Height)
                    << x << "," << y;
                (plain->Pixel(x, y) == clBlack ? overBar : overBackground) += 1;
            }
    // The bar ends at x = 116, inside the text: both colours of text appear.
    EXPECT_GT(overBar, 5);
    EXPECT_GT(overBackground, 5);
}

TEST(ControlsGdiDirLabel, ShortensWithThePlatformFont)
{
    TDirLabel label;
    label.SetDirName("C:\\Program Files\\ZarnFTP");
    label.SetBounds(12, 21, 195, 13);
    auto wide = PaintGdi(label);
    EXPECT_EQ(label.Caption(), "C:\\Program Files\\ZarnFTP");
    const int full = wide->TextExtent(label.Font(), label.Caption(), tfPrefix).Width;
    const int shortened = wide->TextExtent(label.Font(), "C:\\...\\ZarnFTP", tfPrefix).Width;
    ASSERT_LT(shortened, full);

    label.SetBounds(12, 21, shortened + 1, 13);
    auto narrow = PaintGdi(label);
    EXPECT_EQ(label.Caption(), "C:\\...\\ZarnFTP");
    EXPECT_EQ(label.DirName(), "C:\\Program Files\\ZarnFTP");
    // Text in clWindowText over clBtnFace, inside the label.
    const TColor face = GetSysColor(COLOR_BTNFACE), ink = GetSysColor(COLOR_WINDOWTEXT);
    int inked = 0;
    for (int y = 0; y < 13; ++y)
        for (int x = 0; x < narrow->Width(); ++x) {
            const TColor c = narrow->Pixel(x, y);
            EXPECT_TRUE(c == face || c == ink) << x << "," << y;
            inked += c == ink;
        }
    EXPECT_GT(inked, 20);

    // Prefix processing: the ampersand takes no room.
    EXPECT_LT(wide->TextExtent(label.Font(), "A&B", tfPrefix).Width, wide->TextExtent(label.Font(), "A&B", 0).Width);
    EXPECT_EQ(wide->TextExtent(label.Font(), "A&&B", tfPrefix).Width, wide->TextExtent(label.Font(), "A&B", 0).Width);
}

} // namespace
