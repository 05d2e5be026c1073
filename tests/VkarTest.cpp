// End-to-end tests of the vkar program: each runs the built binary in a
// fresh directory and checks the exact text and exit status of a command.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/TestData.h"
#include "tests/support/VkarSandbox.h"

namespace {

const std::string Usage = "Try 'vkar --help' for more information.\n";

std::string Bytes(size_t count, uint32_t seed)
{
    // A fixed pseudo-random sequence: data that no method can shrink.
    std::string out(count, '\0');
    for (char& c : out) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 23);
    }
    return out;
}

void ExpectStatus(const TVkarResult& r, int status, const std::string& err = "")
{
    EXPECT_FALSE(r.TimedOut);
    EXPECT_EQ(r.Signal, 0);
    EXPECT_EQ(r.Status, status) << "stdout: " << r.Out << "\nstderr: " << r.Err;
    EXPECT_EQ(r.Err, err);
}

std::string AsString(const std::vector<uint8_t>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

// A tree with text short and long (past 64 KiB), code-like bytes, a long
// run, incompressible bytes, an empty file, a read-only file and a nested
// directory; dates fixed, one on an odd second.
void MakeTree(const TVkarSandbox& box)
{
    box.WriteFile("src/big.txt", AsString(MakeText(100000, 5)));
    box.WriteFile("src/code.bin", AsString(MakeBinary(40000)));
    box.WriteFile("src/readme.txt", "The quick brown fox jumps over the lazy dog.\r\n"
                                    "The quick brown fox jumps over the lazy dog.\r\n");
    box.WriteFile("src/run.bin", std::string(20000, 'Z') + std::string(3, '\x94'));
    box.WriteFile("src/deep/er/noise.bin", Bytes(30000, 7));
    box.WriteFile("src/deep/empty", "");
    box.WriteFile("src/locked.txt", "read only\n");
    box.SetLocalTime("src/big.txt", 2005, 5, 5, 5, 5, 4);
    box.SetLocalTime("src/code.bin", 2006, 6, 6, 6, 6, 6);
    box.SetLocalTime("src/readme.txt", 2001, 2, 3, 4, 5, 6);
    box.SetLocalTime("src/run.bin", 1999, 12, 31, 23, 59, 59);
    box.SetLocalTime("src/deep/er/noise.bin", 2020, 7, 15, 12, 0, 0);
    box.SetLocalTime("src/deep/empty", 1980, 1, 1, 0, 0, 0);
    box.SetLocalTime("src/locked.txt", 2010, 6, 30, 18, 30, 44);
    ASSERT_EQ(::chmod(box.Path("src/locked.txt").c_str(), 0444), 0);
}

// Stored size and method of each entry, from the lines of "vkar l".
std::map<std::string, std::pair<std::string, std::string>> ListedEntries(const std::string& listing)
{
    std::map<std::string, std::pair<std::string, std::string>> entries;
    std::istringstream lines(listing);
    std::string line;
    int rules = 0;
    while (std::getline(lines, line)) {
        if (line.rfind("--------", 0) == 0) {
            ++rules;
            continue;
        }
        if (rules != 1)
            continue;
        std::istringstream fields(line);
        std::string size, stored, ratio, method, date, time, attributes, lock, name;
        fields >> size >> stored >> ratio >> method >> date >> time >> attributes >> lock >> name;
        entries[name] = {stored, method};
    }
    return entries;
}

} // namespace

TEST(VkarCommandLine, HelpVersionAndUsageErrors)
{
    TVkarSandbox box;
    TVkarResult help = box.Run({"--help"});
    ExpectStatus(help, 0);
    EXPECT_EQ(help.Out.rfind("Usage: vkar COMMAND [OPTIONS] ARCHIVE [ARGUMENTS]\n", 0), 0u);
    EXPECT_NE(help.Out.find("  -m METHOD    compression method: NON, RLE, LZH, LH5, best (default LZH);\n"
                            "               best keeps the smaller of LH5 and LZH for each file\n"),
              std::string::npos);
    EXPECT_EQ(box.Run({"x", "a.vkar", "--help"}).Out, help.Out);
    TVkarResult version = box.Run({"--version"});
    ExpectStatus(version, 0);
    EXPECT_EQ(version.Out, "vkar 1.0\n");

    struct TRow {
        std::vector<std::string> Args;
        std::string Message;
    };
    const TRow rows[] = {
        {{}, "missing command"},
        {{"z", "a.vkar"}, "unknown command 'z'"},
        {{"l"}, "missing archive name"},
        {{"c", "a.vkar"}, "missing files to add"},
        {{"p", "a.vkar"}, "missing entry name"},
        {{"l", "a.vkar", "b.vkar"}, "too many arguments"},
        {{"t", "-z", "a.vkar"}, "unknown option '-z'"},
        {{"c", "-m", "LH9", "a.vkar", "x"}, "unknown method 'LH9' (one of NON, RLE, LZH, LH5, best)"},
        {{"c", "-m", "CUS", "a.vkar", "x"}, "unknown method 'CUS' (one of NON, RLE, LZH, LH5, best)"},
        {{"c", "-m", "bestx", "a.vkar", "x"}, "unknown method 'bestx' (one of NON, RLE, LZH, LH5, best)"},
        {{"c", "a.vkar", "x", "-m"}, "option -m needs a value"},
        {{"t", "-K", "12x", "a.vkar"}, "bad key '12x' (a 32-bit integer, decimal or 0x hex)"},
        {{"t", "-K", "0x100000000", "a.vkar"}, "bad key '0x100000000' (a 32-bit integer, decimal or 0x hex)"},
        {{"t", "-K", "-2147483649", "a.vkar"}, "bad key '-2147483649' (a 32-bit integer, decimal or 0x hex)"},
        {{"t", "-K", "0x", "a.vkar"}, "bad key '0x' (a 32-bit integer, decimal or 0x hex)"},
        {{"l", "-K", "1", "a.vkar"}, "option -K does not apply to command 'l'"},
        // -k keeps old files, which only x writes; a key is -K.
        {{"c", "-k", "1", "a.vkar", "x"}, "option -k does not apply to command 'c'"},
        {{"x", "-k1", "a.vkar"}, "unknown option '-k1'"},
        {{"t", "--absolute", "a.vkar"}, "option --absolute does not apply to command 't'"},
        {{"x", "-q", "-v", "a.vkar"}, "options -q and -v exclude each other"},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.Message);
        const TVkarResult r = box.Run(row.Args);
        ExpectStatus(r, 2, "vkar: " + row.Message + "\n" + Usage);
        EXPECT_EQ(r.Out, "");
    }
    // Keys at both ends of the range are accepted (the archive is missing).
    for (const char* key : {"-2147483648", "4294967295", "0xFFFFFFFF", "-0x10"})
        EXPECT_EQ(box.Run({"t", "-K", key, "none.vkar"}).Status, 1) << key;
}

TEST(VkarRoundTrip, TreeRestoredWithDatesAndAttributes)
{
    for (const char* method : {"NON", "RLE", "LZH", "LH5", "best"}) {
        for (const char* key : {"0", "-7", "0xCAFEF00D"}) {
            SCOPED_TRACE(std::string(method) + " key " + key);
            TVkarSandbox box;
            MakeTree(box);
            const TVkarResult c = box.Run({"c", "-m", method, "-K", key, "a.vkar", "src"});
            ExpectStatus(c, 0);
            EXPECT_EQ(c.Out, "src/big.txt\nsrc/code.bin\nsrc/deep/empty\nsrc/deep/er/noise.bin\nsrc/locked.txt\n"
                             "src/readme.txt\nsrc/run.bin\n");
            const TVkarResult t = box.Run({"t", "-K", key, "a.vkar"});
            ExpectStatus(t, 0);
            EXPECT_EQ(t.Out, "src/big.txt  OK\nsrc/code.bin  OK\nsrc/deep/empty  OK\nsrc/deep/er/noise.bin  OK\n"
                             "src/locked.txt  OK\nsrc/readme.txt  OK\nsrc/run.bin  OK\n");
            const TVkarResult x = box.Run({"x", "-q", "-K", key, "-C", "out/inner", "a.vkar"});
            ExpectStatus(x, 0);
            EXPECT_EQ(x.Out, "");

            const std::vector<std::string> files = VkarListFiles(box.Path("src"));
            ASSERT_EQ(files.size(), 7u);
            ASSERT_EQ(VkarListFiles(box.Path("out/inner/src")), files);
            for (const std::string& file : files) {
                SCOPED_TRACE(file);
                const std::string from = box.Path("src/" + file), to = box.Path("out/inner/src/" + file);
                EXPECT_TRUE(box.ReadFile("src/" + file) == box.ReadFile("out/inner/src/" + file));
                const int64_t mtime = VkarModifiedTime(from);
                EXPECT_EQ(VkarModifiedTime(to), mtime - mtime % 2);
                EXPECT_EQ(VkarIsWritable(to), file != "locked.txt");
            }
        }
    }
}

TEST(VkarCreate, BestKeepsTheSmallerMethod)
{
    TVkarSandbox box;
    box.WriteFile("b/hello.txt", "hello hello hello world\n"); // too short for LH5's block header
    box.WriteFile("b/text.txt", AsString(MakeText(60000, 9)));
    box.WriteFile("b/runs.bin", AsString(MakeRuns(50000)));
    box.WriteFile("b/noise.bin", Bytes(5000, 4));
    box.WriteFile("b/empty", "");
    ExpectStatus(box.Run({"c", "-q", "-m", "BeSt", "best.vkar", "b"}), 0);
    ExpectStatus(box.Run({"c", "-q", "-m", "LH5", "lh5.vkar", "b"}), 0);
    ExpectStatus(box.Run({"c", "-q", "-m", "LZH", "lzh.vkar", "b"}), 0);
    const TVkarResult l = box.Run({"l", "best.vkar"});
    ExpectStatus(l, 0);
    EXPECT_NE(l.Out.find("\nHeader identifier: LH5\n"), std::string::npos) << l.Out;
    auto best = ListedEntries(l.Out);
    auto lh5 = ListedEntries(box.Run({"l", "lh5.vkar"}).Out), lzh = ListedEntries(box.Run({"l", "lzh.vkar"}).Out);

    const std::map<std::string, std::string> chosen = {
        {"b/empty", "NON"}, {"b/hello.txt", "LZH"}, {"b/noise.bin", "NON"}, {"b/runs.bin", "LH5"}, {"b/text.txt", "LH5"}};
    ASSERT_EQ(best.size(), chosen.size()) << l.Out;
    for (const auto& [name, method] : chosen) {
        SCOPED_TRACE(name);
        EXPECT_EQ(best[name].second, method);
        // The entry is as small as the winning method makes it on its own.
        if (method != "NON") {
            EXPECT_EQ(best[name].first, (method == "LH5" ? lh5 : lzh)[name].first);
        }
    }
    EXPECT_LT(std::stoi(lh5["b/text.txt"].first), std::stoi(lzh["b/text.txt"].first));
    EXPECT_EQ(box.Run({"p", "best.vkar", "b/hello.txt"}).Out, "hello hello hello world\n");
}

TEST(VkarRoundTrip, NamesRelativeToBaseDirectory)
{
    TVkarSandbox box;
    MakeTree(box);
    // The archive lies inside the tree it is made of: it is not added to
    // itself, whether it exists before or not.
    for (int pass = 0; pass < 2; ++pass) {
        const TVkarResult c = box.Run({"c", "-m", "RLE", "-C", "src/deep", "src/deep/self.vkar", ".", "./er//noise.bin"});
        ExpectStatus(c, 0, pass == 0 ? "" : "vkar: self.vkar: Is the archive itself; not stored\n");
        EXPECT_EQ(c.Out, "empty\ner/noise.bin\n");
    }
    const TVkarResult x = box.Run({"x", "-v", "-C", "out", "src/deep/self.vkar"});
    ExpectStatus(x, 0);
    EXPECT_EQ(x.Out, "empty -> out/empty\ner/noise.bin -> out/er/noise.bin\n");
    EXPECT_EQ(box.ReadFile("out/er/noise.bin"), Bytes(30000, 7));

    // Without -C, names are relative to the current directory.
    ExpectStatus(box.Run({"c", "-q", "b.vkar", "src/readme.txt"}), 0);
    const TVkarResult x2 = box.Run({"x", "b.vkar"});
    ExpectStatus(x2, 0);
    EXPECT_EQ(x2.Out, "src/readme.txt\n");
}

TEST(VkarCreate, RefusedPathsLeaveNoArchive)
{
    TVkarSandbox box;
    MakeTree(box);
    struct TRow {
        std::vector<std::string> Args;
        int Status;
        std::string Err;
    };
    const std::string relative = "Path must be relative and stay below the base directory (see -C)";
    const TRow rows[] = {
        {{"c", "a.vkar", "src", "missing.txt"}, 1, "vkar: missing.txt: No such file or directory\n"},
        {{"c", "a.vkar", box.Path("src")}, 2, "vkar: " + box.Path("src") + ": " + relative + "\n"},
        {{"c", "a.vkar", "src/../src"}, 2, "vkar: src/../src: " + relative + "\n"},
        {{"c", "-C", "src", "a.vkar", ".."}, 2, "vkar: ..: " + relative + "\n"},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.Err);
        ExpectStatus(box.Run(row.Args), row.Status, row.Err);
        EXPECT_FALSE(box.Exists("a.vkar"));
    }
    ExpectStatus(box.Run({"c", "no/such/dir/a.vkar", "src"}), 1,
                 "vkar: no/such/dir/a.vkar: Cannot create the archive: No such file or directory\n");
}

TEST(VkarList, GoldenOutput)
{
    TVkarSandbox box;
    box.WriteFile("README.TXT", "abcdefgh");
    box.WriteFile("data/AAAA.BIN", std::string(10000, 'A'));
    box.WriteFile("data/noise.bin", Bytes(1000, 3));
    box.SetLocalTime("README.TXT", 2001, 2, 3, 4, 5, 6);
    box.SetLocalTime("data/AAAA.BIN", 1999, 12, 31, 23, 59, 58);
    box.SetLocalTime("data/noise.bin", 2024, 2, 29, 7, 8, 9);
    ASSERT_EQ(::chmod(box.Path("README.TXT").c_str(), 0444), 0);
    ExpectStatus(box.Run({"c", "-q", "-m", "RLE", "a.vkar", "README.TXT", "data"}), 0);
    ExpectStatus(box.Run({"c", "-q", "-m", "RLE", "-K", "99", "k.vkar", "README.TXT"}), 0);

    const TVkarResult l = box.Run({"l", "a.vkar"});
    ExpectStatus(l, 0);
    EXPECT_EQ(l.Out, "    Size   Stored  Ratio Method Date       Time     Attr Lock Name\n"
                     "-------- -------- ------ ------ ---------- -------- ---- ---- ----\n"
                     "       8        8 100.0% RLE    2001-02-03 04:05:06 R--A no   README.TXT\n"
                     "   10000      120   1.2% RLE    1999-12-31 23:59:58 ---A no   data/AAAA.BIN\n"
                     "    1000     1000 100.0% NON    2024-02-29 07:08:08 ---A no   data/noise.bin\n"
                     "-------- -------- ------ ------ ---------- -------- ---- ---- ----\n"
                     "   11008     1128  10.2%                                      3 files\n"
                     "Header identifier: RLE\n");
    const TVkarResult lv = box.Run({"l", "-v", "k.vkar"});
    ExpectStatus(lv, 0);
    // Locked: the checksum is the byte sum (0x324) plus the key (99).
    EXPECT_EQ(lv.Out, "    Size   Stored  Ratio Method Date       Time     Attr Lock Checksum     Offset Name\n"
                      "-------- -------- ------ ------ ---------- -------- ---- ---- -------- ---------- ----\n"
                      "       8        8 100.0% RLE    2001-02-03 04:05:06 R--A yes  00000387         21 README.TXT\n"
                      "-------- -------- ------ ------ ---------- -------- ---- ---- -------- ---------- ----\n"
                      "       8        8 100.0%                                                          1 file\n"
                      "Header identifier: RLE\n"
                      "Header total size: 8, lock mode: 2\n");
    const TVkarResult lq = box.Run({"l", "-q", "a.vkar"});
    ExpectStatus(lq, 0);
    EXPECT_EQ(lq.Out, "   11008     1128  10.2%                                      3 files\n"
                      "Header identifier: RLE\n");

    // Too short for a header: no archive at all, not an empty one.
    box.WriteFile("short.vkar", "VKAR");
    const TVkarResult empty = box.Run({"l", "short.vkar"});
    ExpectStatus(empty, 1, "vkar: short.vkar: not a VKAR archive\n");
    EXPECT_EQ(empty.Out, "");
}

TEST(VkarTest, DamagedArchivesReportTheEntry)
{
    TVkarSandbox box;
    box.WriteFile("a.txt", "first file\n");
    box.WriteFile("b.bin", Bytes(20000, 11));
    box.WriteFile("c.txt", std::string(5000, 'c'));
    // Stored, so that the damage and the cut land at known offsets.
    ExpectStatus(box.Run({"c", "-q", "-m", "NON", "good.vkar", "a.txt", "b.bin", "c.txt"}), 0);
    const std::string good = box.ReadFile("good.vkar");
    const std::string bad = "Bad checksum during expansion -- data may be invalid";

    // The data of a.txt begins after the header, the record and the name.
    std::string flipped = good;
    flipped[21 + 25 + 5 + 3] ^= 0x20;
    box.WriteFile("flipped.vkar", flipped);
    // t stops where x stops.
    TVkarResult t = box.Run({"t", "flipped.vkar"});
    ExpectStatus(t, 1, "vkar: a.txt: " + bad + "\n");
    EXPECT_EQ(t.Out, "");
    t = box.Run({"x", "-C", "out", "flipped.vkar"});
    ExpectStatus(t, 1, "vkar: a.txt: " + bad + "\n");
    EXPECT_FALSE(box.Exists("out/b.bin"));
    const TVkarResult p = box.Run({"p", "flipped.vkar", "a.txt"});
    ExpectStatus(p, 1, "vkar: a.txt: " + bad + "\n");
    // Checked before a byte is written.
    EXPECT_EQ(p.Out, "");

    // Cut inside the stored data of the middle entry: refused before it is decoded.
    box.WriteFile("cut.vkar", good.substr(0, 21 + 25 + 5 + 11 + 25 + 5 + 10000));
    t = box.Run({"t", "cut.vkar"});
    ExpectStatus(t, 1, "vkar: cut.vkar: Archive is truncated\n");
    EXPECT_EQ(t.Out, "a.txt  OK\n");

    // Cut at a record boundary: every entry present decodes, but the
    // archive is short of its total, and each command says so.
    box.WriteFile("short.vkar", good.substr(0, 21 + 25 + 5 + 11 + 10));
    ExpectStatus(box.Run({"t", "-q", "short.vkar"}), 1, "vkar: short.vkar: Archive is truncated\n");
    ExpectStatus(box.Run({"l", "-q", "short.vkar"}), 1, "vkar: short.vkar: Archive is truncated\n");
    ExpectStatus(box.Run({"x", "-q", "-C", "short", "short.vkar"}), 1, "vkar: short.vkar: Archive is truncated\n");
    EXPECT_EQ(box.ReadFile("short/a.txt"), "first file\n");

    struct TRow {
        std::string Bytes;
        std::string Message;
    };
    std::string magic = good, type = good, lower = good;
    magic[3] = 'Q';
    type[12] = 2;
    lower.replace(5, 3, "lzh");
    const TRow rows[] = {
        {magic, "Can't recognize compressed file header"},
        {type, "Archive type must be caMulti"},
        {lower, "Unrecognized compression method: \"lzh\" in header"},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.Message);
        box.WriteFile("damaged.vkar", row.Bytes);
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"l", "damaged.vkar"}, std::vector<std::string>{"t", "damaged.vkar"},
              std::vector<std::string>{"x", "-C", "out2", "damaged.vkar"}}) {
            const TVkarResult r = box.Run(args);
            ExpectStatus(r, 1, "vkar: damaged.vkar: " + row.Message + "\n");
            EXPECT_EQ(r.Out, "");
        }
        EXPECT_FALSE(box.Exists("out2"));
    }
}

TEST(VkarLocked, KeyRequiredToExpand)
{
    TVkarSandbox box;
    box.WriteFile("secret.txt", "four zero bytes follow: " + std::string(4, '\0') + std::string(3000, 's'));
    ExpectStatus(box.Run({"c", "-q", "-m", "NON", "-K", "0x12345678", "k.vkar", "secret.txt"}), 0);
    // Stored data is XORed with the key's bytes, least significant first:
    // the four zero bytes at offset 24 of the file show the key.
    const std::string archive = box.ReadFile("k.vkar");
    ASSERT_GT(archive.size(), 21u + 25u + 10u + 28u);
    EXPECT_EQ(archive.substr(21 + 25 + 10 + 24, 4), "\x78\x56\x34\x12");
    EXPECT_EQ(archive.find("four zero"), std::string::npos);
    const std::string locked = "vkar: secret.txt: File locked -- valid key required\n";
    for (const char* key : {"0", "5", "0x12345679"}) {
        SCOPED_TRACE(key);
        TVkarResult t = box.Run({"t", "-K", key, "k.vkar"});
        ExpectStatus(t, 1, locked);
        t = box.Run({"x", "-K", key, "-C", "out", "k.vkar"});
        ExpectStatus(t, 1, locked);
        // The engine removes a file it could not unlock.
        EXPECT_FALSE(box.Exists("out/secret.txt"));
        ExpectStatus(box.Run({"p", "-K", key, "k.vkar", "secret.txt"}), 1, locked);
    }
    // A key written as unsigned is the same key written as signed.
    ExpectStatus(box.Run({"t", "-K", "305419896", "k.vkar"}), 0);
    ExpectStatus(box.Run({"x", "-K", "0x12345678", "-C", "out", "k.vkar"}), 0);
    EXPECT_EQ(box.ReadFile("out/secret.txt"), box.ReadFile("secret.txt"));
    ExpectStatus(box.Run({"c", "-q", "-K", "-1", "n.vkar", "secret.txt"}), 0);
    ExpectStatus(box.Run({"t", "-K", "0xFFFFFFFF", "n.vkar"}), 0);
}

TEST(VkarExtract, NamedEntriesIgnoreCase)
{
    TVkarSandbox box;
    box.WriteFile("Dir/File.TXT", "selected\n");
    box.WriteFile("Dir/other.txt", "not selected\n");
    box.WriteFile("top.txt", "top\n");
    ExpectStatus(box.Run({"c", "-q", "-C", "Dir", "a.vkar", "."}), 0);
    ExpectStatus(box.Run({"c", "-q", "b.vkar", "Dir", "top.txt"}), 0);

    TVkarResult x = box.Run({"x", "-C", "out", "b.vkar", "dir/file.txt", "TOP.TXT"});
    ExpectStatus(x, 0);
    EXPECT_EQ(x.Out, "Dir/File.TXT\ntop.txt\n");
    EXPECT_EQ(VkarListFiles(box.Path("out")), (std::vector<std::string>{"Dir/File.TXT", "top.txt"}));
    x = box.Run({"x", "-C", "out2", "a.vkar", "FILE.txt", "missing.txt"});
    ExpectStatus(x, 1, "vkar: missing.txt: Not found in archive\n");
    EXPECT_EQ(VkarListFiles(box.Path("out2")), std::vector<std::string>{"File.TXT"});

    const TVkarResult p = box.Run({"p", "b.vkar", "DIR\\OTHER.TXT"});
    ExpectStatus(p, 0);
    EXPECT_EQ(p.Out, "not selected\n");
    ExpectStatus(box.Run({"p", "b.vkar", "other.txt"}), 1, "vkar: other.txt: Not found in archive\n");
}

TEST(VkarExtract, UnsafeNamesRefused)
{
    TVkarSandbox box;
    const TVkarRawEntry good{"good.txt", "good\n"};
    for (const std::string& name : {std::string("..\\evil.txt"), std::string("sub\\..\\..\\evil.txt")}) {
        SCOPED_TRACE(name);
        box.WriteFile("dots.vkar", VkarRawArchive({good, TVkarRawEntry{name, "evil\n"}}));
        const TVkarResult x = box.Run({"x", "-C", "out", "dots.vkar"});
        ExpectStatus(x, 1, "vkar: dots.vkar: Unsafe path in archive: " + name + "\n");
        EXPECT_EQ(x.Out, "good.txt\n");
        EXPECT_EQ(box.ReadFile("out/good.txt"), "good\n");
        EXPECT_FALSE(box.Exists("evil.txt"));
        ExpectStatus(box.Run({"x", "--absolute", "-C", "out", "dots.vkar"}), 1,
                     "vkar: dots.vkar: Unsafe path in archive: " + name + "\n");
        EXPECT_FALSE(box.Exists("evil.txt"));
    }

    // A leading "\" names a path outside the target; so does a leading "/"
    // when there is no target directory.
    std::string absolute = box.Path("abs.txt");
    for (char& c : absolute)
        if (c == '/')
            c = '\\';
    box.WriteFile("abs.vkar", VkarRawArchive({good, TVkarRawEntry{absolute, "abs\n"}}));
    box.WriteFile("slash.vkar", VkarRawArchive({TVkarRawEntry{box.Path("slash.txt"), "abs\n"}}));
    for (const std::vector<std::string>& args : {std::vector<std::string>{"x", "-C", "in", "abs.vkar"},
                                                 std::vector<std::string>{"x", "abs.vkar", absolute}}) {
        const TVkarResult x = box.Run(args);
        ExpectStatus(x, 1, "vkar: abs.vkar: Unsafe path in archive: " + absolute + "\n");
        EXPECT_FALSE(box.Exists("abs.txt"));
    }
    EXPECT_EQ(box.ReadFile("in/good.txt"), "good\n");
    // The message names the entry as stored, "\" between levels.
    ExpectStatus(box.Run({"x", "slash.vkar"}), 1,
                 "vkar: slash.vkar: Unsafe path in archive: " + absolute.substr(0, absolute.size() - 7) + "slash.txt\n");
    EXPECT_FALSE(box.Exists("slash.txt"));

    const TVkarResult x = box.Run({"x", "--absolute", "-C", "in", "abs.vkar"});
    ExpectStatus(x, 0);
    EXPECT_EQ(box.ReadFile("abs.txt"), "abs\n");
}

TEST(VkarPrint, WritesExpandedBytesUnchanged)
{
    TVkarSandbox box;
    const std::string binary = std::string("\0\x1A\r\n\xFF", 5) + Bytes(20000, 5) + std::string(9000, '\0');
    box.WriteFile("bin/data.bin", binary);
    for (const char* method : {"NON", "RLE", "LZH", "LH5", "best"}) {
        ExpectStatus(box.Run({"c", "-q", "-m", method, "a.vkar", "bin"}), 0);
        const TVkarResult p = box.Run({"p", "a.vkar", "bin/data.bin"});
        ExpectStatus(p, 0);
        EXPECT_TRUE(p.Out == binary) << method;
    }
}

TEST(VkarRobustness, DamagedInputsEndWithAStatus)
{
    TVkarSandbox box;
    box.WriteFile("t/a.txt", std::string(300, 'a') + "tail");
    box.WriteFile("t/b.txt", "The quick brown fox jumps over the lazy dog. The quick brown dog.");
    ExpectStatus(box.Run({"c", "-q", "-m", "LZH", "a.vkar", "t"}), 0);
    ExpectStatus(box.Run({"c", "-q", "-m", "RLE", "r.vkar", "t"}), 0);

    std::vector<std::string> inputs;
    for (const char* archive : {"a.vkar", "r.vkar"}) {
        const std::string good = box.ReadFile(archive);
        for (size_t length = 0; length < good.size(); length += 5)
            inputs.push_back(good.substr(0, length));
        for (size_t at = 0; at < good.size(); at += 3) {
            std::string damaged = good;
            damaged[at] = static_cast<char>(damaged[at] ^ (0x55 + at));
            inputs.push_back(damaged);
        }
    }
    // Records no writer makes: a stored size that leads back to its own
    // record, a negative expanded size, methods without a codec, an empty
    // name (the target directory itself), a negative name length.
    inputs.push_back(VkarRawArchive({TVkarRawEntry{"a", "abc", 0, 3, -26}}));
    inputs.push_back(VkarRawArchive({TVkarRawEntry{"a", "abc", 2, -5, 3}}));
    inputs.push_back(VkarRawArchive({TVkarRawEntry{"a", "abc", 9}, TVkarRawEntry{"b", "abc", 3}}));
    inputs.push_back(VkarRawArchive({TVkarRawEntry{"", "abc"}}));
    inputs.push_back(VkarRawHeader("NON", 10) + std::string("\xFF\xFF", 2) + std::string(40, 'x'));

    int failures = 0;
    for (size_t i = 0; i < inputs.size(); ++i) {
        box.WriteFile("in.vkar", inputs[i]);
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"l", "in.vkar"}, std::vector<std::string>{"t", "in.vkar"},
              std::vector<std::string>{"x", "-q", "-C", "out", "in.vkar"}}) {
            const TVkarResult r = box.Run(args);
            const bool ended = !r.TimedOut && r.Signal == 0 && (r.Status == 0 || r.Status == 1);
            EXPECT_TRUE(ended) << "input " << i << " command " << args[0] << " status " << r.Status << " signal "
                               << r.Signal << "\n" << r.Err;
            // A failure always says why; success prints no error.
            if (ended) {
                EXPECT_EQ(r.Status == 1, r.Err.rfind("vkar: ", 0) == 0) << "input " << i << " " << r.Err;
            }
            failures += r.Status == 1;
        }
    }
    EXPECT_GT(failures, 0);
}

TEST(VkarProgress, ShownOnlyOnATerminal)
{
    TVkarSandbox box;
    box.WriteFile("big.bin", Bytes(40000, 9));
    ExpectStatus(box.Run({"c", "-q", "-m", "NON", "a.vkar", "big.bin"}), 0);
    const TVkarResult onTerminal = box.Run({"t", "a.vkar"}, true);
    EXPECT_EQ(onTerminal.Status, 0);
    EXPECT_EQ(onTerminal.Out, "big.bin  OK\n");
    EXPECT_NE(onTerminal.Err.find("\rbig.bin  0%"), std::string::npos) << onTerminal.Err;
    EXPECT_NE(onTerminal.Err.find("\rbig.bin  40%"), std::string::npos) << onTerminal.Err;
    EXPECT_NE(onTerminal.Err.find("\rbig.bin  100%"), std::string::npos) << onTerminal.Err;
    // Erased again before the entry's line.
    EXPECT_EQ(onTerminal.Err.substr(onTerminal.Err.size() - 1), "\r");
    ExpectStatus(box.Run({"t", "-q", "a.vkar"}, true), 0);
    ExpectStatus(box.Run({"t", "a.vkar"}), 0);
}

namespace {

// The names in Work(), hidden ones included: what a command left behind.
std::vector<std::string> WorkNames(const TVkarSandbox& box)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(box.Work()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// a.vk holding f.txt ("f\n"), stored.
void MakeSmallArchive(const TVkarSandbox& box)
{
    box.WriteFile("f.txt", "f\n");
    ExpectStatus(box.Run({"c", "-q", "-m", "NON", "a.vk", "f.txt"}), 0);
}

// pad.vk: f.txt coded with LZH, its data followed by zeros that its stored
// size counts, then g.txt. The decoder stops before the zeros.
void MakePaddedArchive(const TVkarSandbox& box)
{
    box.WriteFile("f.txt", std::string(3000, 'f'));
    box.WriteFile("g.txt", "g\n");
    ExpectStatus(box.Run({"c", "-q", "-m", "LZH", "pad.vk", "f.txt", "g.txt"}), 0);
    box.WriteFile("pad.vk", VkarPadFirstEntry(box.ReadFile("pad.vk"), 40000));
}

// Standard output held a whole archive of f.txt.
void ExpectArchiveOfF(const TVkarSandbox& box, const TVkarResult& r)
{
    box.WriteFile("got.vk", r.Out);
    const TVkarResult p = box.Run({"p", "got.vk", "f.txt"});
    ExpectStatus(p, 0);
    EXPECT_EQ(p.Out, "f\n");
}

} // namespace

// What vkar does to files it did not make, what it reads and writes through
// "-", what t promises about x, and what c leaves out: each row a command in
// a fresh directory, with its exact output, status and what is left.
TEST(VkarSafety, CommandsNeverDestroyWhatTheyDidNotMake)
{
    using TSetup = std::function<void(const TVkarSandbox&, TVkarRunSettings&)>;
    using TCheck = std::function<void(const TVkarSandbox&, const TVkarResult&)>;
    struct TRow {
        std::string What;
        bool Unprivileged;
        TSetup Setup;
        std::vector<std::string> Args;
        int Status;
        const char* Out; // nullptr: Check looks at it
        std::string Err;
        TCheck Check;
    };
    const std::string notRegular = "Not a regular file; an archive goes to a regular file or to - (standard output)";
    const TRow rows[] = {
        {"a failed c leaves the old archive and no new file", true,
         [](const TVkarSandbox& box, TVkarRunSettings&) {
             box.WriteFile("good.vk", "old archive");
             box.WriteFile("dir/a.txt", "a");
             box.WriteFile("dir/b.txt", "b");
             ASSERT_EQ(::chmod(box.Path("dir/b.txt").c_str(), 0), 0);
         },
         {"c", "good.vk", "dir"}, 1, "dir/a.txt\n",
         "vkar: dir/b.txt: Cannot open file \"dir/b.txt\". Permission denied\n",
         [](const TVkarSandbox& box, const TVkarResult&) {
             EXPECT_EQ(box.ReadFile("good.vk"), "old archive");
             EXPECT_EQ(WorkNames(box), (std::vector<std::string>{"dir", "good.vk"}));
         }},
        {"c may not replace a read-only archive of the user's", true,
         [](const TVkarSandbox& box, TVkarRunSettings&) {
             box.WriteFile("ro.vk", "old archive");
             box.WriteFile("f.txt", "f\n");
             ASSERT_EQ(::chmod(box.Path("ro.vk").c_str(), 0444), 0);
         },
         {"c", "ro.vk", "f.txt"}, 1, "", "vkar: ro.vk: Cannot replace the archive: Permission denied\n",
         [](const TVkarSandbox& box, const TVkarResult&) {
             EXPECT_EQ(box.ReadFile("ro.vk"), "old archive");
             EXPECT_EQ(WorkNames(box), (std::vector<std::string>{"f.txt", "ro.vk"}));
         }},
        {"c through a link replaces the link's target and keeps the link", false,
         [](const TVkarSandbox& box, TVkarRunSettings&) {
             box.WriteFile("real.vk", "old archive");
             box.WriteFile("f.txt", "f\n");
             std::filesystem::create_symlink("real.vk", box.Path("link.vk"));
         },
         {"c", "-m", "NON", "link.vk", "f.txt"}, 0, "f.txt\n", "",
         [](const TVkarSandbox& box, const TVkarResult&) {
             EXPECT_TRUE(std::filesystem::is_symlink(box.Path("link.vk")));
             EXPECT_EQ(box.Run({"p", "real.vk", "f.txt"}).Out, "f\n");
         }},
        {"c refuses a pipe as the archive", false,
         [](const TVkarSandbox& box, TVkarRunSettings&) {
             box.WriteFile("f.txt", "f\n");
             ASSERT_EQ(::mkfifo(box.Path("pipe.vk").c_str(), 0666), 0);
         },
         {"c", "pipe.vk", "f.txt"}, 1, "", "vkar: pipe.vk: " + notRegular + "\n",
         [](const TVkarSandbox& box, const TVkarResult&) {
             EXPECT_TRUE(std::filesystem::is_fifo(box.Path("pipe.vk")));
         }},
        {"c refuses a directory as the archive", false,
         [](const TVkarSandbox& box, TVkarRunSettings&) {
             box.WriteFile("f.txt", "f\n");
             box.WriteFile("d.vk/inside", "kept");
         },
         {"c", "d.vk", "f.txt"}, 1, "", "vkar: d.vk: Is a directory\n",
         [](const TVkarSandbox& box, const TVkarResult&) { EXPECT_EQ(box.ReadFile("d.vk/inside"), "kept"); }},
        {"c - writes the archive to standard output and lists on standard error", false,
         [](const TVkarSandbox& box, TVkarRunSettings&) { box.WriteFile("f.txt", "f\n"); },
         {"c", "-m", "NON", "-", "f.txt"}, 0, nullptr, "f.txt\n", ExpectArchiveOfF},
        {"c to the file standard output writes lists on standard error", false,
         [](const TVkarSandbox& box, TVkarRunSettings&) { box.WriteFile("f.txt", "f\n"); },
         {"c", "-m", "NON", "/proc/self/fd/1", "f.txt"}, 0, nullptr, "f.txt\n", ExpectArchiveOfF},
        {"c skips the archive itself, named as an operand", false,
         [](const TVkarSandbox& box, TVkarRunSettings&) { MakeSmallArchive(box); },
         {"c", "-m", "NON", "a.vk", "a.vk", "f.txt"}, 0, "f.txt\n", "vkar: a.vk: Is the archive itself; not stored\n",
         [](const TVkarSandbox& box, const TVkarResult&) { EXPECT_EQ(box.Run({"p", "a.vk", "f.txt"}).Out, "f\n"); }},
        {"c stores only what x accepts, names what it leaves out, and says so by its status", false,
         [](const TVkarSandbox& box, TVkarRunSettings&) {
             box.WriteFile("src/...", "dots");
             box.WriteFile("src/a\\b", "backslash");
             box.WriteFile("src/esc\x1b[2Jx", "escape");
             box.WriteFile("src/ok.txt", "ok");
             std::filesystem::create_directory(box.Path("src/empty"));
         },
         {"c", "-m", "NON", "s.vk", "src"}, 1, "src/ok.txt\n",
         "vkar: src/...: Name that x would refuse; not stored\n"
         "vkar: src/a\\b: Name holds \"\\\"; not stored\n"
         "vkar: src/empty: Empty directory not stored (the archive holds no directories)\n"
         "vkar: src/esc?[2Jx: Name that x would refuse; not stored\n",
         [](const TVkarSandbox& box, const TVkarResult&) {
             const TVkarResult x = box.Run({"x", "-C", "o", "s.vk"});
             ExpectStatus(x, 0);
             EXPECT_EQ(x.Out, "src/ok.txt\n");
         }},
        {"l - reads standard input from a pipe", false,
         [](const TVkarSandbox& box, TVkarRunSettings& run) {
             MakeSmallArchive(box);
             run.StdinFromPipe = true;
             run.StdinBytes = box.ReadFile("a.vk");
         },
         {"l", "-q", "-"}, 0,
         "       2        2 100.0%                                      1 file\nHeader identifier: NON\n", "", nullptr},
        {"x - reads standard input from a file, below a one-letter directory", false,
         [](const TVkarSandbox& box, TVkarRunSettings& run) {
             MakeSmallArchive(box);
             run.StdinFile = "a.vk";
         },
         {"x", "-C", "o", "-"}, 0, "f.txt\n", "",
         [](const TVkarSandbox& box, const TVkarResult&) { EXPECT_EQ(box.ReadFile("o/f.txt"), "f\n"); }},
        {"x replaces a link at the target instead of writing through it", false,
         [](const TVkarSandbox& box, TVkarRunSettings&) {
             MakeSmallArchive(box);
             box.WriteFile("outside.txt", "precious");
             std::filesystem::create_directory(box.Path("o"));
             std::filesystem::create_symlink("../outside.txt", box.Path("o/f.txt"));
         },
         {"x", "-C", "o", "a.vk"}, 0, "f.txt\n", "",
         [](const TVkarSandbox& box, const TVkarResult&) {
             EXPECT_EQ(box.ReadFile("outside.txt"), "precious");
             EXPECT_FALSE(std::filesystem::is_symlink(box.Path("o/f.txt")));
             EXPECT_EQ(box.ReadFile("o/f.txt"), "f\n");
         }},
        {"x -k keeps an existing file and names it", false,
         [](const TVkarSandbox& box, TVkarRunSettings&) {
             MakeSmallArchive(box);
             box.WriteFile("o/f.txt", "mine");
         },
         {"x", "-k", "-C", "o", "a.vk"}, 0, "", "vkar: f.txt: Exists; kept\n",
         [](const TVkarSandbox& box, const TVkarResult&) { EXPECT_EQ(box.ReadFile("o/f.txt"), "mine"); }},
        {"x never writes over the archive it reads", false,
         [](const TVkarSandbox& box, TVkarRunSettings&) {
             box.WriteFile("sub/a.vk", "payload");
             ExpectStatus(box.Run({"c", "-q", "-m", "NON", "-C", "sub", "a.vk", "a.vk"}), 0);
         },
         {"x", "a.vk"}, 1, "", "vkar: a.vk: Is the archive being read; not expanded\n",
         [](const TVkarSandbox& box, const TVkarResult&) {
             EXPECT_EQ(box.Run({"p", "a.vk", "a.vk"}).Out, "payload");
         }},
        // Each record is found where the one before says its data ends, as l
        // finds it, whatever the decoder left of that data.
        {"t takes padded entry data as l does", false,
         [](const TVkarSandbox& box, TVkarRunSettings&) { MakePaddedArchive(box); },
         {"t", "pad.vk"}, 0, "f.txt  OK\ng.txt  OK\n", "", nullptr},
        {"x takes padded entry data as t does", false,
         [](const TVkarSandbox& box, TVkarRunSettings&) { MakePaddedArchive(box); },
         {"x", "-C", "o", "pad.vk"}, 0, "f.txt\ng.txt\n", "",
         [](const TVkarSandbox& box, const TVkarResult&) { EXPECT_EQ(box.ReadFile("o/g.txt"), "g\n"); }},
        {"a file too short for a header is no archive", false,
         [](const TVkarSandbox& box, TVkarRunSettings&) { box.WriteFile("s.vk", std::string("VKAR\x1ANON", 8) + std::string(12, '\0')); },
         {"t", "s.vk"}, 1, "", "vkar: s.vk: not a VKAR archive\n", nullptr},
        {"control characters show as ?, UTF-8 stays", false,
         [](const TVkarSandbox& box, TVkarRunSettings&) {
             box.WriteFile("e\x1b.vk", VkarRawArchive({TVkarRawEntry{"\xc3\xa9\x1b[2J\\..\\x", "x"}}));
         },
         {"x", "-C", "o", "e\x1b.vk"}, 1, "", "vkar: e?.vk: Unsafe path in archive: \xc3\xa9?[2J\\..\\x\n",
         [](const TVkarSandbox& box, const TVkarResult&) { EXPECT_FALSE(box.Exists("o")); }},
    };
    const bool canDrop = VkarCanRunUnprivileged();
    int skipped = 0;
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.What);
        if (row.Unprivileged && !canDrop) {
            ++skipped;
            continue;
        }
        TVkarSandbox box;
        TVkarRunSettings settings;
        settings.Unprivileged = row.Unprivileged;
        row.Setup(box, settings);
        const TVkarResult r = box.Run(row.Args, settings);
        ExpectStatus(r, row.Status, row.Err);
        if (row.Out != nullptr) {
            EXPECT_EQ(r.Out, row.Out);
        }
        if (row.Check)
            row.Check(box, r);
    }
    if (skipped > 0)
        GTEST_SKIP() << skipped << " rows need a user without root's rights, and this one cannot become one";
}

#endif
