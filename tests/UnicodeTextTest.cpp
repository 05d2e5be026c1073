// Names in several scripts at the edge between UTF-8 inside and the ANSI
// code page outside: the text file writer keeps ANSI bytes while they hold
// every line and turns to UTF-8 otherwise, the reader takes either back to
// the same lines, and the path rules never take a name for its best-fit
// spelling.
#include <gtest/gtest.h>

#include "installer/PathCompare.h"
#include "installer/WindowsPath.h"
#include "platform/CodePage.h"
#include "platform/TextFile.h"
#include "tests/support/MemoryFileSystem.h"

namespace {

struct TScriptRow {
    const char* Name;   // UTF-8
    const char* Lower;  // the same name in other case, or nullptr for a script without case
    const char* BestFit; // what an ANSI call of code page 1252 would make of it, or nullptr
    bool InWestern;     // code page 1252 holds it
    bool InJapanese;    // code page 932 holds it
};

const TScriptRow Scripts[] = {
    {"ZarnFTP", "zarnftp", nullptr, true, true},
    {"Z\xC3\x84RN", "z\xC3\xA4rn", nullptr, true, false},                              // ZÄRN
    {"\xC5\x81ukasz", "\xC5\x82UKASZ", "Lukasz", false, false},                         // Łukasz
    {"Zarn \xC5\x81\xC3\x93" "D\xC5\xB9", "zarn \xC5\x82\xC3\xB3" "d\xC5\xBA", "Zarn LODZ", false, false}, // ŁÓDŹ
    {"\xCE\xA3\xCF\x8D\xCE\xBD\xCE\xBF\xCF\x88\xCE\xB7", "\xCF\x83\xCF\x8D\xCE\xBD\xCE\xBF\xCF\x88\xCE\xB7", nullptr,
     false, false},                                                                     // Σύνοψη (932 has no accents)
    {"\xD0\x94\xD0\xBC\xD0\xB8\xD1\x82\xD1\x80\xD0\xB8\xD0\xB9", "\xD0\xB4\xD0\xBC\xD0\xB8\xD1\x82\xD1\x80\xD0\xB8\xD0\xB9",
     nullptr, false, true},                                                             // Дмитрий
    {"\xE5\xBC\xA0\xE4\xBC\x9F", nullptr, nullptr, false, false},                      // 张伟 (伟 is simplified)
    {"\xE3\x82\xBD\xE3\x83\x95\xE3\x83\x88", nullptr, nullptr, false, true},           // ソフト, 5C as a second byte
    {"\xF0\x9F\x93\x81 files", nullptr, nullptr, false, false},                        // a folder emoji: surrogates
};

// What a TTextFile of codePage leaves on disk for lines.
std::string Written(const std::vector<std::string>& lines, unsigned codePage, bool* utf8 = nullptr)
{
    TMemoryFileSystem disk;
    TTextFile file;
    file.Rewrite(disk, "/log.txt", codePage);
    for (const std::string& line : lines)
        file.WriteLine(line);
    if (utf8 != nullptr)
        *utf8 = file.IsUtf8();
    file.Close();
    const std::vector<uint8_t> bytes = disk.Contents("/log.txt");
    return std::string(bytes.begin(), bytes.end());
}

TEST(UnicodeText, TheLogIsAnsiWhileEveryLineFitsAndUtf8OtherwiseAndReadsBackAlike)
{
    for (const unsigned codePage : {cpWestern, cpJapanese})
        for (const TScriptRow& row : Scripts) {
            SCOPED_TRACE(std::string(row.Name) + " in " + std::to_string(codePage));
            const bool fits = codePage == cpWestern ? row.InWestern : row.InJapanese;
            const std::vector<std::string> lines = {"*** Install started: 09.03.2024 14:05:07", "AppName: ZarnFTP",
                                                    std::string("Copy: C:\\") + row.Name + "\\ZarnFTP.exe",
                                                    "*** Install Completed: 09.03.2024 14:06:30"};
            bool utf8 = false;
            const std::string bytes = Written(lines, codePage, &utf8);
            EXPECT_EQ(utf8, !fits);
            std::string expected;
            for (const std::string& line : lines) {
                std::string ansi;
                if (fits) {
                    ASSERT_TRUE(Utf8ToAnsi(line, codePage, ansi));
                }
                expected += (fits ? ansi : line) + "\r\n";
            }
            EXPECT_EQ(bytes, fits ? expected : Utf8ByteOrderMark + expected);
            std::string back;
            for (const std::string& line : lines)
                back += line + "\r\n";
            EXPECT_EQ(TextOfFileBytes(bytes, codePage), back);
        }
}

TEST(UnicodeText, ALineThatDoesNotFitRewritesTheWholeFileAndAnAsciiFileIsUnchanged)
{
    // The first lines were on disk as ANSI already; they come back as UTF-8.
    const std::string bytes = Written({"Copy: C:\\Z\xC3\xA4rn", "Copy: C:\\\xC5\x81ukasz", "Copy: C:\\x"}, cpWestern);
    EXPECT_EQ(bytes, "\xEF\xBB\xBF" "Copy: C:\\Z\xC3\xA4rn\r\nCopy: C:\\\xC5\x81ukasz\r\nCopy: C:\\x\r\n");
    EXPECT_EQ(Written({"Copy: C:\\Z\xC3\xA4rn", "AppName: ZarnFTP"}, cpWestern), "Copy: C:\\Z\xE4rn\r\nAppName: ZarnFTP\r\n");

    // The reader refuses what the writer never writes.
    EXPECT_THROW(TextOfFileBytes("\xEF\xBB\xBF" "Copy: \xE4", cpWestern), EConvertError); // a BOM, then ANSI
    EXPECT_THROW(TextOfFileBytes("Copy: \x83", cpJapanese), EConvertError);                // a lead byte alone
    EXPECT_EQ(TextOfFileBytes("Copy: \x83\x41", cpJapanese), "Copy: \xE3\x82\xA2");
}

TEST(UnicodeText, PathRulesTakeNamesInEveryScriptAndNeverTheirBestFit)
{
    for (const TScriptRow& row : Scripts) {
        SCOPED_TRACE(row.Name);
        const std::string dir = std::string("C:\\Programy\\") + row.Name;
        const auto resolved = ResolveWindowsPath(dir + "\\.\\sub\\..\\ZarnFTP.exe");
        ASSERT_TRUE(resolved.has_value());
        EXPECT_EQ(resolved->Text(), dir + "\\ZarnFTP.exe");
        EXPECT_TRUE(resolved->IsBelow(*ResolveWindowsPath(dir)));
        EXPECT_TRUE(IsPlainName(row.Name));
        EXPECT_TRUE(SamePath(dir, "c:/PROGRAMY/" + std::string(row.Name)));
        EXPECT_EQ(DirectoryOfPath(dir + "\\x"), dir + "\\");
        if (row.Lower != nullptr) {
            EXPECT_TRUE(SamePath(dir, std::string("C:\\Programy\\") + row.Lower));
            EXPECT_TRUE(ResolveWindowsPath(std::string("C:\\Programy\\") + row.Lower + "\\a")->IsBelow(resolved->Parent()));
        }
        if (row.BestFit != nullptr) {
            EXPECT_FALSE(SamePath(dir, std::string("C:\\Programy\\") + row.BestFit));
            EXPECT_FALSE(ResolveWindowsPath(std::string("C:\\Programy\\") + row.BestFit)->Same(*ResolveWindowsPath(dir)));
        }
    }
}

} // namespace
