// Names converted and compared as Windows does: a round trip through each code
// page, exact forms only, and case folded per UTF-16 unit, never per byte.
#include <gtest/gtest.h>

#include "platform/CodePage.h"

namespace {

struct TNameRow {
    const char* Utf8;
    unsigned CodePage;
    const char* Ansi; // nullptr: the code page cannot hold the name
};

const TNameRow NameRows[] = {
    {"readme.txt", cpWestern, "readme.txt"},
    {"Z\xC3\xA4rn.txt", cpWestern, "Z\xE4rn.txt"},                 // Zärn.txt
    {"\xE2\x82\xAC rates.txt", cpWestern, "\x80 rates.txt"},        // the euro sign
    {"\xC5\x81ukasz", cpWestern, nullptr},                          // Łukasz: no best fit to "L"
    {"\xE5\xBC\xA0\xE4\xBC\x9F", cpWestern, nullptr},              // 张伟
    {"\xE3\x82\xBD\xE3\x83\x95\xE3\x83\x88", cpJapanese, "\x83\x5C\x83\x74\x83\x67"}, // ソフト
    {"\xE3\x82\xA2", cpJapanese, "\x83\x41"},                       // ア, second byte 'A'
    {"\xC3\xA4", cpJapanese, nullptr},                              // ä is not in 932
};

TEST(CodePageTest, NamesConvertExactlyOrNotAtAll)
{
    for (const TNameRow& row : NameRows) {
        SCOPED_TRACE(row.Utf8);
        const std::u16string wide = Utf8ToUtf16(row.Utf8);
        EXPECT_EQ(Utf16ToUtf8(wide), row.Utf8);
        std::string ansi = "untouched";
        const bool held = Utf16ToAnsi(wide, row.CodePage, ansi);
        ASSERT_EQ(held, row.Ansi != nullptr);
        if (!held) {
            EXPECT_EQ(ansi, "untouched");
            continue;
        }
        EXPECT_EQ(ansi, row.Ansi);
        EXPECT_EQ(AnsiToUtf16(ansi, row.CodePage), wide);
    }
}

TEST(CodePageTest, EveryByteOf1252MapsAndComesBack)
{
    for (int b = 1; b < 256; ++b) {
        const std::string one(1, char(b));
        const std::u16string wide = AnsiToUtf16(one, cpWestern);
        ASSERT_EQ(wide.size(), 1u);
        std::string back;
        ASSERT_TRUE(Utf16ToAnsi(wide, cpWestern, back)) << b;
        EXPECT_EQ(back, one);
    }
}

TEST(CodePageTest, InvalidInputIsRefused)
{
    for (const char* bad : {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "ab\xC3", "\x80"})
        EXPECT_THROW(Utf8ToUtf16(bad), EConvertError) << bad;
    EXPECT_THROW(AnsiToUtf16("\x83", cpJapanese), EConvertError); // a lead byte alone
    EXPECT_EQ(Utf16ToUtf8(u"\xD800x"), "\xEF\xBF\xBDx");
    EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\x80"), u"\xD83D\xDE00");
}

TEST(CodePageTest, CaseIsFoldedPerCharacterNotPerByte)
{
    EXPECT_TRUE(SameAnsiTextIgnoringCase("ZARN\xC4.TXT", "zarn\xE4.txt", cpWestern)); // Ä and ä
    EXPECT_TRUE(SameAnsiTextIgnoringCase("\x8A", "\x9A", cpWestern));                 // Š and š
    EXPECT_FALSE(SameAnsiTextIgnoringCase("a\xDF", "ass", cpWestern));                // ß stays itself
    // ア (83 41) and ャ (83 61): byte-wise folding would call them one name.
    EXPECT_FALSE(SameAnsiTextIgnoringCase("\x83\x41", "\x83\x61", cpJapanese));
    EXPECT_TRUE(SameAnsiTextIgnoringCase("\x83\x41x", "\x83\x41X", cpJapanese));
    EXPECT_TRUE(SameAnsiTextIgnoringCase("\x83", "\x83", cpJapanese));   // invalid: equal only to itself
    EXPECT_FALSE(SameAnsiTextIgnoringCase("\x83", "\x84", cpJapanese));
    const std::u16string upper = Utf8ToUtf16("\xC5\x81\xC3\x93\xC5\xB9 \xD0\x96 \xCE\xA3"); // ŁÓŹ Ж Σ
    const std::u16string lower = Utf8ToUtf16("\xC5\x82\xC3\xB3\xC5\xBA \xD0\xB6 \xCF\x82"); // łóź ж ς
    EXPECT_TRUE(SameTextIgnoringCase(upper, lower));
    EXPECT_FALSE(SameTextIgnoringCase(u"abc", u"abcd"));
    for (char16_t u = 0; u < 0xFFFF; ++u)
        ASSERT_EQ(UpperCaseUnit(UpperCaseUnit(u)), UpperCaseUnit(u)) << int(u);
}

} // namespace
