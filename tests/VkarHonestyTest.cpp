// What vkar says and does with archives and trees that used to lose files or
// report failure as success: one row per case, with its exact output,
// messages and status, and what it leaves on disk.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/VkarSandbox.h"

namespace {

std::string Twice(const std::string& text) { return text + text; }

// Five files of one byte each, stored, with the header's total set to total.
std::string FiveWithTotal(int32_t total)
{
    std::string archive = VkarRawHeader("NON", total);
    for (const char* name : {"1", "2", "3", "4", "5"})
        archive += VkarRawEntry({name, "x"});
    return archive;
}

std::string Locked(const std::string& name)
{
    TVkarRawEntry entry{name, "secret"};
    entry.LockMode = 1;
    entry.Checksum = 5 + 's' + 'e' + 'c' + 'r' + 'e' + 't';
    return VkarRawArchive({entry});
}

std::string WithMethod(uint8_t method)
{
    TVkarRawEntry entry{"m.bin", std::string(4, '\0')};
    entry.Method = method;
    entry.ExpandedSize = 4;
    return VkarRawArchive({entry}, method == 3 ? "CUS" : "NON");
}

std::string DeepName(size_t length)
{
    std::string name;
    while (name.size() + 201 < length)
        name += std::string(200, 'd') + "\\";
    return name + std::string(length - name.size(), 'f');
}

struct TRow {
    const char* What;
    std::function<void(const TVkarSandbox&, TVkarRunSettings&)> Setup;
    std::vector<std::string> Args;
    int Status;
    std::string Out, Err;
    std::function<void(const TVkarSandbox&, const TVkarResult&)> After;
};

TEST(VkarHonesty, EveryEntryAccountedForAndEveryFailureSaid)
{
    const std::string sizes = "Entry sizes do not add up to the archive's total size";
    const std::string locked = "File locked -- valid key required";
    const std::string expandedSize = "Expanded size differs from the entry record -- data may be invalid";
    const auto keepsMine = [](const TVkarSandbox& box, const TVkarResult&) {
        EXPECT_EQ(box.ReadFile("o/s.txt"), "mine");
        EXPECT_EQ(VkarListFiles(box.Path("o")), std::vector<std::string>{"s.txt"});
    };
    const auto writeMine = [](const TVkarSandbox& box) { box.WriteFile("o/s.txt", "mine"); };
    const TRow rows[] = {
        {"x writes empty files after the last one with bytes",
         [](const TVkarSandbox& box, TVkarRunSettings&) {
             box.WriteFile("a.txt", "a");
             box.WriteFile("b.txt", "");
             box.WriteFile("c.txt", "");
             ASSERT_EQ(box.Run({"c", "-q", "e.vk", "a.txt", "b.txt", "c.txt"}).Status, 0);
         },
         {"x", "-C", "o", "e.vk"}, 0, "a.txt\nb.txt\nc.txt\n", "",
         [](const TVkarSandbox& box, const TVkarResult&) {
             EXPECT_EQ(VkarListFiles(box.Path("o")), (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
         }},
        {"an archive of empty files expands to them",
         [](const TVkarSandbox& box, TVkarRunSettings&) {
             box.WriteFile("e.vk", VkarRawArchive({{"e1", ""}, {"e2", ""}}));
         },
         {"x", "-C", "o", "e.vk"}, 0, "e1\ne2\n", "", nullptr},
        {"a total damaged to 1 is refused, not a stop",
         [](const TVkarSandbox& box, TVkarRunSettings&) { box.WriteFile("t.vk", FiveWithTotal(1)); },
         {"x", "-C", "o", "t.vk"}, 1, "1\n", "vkar: t.vk: " + sizes + "\n", nullptr},
        {"t says so too", [](const TVkarSandbox& box, TVkarRunSettings&) { box.WriteFile("t.vk", FiveWithTotal(1)); },
         {"t", "t.vk"}, 1, "1  OK\n", "vkar: t.vk: " + sizes + "\n", nullptr},
        {"a missing key leaves the existing file",
         [&](const TVkarSandbox& box, TVkarRunSettings&) {
             box.WriteFile("k.vk", Locked("s.txt"));
             writeMine(box);
         },
         {"x", "-C", "o", "k.vk"}, 1, "", "vkar: s.txt: " + locked + "\n", keepsMine},
        {"a wrong key leaves the existing file",
         [&](const TVkarSandbox& box, TVkarRunSettings&) {
             box.WriteFile("k.vk", Locked("s.txt"));
             writeMine(box);
         },
         {"x", "-K", "7", "-C", "o", "k.vk"}, 1, "", "vkar: s.txt: " + locked + "\n", keepsMine},
        {"p with a wrong key prints nothing",
         [](const TVkarSandbox& box, TVkarRunSettings&) { box.WriteFile("k.vk", Locked("s.txt")); },
         {"p", "-K", "7", "k.vk", "s.txt"}, 1, "", "vkar: s.txt: " + locked + "\n", nullptr},
        {"method 3 without a handler",
         [](const TVkarSandbox& box, TVkarRunSettings&) { box.WriteFile("m.vk", WithMethod(3)); },
         {"t", "m.vk"}, 1, "", "vkar: m.bin: Unrecognized compression method: \"CUS\" in entry\n", nullptr},
        {"an unknown method",
         [](const TVkarSandbox& box, TVkarRunSettings&) { box.WriteFile("m.vk", WithMethod(9)); },
         {"t", "m.vk"}, 1, "", "vkar: m.bin: Unrecognized compression method: \"#9\" in entry\n", nullptr},
        {"a stored entry short of its record",
         [](const TVkarSandbox& box, TVkarRunSettings&) {
             TVkarRawEntry entry{"short.txt", "12345"};
             entry.ExpandedSize = 10;
             std::string archive = VkarRawHeader("NON", 10) + VkarRawEntry(entry);
             box.WriteFile("s.vk", archive);
         },
         {"t", "s.vk"}, 1, "", "vkar: short.txt: " + expandedSize + "\n", nullptr},
        {"t: a file where a directory must go",
         [](const TVkarSandbox& box, TVkarRunSettings&) {
             box.WriteFile("d.vk", VkarRawArchive({{"a", "1"}, {"a\\b", "2"}}));
         },
         {"t", "d.vk"}, 1, "a  OK\n", "vkar: a/b: Cannot create directory \"a\". File exists\n", nullptr},
        {"x: a file where a directory must go",
         [](const TVkarSandbox& box, TVkarRunSettings&) {
             box.WriteFile("d.vk", VkarRawArchive({{"a", "1"}, {"a\\b", "2"}}));
         },
         {"x", "-C", "o", "d.vk"}, 1, "a\n", "vkar: a/b: Cannot create directory \"o/a\". File exists\n", nullptr},
        {"t: a directory where a file must go",
         [](const TVkarSandbox& box, TVkarRunSettings&) {
             box.WriteFile("d.vk", VkarRawArchive({{"a\\b", "1"}, {"a", "2"}}));
         },
         {"t", "d.vk"}, 1, "a/b  OK\n", "vkar: a: Cannot replace \"a\"\n", nullptr},
        {"x: a directory where a file must go",
         [](const TVkarSandbox& box, TVkarRunSettings&) {
             box.WriteFile("d.vk", VkarRawArchive({{"a\\b", "1"}, {"a", "2"}}));
         },
         {"x", "-C", "o", "d.vk"}, 1, "a/b\n", "vkar: a: Cannot replace \"o/a\"\n", nullptr},
        {"t: an entry \".\"", [](const TVkarSandbox& box, TVkarRunSettings&) { box.WriteFile("d.vk", VkarRawArchive({{".", "1"}})); },
         {"t", "d.vk"}, 1, "", "vkar: .: Cannot replace \".\"\n", nullptr},
        {"x: an entry \".\"", [](const TVkarSandbox& box, TVkarRunSettings&) { box.WriteFile("d.vk", VkarRawArchive({{".", "1"}})); },
         {"x", "-C", "o", "d.vk"}, 1, "", "vkar: .: Cannot replace \"o/.\"\n", nullptr},
        {"t: an entry \"a\\\"", [](const TVkarSandbox& box, TVkarRunSettings&) { box.WriteFile("d.vk", VkarRawArchive({{"a\\", "1"}})); },
         {"t", "d.vk"}, 1, "", "vkar: a/: Cannot replace \"a/\"\n", nullptr},
        {"x: an entry \"a\\\"", [](const TVkarSandbox& box, TVkarRunSettings&) { box.WriteFile("d.vk", VkarRawArchive({{"a\\", "1"}})); },
         {"x", "-C", "o", "d.vk"}, 1, "", "vkar: a/: Cannot replace \"o/a/\"\n", nullptr},
        {"t: a name level of 300 bytes",
         [](const TVkarSandbox& box, TVkarRunSettings&) { box.WriteFile("d.vk", VkarRawArchive({{std::string(300, 'n'), "1"}})); },
         {"t", "d.vk"}, 1, "", "vkar: " + std::string(300, 'n') + ": Cannot replace \"" + std::string(300, 'n') + "\"\n", nullptr},
        {"x: a name level of 300 bytes",
         [](const TVkarSandbox& box, TVkarRunSettings&) { box.WriteFile("d.vk", VkarRawArchive({{std::string(300, 'n'), "1"}})); },
         {"x", "-C", "o", "d.vk"}, 1, "", "vkar: " + std::string(300, 'n') + ": Cannot replace \"o/" + std::string(300, 'n') + "\"\n", nullptr},
        {"l: an archive cut one byte short",
         [](const TVkarSandbox& box, TVkarRunSettings&) {
             const std::string whole = VkarRawArchive({{"a.txt", "abc"}});
             box.WriteFile("c.vk", whole.substr(0, whole.size() - 1));
         },
         {"l", "-q", "c.vk"}, 1, "       0        0      -                                      0 files\nHeader identifier: NON\n",
         "vkar: c.vk: Archive is truncated\n", nullptr},
        {"l: data appended after the archive",
         [](const TVkarSandbox& box, TVkarRunSettings&) {
             box.WriteFile("a.vk", VkarRawArchive({{"a.txt", "abc"}}) + Twice(std::string(20, '\xEE')));
         },
         {"l", "-q", "a.vk"}, 1, "       3        3 100.0%                                      1 file\nHeader identifier: NON\n",
         "vkar: a.vk: Trailing data after the archive\n", nullptr},
        {"t: data appended after the archive",
         [](const TVkarSandbox& box, TVkarRunSettings&) {
             box.WriteFile("a.vk", VkarRawArchive({{"a.txt", "abc"}}) + Twice(std::string(20, '\xEE')));
         },
         {"t", "a.vk"}, 1, "a.txt  OK\n", "vkar: a.vk: Trailing data after the archive\n", nullptr},
        {"l: C1 controls and bidirectional marks show as ?",
         [](const TVkarSandbox& box, TVkarRunSettings&) {
             box.WriteFile("n.vk", VkarRawArchive({{"a\x9b" "b", "1"}, {"\xe2\x80\xaetxt.exe", "2"}, {"\xc2\x9b\xc3\xa9", "3"}}));
         },
         {"t", "n.vk"}, 0, "a?b  OK\n?txt.exe  OK\n?\xc3\xa9  OK\n", "", nullptr},
        {"p takes the last of two entries of one name, as x leaves it",
         [](const TVkarSandbox& box, TVkarRunSettings&) {
             box.WriteFile("d.vk", VkarRawArchive({{"dup.txt", "one"}, {"DUP.TXT", "two"}}));
         },
         {"p", "d.vk", "dup.txt"}, 0, "two", "",
         [](const TVkarSandbox& box, const TVkarResult&) {
             ASSERT_EQ(box.Run({"x", "-q", "-C", "o", "d.vk"}).Status, 0);
             EXPECT_EQ(box.ReadFile("o/DUP.TXT"), "two");
         }},
        {"- from a pipe is checked before it is spooled",
         [](const TVkarSandbox& box, TVkarRunSettings& run) {
             run.StdinFromPipe = true;
             run.StdinBytes = std::string(100, 'z');
             run.Environment = {"TMPDIR=" + box.Path("none")};
         },
         {"l", "-"}, 1, "", "vkar: -: Can't recognize compressed file header\n", nullptr},
        {"- from a pipe is spooled in TMPDIR",
         [](const TVkarSandbox& box, TVkarRunSettings& run) {
             run.StdinFromPipe = true;
             run.StdinBytes = VkarRawArchive({{"a.txt", "abc"}});
             run.Environment = {"TMPDIR=" + box.Path("none")};
         },
         {"l", "-q", "-"}, 1, "", "vkar: -: Cannot create a temporary file: No such file or directory\n", nullptr},
        {"c names what it cannot look at, and fails",
         [](const TVkarSandbox& box, TVkarRunSettings&) {
             box.WriteFile("src/ok.txt", "ok");
             std::filesystem::create_symlink("loop", box.Path("src/loop"));
             std::filesystem::create_symlink("nowhere", box.Path("src/gone"));
         },
         {"c", "s.vk", "src"}, 1, "src/ok.txt\n",
         "vkar: src/gone: No such file or directory; not stored\n"
         "vkar: src/loop: Too many levels of symbolic links; not stored\n",
         [](const TVkarSandbox& box, const TVkarResult&) { EXPECT_EQ(box.Run({"t", "-q", "s.vk"}).Status, 0); }},
        {"c with standard output and error closed writes a sound archive",
         [](const TVkarSandbox& box, TVkarRunSettings& run) {
             box.WriteFile("src/ok.txt", "ok");
             std::filesystem::create_directory(box.Path("src/empty"));
             run.Closed = {1, 2};
         },
         {"c", "-v", "s.vk", "src"}, 1, "", "",
         [](const TVkarSandbox& box, const TVkarResult&) {
             const TVkarResult t = box.Run({"t", "s.vk"});
             EXPECT_EQ(t.Status, 0);
             EXPECT_EQ(t.Out, "src/ok.txt  OK\n");
         }},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.What);
        TVkarSandbox box;
        TVkarRunSettings settings;
        row.Setup(box, settings);
        const TVkarResult r = box.Run(row.Args, settings);
        EXPECT_EQ(r.Status, row.Status);
        EXPECT_EQ(r.Out, row.Out);
        EXPECT_EQ(r.Err, row.Err);
        if (row.After)
            row.After(box, r);
    }
}

// A name long enough that the system refuses its path: t fails as x does.
TEST(VkarHonesty, TFailsWhereXFails)
{
    for (const std::string& name : {DeepName(4097), DeepName(4000)}) {
        SCOPED_TRACE(name.size());
        TVkarSandbox box;
        box.WriteFile("d.vk", VkarRawArchive({{name, "1"}}));
        const TVkarResult t = box.Run({"t", "-q", "d.vk"});
        const TVkarResult x = box.Run({"x", "-q", "-C", "o", "d.vk"});
        EXPECT_EQ(t.Status, x.Status);
        EXPECT_EQ(t.Status, name.size() > 4000 ? 1 : 0);
    }
}

// An interrupted c leaves neither its new file nor an archive, and dies of
// the signal.
TEST(VkarHonesty, InterruptedCreateLeavesNothing)
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        TVkarSandbox box;
        std::string noise(8 << 20, '\0');
        uint32_t seed = 1;
        for (char& c : noise) {
            seed = seed * 1103515245u + 12345u;
            c = static_cast<char>(seed >> 23);
        }
        box.WriteFile("big.bin", noise);
        TVkarRunSettings settings;
        settings.Signal = signal;
        settings.SignalWhen = ".big.vk";
        const TVkarResult r = box.Run({"c", "-q", "-j", "1", "-m", "LH5", "big.vk", "big.bin"}, settings);
        EXPECT_EQ(r.Signal, signal);
        EXPECT_EQ(VkarListFiles(box.Work()), std::vector<std::string>{"big.bin"});
    }
}

} // namespace

#endif
