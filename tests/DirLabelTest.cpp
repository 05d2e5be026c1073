// TDirLabel on the software surface with the fixed test font: shortening to
// the width, restoring the full path on a width change, disabled and prefixed
// drawing, and captions that cannot be shortened or are too long to draw.
#include <gtest/gtest.h>

#include "platform/CodePage.h"

#include "controls/DirLabel.h"
#include "platform/SoftwareSurface.h"
#include "tests/support/RecordingControlHost.h"

namespace {

const std::string DefaultPath = "C:\\Program Files\\ZarnFTP";

int TextWidth(const std::string& text)
{
    TSoftwareSurface s(1, 1);
    return s.TextExtent(TFont(), text, tfPrefix).Width;
}

TSoftwareSurface Paint(TDirLabel& label)
{
    TSoftwareSurface canvas(label.Width(), label.Height());
    label.Paint(canvas);
    return canvas;
}

TEST(DirLabelShorten, ShortensToNFollowTheWorkedExamples)
{
    // 24 characters, the last component 7: n = 24 changes nothing, n = 23 cuts the tail at a backslash.
    EXPECT_EQ(ShortenPathTo(DefaultPath, 24), DefaultPath);
    EXPECT_EQ(ShortenPathTo(DefaultPath, 23), "C:\\...\\ZarnFTP");
    EXPECT_EQ(ShortenPath(DefaultPath), "C:\\...\\ZarnFTP");
    // A tail longer than the last component keeps whole directory names.
    EXPECT_EQ(ShortenPathTo("C:\\Program Files\\Common Files\\ZarnFTP", 30), "C:\\...\\Common Files\\ZarnFTP");
    // A first attempt of the same length moves on to the next n, which loses dir2.
    EXPECT_EQ(ShortenPathTo("C:\\...\\dir2\\dir3\\name", 20), "C:\\...\\dir2\\dir3\\name");
    EXPECT_EQ(ShortenPath("C:\\...\\dir2\\dir3\\name"), "C:\\...\\dir3\\name");
    // A long last component lengthens the text once; that form is then stable.
    EXPECT_EQ(ShortenPath("C:\\averylongfilename"), "C:\\...\\averylongfilename");
    EXPECT_EQ(ShortenPath("C:\\...\\averylongfilename"), "C:\\...\\averylongfilename");
    // 18 characters or fewer are never shortened.
    EXPECT_EQ(ShortenPath("C:\\abcdefgh\\ijklmn"), "C:\\abcdefgh\\ijklmn");
    EXPECT_EQ(ShortenPathTo("C:\\abcdefgh\\ijklmnopq", 18), "C:\\abcdefgh\\ijklmnopq");
    // Without a backslash the text comes back as it is instead of growing.
    EXPECT_EQ(ShortenPath("abcdefghijklmnopqrstuvwxyz"), "abcdefghijklmnopqrstuvwxyz");
    // Lengths are in characters, not bytes: the same cuts as in ASCII, none
    // inside a character.
    EXPECT_EQ(ShortenPathTo("C:\\Programy\\Zarn LODZ\\Lodz", 22), "C:\\...\\Zarn LODZ\\Lodz");
    EXPECT_EQ(ShortenPathTo("C:\\Programy\\Zarn \u0141\u00D3D\u0179\\\u0141\u00F3d\u017A", 22),
              "C:\\...\\Zarn \u0141\u00D3D\u0179\\\u0141\u00F3d\u017A");
    for (size_t n = 19; n < 40; ++n) {
        const std::string shortened = ShortenPathTo("C:\\\xE5\xBC\xA0\xE4\xBC\x9F\\\xE5\xBC\xA0\xE4\xBC\x9F\xE5\xBC\xA0\xE4\xBC\x9F\xE5\xBC\xA0\\"
                                                    "\xE5\xBC\xA0\xE4\xBC\x9F\xE5\xBC\xA0\xE4\xBC\x9F\xE5\xBC\xA0\xE4\xBC\x9F.txt", n);
        EXPECT_NO_THROW(Utf8ToUtf16(shortened)) << n;
    }
}

TEST(DirLabelShorten, PaintShortensOnlyWhenThePathDoesNotFit)
{
    TRecordingControlHost host;
    TDirLabel label;
    EXPECT_EQ(label.Width(), 65);
    EXPECT_EQ(label.Height(), 17);
    label.SetHost(&host);
    label.SetDirName(DefaultPath);
    EXPECT_EQ(label.Caption(), DefaultPath);
    EXPECT_EQ(host.Invalidates, 1);

    // One pixel to spare is enough.
    label.SetBounds(12, 21, TextWidth(DefaultPath) + 1, 13);
    Paint(label);
    EXPECT_EQ(label.Caption(), DefaultPath);

    // One pixel less and the caption is shortened, once, asking for another paint.
    label.SetBounds(12, 21, TextWidth(DefaultPath), 13);
    host.Invalidates = 0;
    Paint(label);
    EXPECT_EQ(label.Caption(), "C:\\...\\ZarnFTP");
    EXPECT_EQ(label.DirName(), DefaultPath);
    EXPECT_EQ(host.Invalidates, 1);
    // That paint finds it fitting and only draws.
    Paint(label);
    EXPECT_EQ(host.Invalidates, 1);

    // Setting the same DirName keeps the shortened caption.
    label.SetDirName(DefaultPath);
    EXPECT_EQ(label.Caption(), "C:\\...\\ZarnFTP");

    // A new height alone keeps it; a new width puts the full path back for the next paint.
    label.SetBounds(12, 21, TextWidth(DefaultPath), 20);
    EXPECT_EQ(label.Caption(), "C:\\...\\ZarnFTP");
    label.SetBounds(12, 21, 195, 13);
    EXPECT_EQ(label.Caption(), DefaultPath);
    Paint(label);
    EXPECT_EQ(label.Caption(), DefaultPath);
}

TEST(DirLabelShorten, SeveralRoundsUntilItFitsOrCannotShrink)
{
    TDirLabel label;
    const std::string deep = "C:\\Program Files\\Common Files\\Zarn\\Sites\\Backup";
    label.SetDirName(deep);
    // Each round may drop several directories: 47 characters, then 37, then 24.
    label.SetBounds(0, 0, TextWidth("C:\\...\\Zarn\\Sites\\Backup") + 1, 13);
    Paint(label);
    EXPECT_EQ(label.Caption(), "C:\\...\\Zarn\\Sites\\Backup");

    // Far too narrow: the shortest form (19 characters, which only n = 19 could change), drawn clipped.
    label.SetBounds(0, 0, 20, 13);
    Paint(label);
    EXPECT_EQ(label.Caption(), "C:\\...\\Sites\\Backup");
    EXPECT_EQ(label.DirName(), deep);

    // A short path is left as it is however narrow the label.
    label.SetDirName("C:\\abcdefgh\\ijklmn");
    Paint(label);
    EXPECT_EQ(label.Caption(), "C:\\abcdefgh\\ijklmn");
}

TEST(DirLabelShorten, ACaptionWithoutBackslashStaysWholeAndClipped)
{
    TDirLabel label;
    const std::string name = "averylongcaptionwithoutanybackslash";
    label.SetDirName(name);
    label.SetBounds(0, 0, 50, 13);
    const TSoftwareSurface s = Paint(label); // ends: the text is not lengthened over and over
    EXPECT_EQ(label.Caption(), name);
    // Drawn from its start, up to the label's edge.
    EXPECT_EQ(s.Pixel(0, 5), clBlack);
    EXPECT_EQ(s.Pixel(48, 5), clBlack); // ink of g, the ninth glyph
}

TEST(DirLabelDrawing, BackgroundTextAndAlignment)
{
    TDirLabel label;
    label.SetDirName("abc");
    label.SetBounds(0, 0, 100, 13);
    TSoftwareSurface s = Paint(label);
    EXPECT_EQ(s.Pixel(0, 0), 0xC0C0C0u); // clBtnFace
    EXPECT_EQ(s.Pixel(0, 2), clBlack);    // clWindowText
    EXPECT_EQ(s.Pixel(17, 5), 0xC0C0C0u);

    label.SetAlignment(taRightJustify);
    s = Paint(label);
    EXPECT_EQ(s.Pixel(81, 5), 0xC0C0C0u);
    EXPECT_EQ(s.Pixel(82, 5), clBlack);
    EXPECT_EQ(s.Pixel(98, 5), clBlack);
    EXPECT_EQ(s.Pixel(99, 5), 0xC0C0C0u);

    label.SetAlignment(taCenter);
    s = Paint(label);
    EXPECT_EQ(s.Pixel(40, 5), 0xC0C0C0u);
    EXPECT_EQ(s.Pixel(41, 5), clBlack);

    // A transparent label leaves what lies beneath it.
    label.SetTransparent(true);
    TSoftwareSurface under(100, 13);
    under.FillRect({0, 0, 100, 13}, clLime);
    label.Paint(under);
    EXPECT_EQ(under.Pixel(0, 0), clLime);
    EXPECT_EQ(under.Pixel(41, 5), clBlack);
}

TEST(DirLabelDrawing, DisabledTextIsEmbossed)
{
    TDirLabel label;
    label.SetDirName("C");
    label.SetBounds(0, 0, 40, 13);
    label.SetEnabled(false);
    const TSoftwareSurface s = Paint(label);
    // Shadow (clBtnShadow) where the glyph is; highlight (clBtnHighlight) one pixel down and right of it.
    EXPECT_EQ(s.Pixel(0, 2), clGray);
    EXPECT_EQ(s.Pixel(4, 10), clGray);
    EXPECT_EQ(s.Pixel(5, 5), clWhite);
    EXPECT_EQ(s.Pixel(3, 11), clWhite);
    EXPECT_EQ(s.Pixel(0, 11), 0xC0C0C0u);
    EXPECT_EQ(s.Pixel(6, 5), 0xC0C0C0u);
}

TEST(DirLabelDrawing, AnAmpersandUnderlinesTheNextCharacter)
{
    TDirLabel label;
    label.SetDirName("C:\\A&B");
    label.SetBounds(0, 0, 60, 13);
    const TSoftwareSurface s = Paint(label);
    EXPECT_EQ(label.Caption(), "C:\\A&B");
    // C, :, \ and A take 6 + 3 + 4 + 6 pixels; B follows at once, underlined.
    EXPECT_EQ(s.Pixel(19, 5), clBlack);
    EXPECT_EQ(s.Pixel(19, 12), clBlack);
    EXPECT_EQ(s.Pixel(24, 12), clBlack);
    EXPECT_EQ(s.Pixel(18, 12), 0xC0C0C0u);
    EXPECT_EQ(s.Pixel(25, 12), 0xC0C0C0u);
    EXPECT_EQ(s.Pixel(25, 5), 0xC0C0C0u); // nothing drawn for the ampersand
}

TEST(DirLabelDrawing, OnlyTheFirst255CharactersAreDrawn)
{
    TDirLabel label;
    label.SetDirName(std::string(300, 'i')); // 3 pixels each, no backslash
    label.SetBounds(0, 0, 1000, 13);
    const TSoftwareSurface s = Paint(label);
    EXPECT_EQ(label.Caption().size(), 300u);
    EXPECT_EQ(s.Pixel(763, 5), clBlack); // the 255th glyph
    EXPECT_EQ(s.Pixel(766, 5), 0xC0C0C0u);
    EXPECT_EQ(s.Pixel(850, 5), 0xC0C0C0u);
}

TEST(DirLabelLoading, AWidthSetWhileLoadingKeepsTheCaption)
{
    TDirLabel label;
    label.SetDirName(DefaultPath);
    label.SetBounds(0, 0, 30, 13);
    Paint(label);
    ASSERT_EQ(label.Caption(), "C:\\...\\ZarnFTP");
    label.BeginLoading();
    label.SetBounds(0, 0, 195, 13);
    label.EndLoading();
    EXPECT_EQ(label.Caption(), "C:\\...\\ZarnFTP");
}

} // namespace
