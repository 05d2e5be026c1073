// The software surface draws with the conventions the controls rely on:
// rectangles without their right and bottom edges, shapes with swapped edges
// put in order, pie slices counter-clockwise on the screen, and one-line text
// in the fixed test font. (Lines, copies and resizing are checked through the
// controls that use them.)
#include <gtest/gtest.h>

#include "platform/SoftwareSurface.h"

namespace {

// How many pixels of the surface have the colour.
int Count(const TDrawingSurface& s, TColor color)
{
    int n = 0;
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x)
            n += s.Pixel(x, y) == color;
    return n;
}

TEST(SoftwareSurface, RectanglesLeaveOutTheirRightAndBottomEdgesAndTakeSwappedEdges)
{
    TSoftwareSurface s(10, 8);
    EXPECT_EQ(Count(s, clWhite), 80); // a new image is white
    s.FillRect({2, 1, 5, 4}, clRed);
    EXPECT_EQ(Count(s, clRed), 9);
    EXPECT_EQ(s.Pixel(2, 1), clRed);
    EXPECT_EQ(s.Pixel(4, 3), clRed);
    EXPECT_EQ(s.Pixel(5, 3), clWhite);
    EXPECT_EQ(s.Pixel(4, 4), clWhite);

    // Edges given the wrong way round fill the same pixels as in order.
    s.FillRect({5, 4, 2, 1}, clBlue);
    EXPECT_EQ(Count(s, clBlue), 9);
    EXPECT_EQ(Count(s, clRed), 0);

    // Parts outside the image are cut off; empty rectangles fill nothing.
    s.FillRect({-5, 6, 100, 100}, clGreen);
    EXPECT_EQ(Count(s, clGreen), 20);
    s.FillRect({3, 3, 3, 7}, clBlack);
    EXPECT_EQ(Count(s, clBlack), 0);

    // System colours are resolved; the pixel holds plain RGB.
    s.FillRect({0, 0, 1, 1}, clBtnFace);
    EXPECT_EQ(s.Pixel(0, 0), 0xC0C0C0u);
    EXPECT_EQ(s.Pixel(-1, 0), 0u);
}

TEST(SoftwareSurface, EllipsesFillTheInscribedShapeAndOutlineInsideTheRectangle)
{
    TSoftwareSurface s(20, 12);
    s.Ellipse({2, 1, 18, 11}, clRed, std::nullopt);
    // Centre and the middles of the sides inside; corners outside; nothing beyond the rectangle.
    EXPECT_EQ(s.Pixel(10, 6), clRed);
    EXPECT_EQ(s.Pixel(2, 5), clRed);
    EXPECT_EQ(s.Pixel(17, 5), clRed);
    EXPECT_EQ(s.Pixel(9, 1), clRed);
    EXPECT_EQ(s.Pixel(9, 10), clRed);
    EXPECT_EQ(s.Pixel(2, 1), clWhite);
    EXPECT_EQ(s.Pixel(17, 10), clWhite);
    for (int y = 0; y < 12; ++y) {
        EXPECT_EQ(s.Pixel(1, y), clWhite);
        EXPECT_EQ(s.Pixel(18, y), clWhite);
        // Symmetric about both centre lines.
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(s.Pixel(x, y), s.Pixel(19 - x, y)) << x << "," << y;
    }

    TSoftwareSurface o(20, 12);
    o.FillRect({0, 0, 20, 12}, clGreen);
    o.Ellipse({18, 11, 2, 1}, clWhite, clBlack); // swapped edges, outlined
    EXPECT_EQ(o.Pixel(10, 6), clWhite);
    EXPECT_EQ(o.Pixel(2, 5), clBlack);
    EXPECT_EQ(o.Pixel(17, 5), clBlack);
    EXPECT_EQ(o.Pixel(9, 1), clBlack);
    EXPECT_EQ(o.Pixel(9, 10), clBlack);
    EXPECT_EQ(o.Pixel(3, 5), clWhite);
    // Outline and fill together cover exactly the unoutlined ellipse.
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 20; ++x)
            EXPECT_EQ(s.Pixel(x, y) == clRed, o.Pixel(x, y) != clGreen) << x << "," << y;
}

TEST(SoftwareSurface, PieSlicesRunCounterClockwiseOnTheScreen)
{
    // From three o'clock counter-clockwise to twelve o'clock: the upper right quarter.
    TSoftwareSurface s(20, 20);
    s.Pie({0, 0, 20, 20}, {20, 10}, {10, 0}, clRed, std::nullopt);
    EXPECT_EQ(s.Pixel(15, 5), clRed);
    EXPECT_EQ(s.Pixel(4, 5), clWhite);
    EXPECT_EQ(s.Pixel(15, 14), clWhite);
    EXPECT_EQ(s.Pixel(4, 14), clWhite);
    const int quarter = Count(s, clRed);

    // The other way round it is the remaining three quarters.
    TSoftwareSurface t(20, 20);
    t.Pie({0, 0, 20, 20}, {10, 0}, {20, 10}, clRed, std::nullopt);
    EXPECT_EQ(t.Pixel(15, 5), clWhite);
    EXPECT_EQ(t.Pixel(4, 5), clRed);
    EXPECT_EQ(t.Pixel(15, 14), clRed);
    TSoftwareSurface whole(20, 20);
    whole.Ellipse({0, 0, 20, 20}, clRed, std::nullopt);
    EXPECT_GT(quarter, 60);
    EXPECT_NEAR(quarter + Count(t, clRed), Count(whole, clRed), 20); // the radials are shared

    // Radials that point the same way give the whole ellipse; opposite ones half of it.
    TSoftwareSurface same(20, 20);
    same.Pie({0, 0, 20, 20}, {10, 0}, {10, -5}, clRed, std::nullopt);
    EXPECT_EQ(Count(same, clRed), Count(whole, clRed));
    TSoftwareSurface half(20, 20);
    half.Pie({0, 0, 20, 20}, {10, 0}, {10, 20}, clRed, std::nullopt); // top, through the left, to the bottom
    EXPECT_EQ(half.Pixel(4, 10), clRed);
    EXPECT_EQ(half.Pixel(15, 10), clWhite);
}

TEST(SoftwareSurface, TextUsesTheFixedFontWithPrefixesAndTabs)
{
    TSoftwareSurface s(60, 13);
    const TFont font;
    EXPECT_EQ(s.TextExtent(font, "C:\\ab", 0).Width, 6 + 3 + 4 + 6 + 6);
    EXPECT_EQ(s.TextExtent(font, "C:\\ab", 0).Height, TestFontHeight);
    // "&&" is one ampersand, "&x" an underlined x, a closing "&" nothing; without the flag all are drawn.
    EXPECT_EQ(s.TextExtent(font, "a&&b&c&", tfPrefix).Width, 6 * 4);
    EXPECT_EQ(s.TextExtent(font, "a&&b&c&", 0).Width, 6 * 7);
    EXPECT_EQ(s.TextExtent(font, "a\tb", tfExpandTabs).Width, 48 + 6);
    EXPECT_EQ(s.TextExtent(font, "a\tb", 0).Width, 12);

    TFont red = font;
    red.Color = clRed;
    s.TextOut(red, {2, 0}, "a&b", {0, 0, 60, 13}, tfPrefix);
    EXPECT_EQ(s.Pixel(2, 2), clRed);    // a's ink
    EXPECT_EQ(s.Pixel(7, 2), clWhite);  // the gap column of a's cell
    EXPECT_EQ(s.Pixel(8, 10), clRed);   // b right after a: the "&" takes no room
    EXPECT_EQ(s.Pixel(8, 11), clWhite);
    EXPECT_EQ(s.Pixel(2, 12), clWhite); // a is not underlined
    EXPECT_EQ(s.Pixel(8, 12), clRed);   // b is
    EXPECT_EQ(s.Pixel(13, 12), clRed);
    EXPECT_EQ(s.Pixel(14, 12), clWhite);

    // Text is clipped to its rectangle.
    TSoftwareSurface c(60, 13);
    c.TextOut(red, {0, 0}, "xxxx", {3, 0, 14, 13}, 0);
    EXPECT_EQ(c.Pixel(2, 5), clWhite);
    EXPECT_EQ(c.Pixel(3, 5), clRed);
    EXPECT_EQ(c.Pixel(13, 5), clRed);
    EXPECT_EQ(c.Pixel(14, 5), clWhite);
}

} // namespace
