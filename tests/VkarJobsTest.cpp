// vkar with -j: several workers code and decode entries, and every result a
// user can see stays that of -j 1: the archive's bytes, the files written
// with their dates and attributes, the lines printed, the progress shown,
// the messages, the exit status and what a failure leaves behind.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/TestData.h"
#include "tests/support/VkarSandbox.h"

namespace {

// -j 1024 leaves each entry a memory share of about 256 KiB, so that the
// large file is coded and decoded by the walk itself, in its turn.
const char* const JobCounts[] = {"2", "8", "1024"};

std::string AsString(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

std::string Noise(size_t count, uint32_t seed)
{
    std::string out(count, '\0');
    for (char& c : out) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 23);
    }
    return out;
}

std::vector<std::string> WithJobs(std::vector<std::string> args, const std::string& jobs)
{
    args.insert(args.begin() + 1, {"-j", jobs});
    return args;
}

// Text, code-like bytes, a run, noise, an empty file, a read-only file, a
// file past the memory share of -j 1024, in nested directories, dated.
void MakeCorpus(const TVkarSandbox& box)
{
    box.WriteFile("src/a/big.txt", AsString(MakeText(100000, 5)));
    box.WriteFile("src/a/code.bin", AsString(MakeBinary(40000)));
    box.WriteFile("src/b/run.bin", std::string(20000, 'Z') + std::string(3, '\x94'));
    box.WriteFile("src/b/c/noise.bin", Noise(30000, 7));
    box.WriteFile("src/empty", "");
    box.WriteFile("src/locked.txt", "read only\n");
    box.WriteFile("src/large.txt", AsString(MakeText(400000, 9)));
    box.WriteFile("src/readme.txt", "The quick brown fox jumps over the lazy dog.\r\n");
    box.SetLocalTime("src/a/big.txt", 2005, 5, 5, 5, 5, 4);
    box.SetLocalTime("src/a/code.bin", 2006, 6, 6, 6, 6, 6);
    box.SetLocalTime("src/b/run.bin", 1999, 12, 31, 23, 59, 59);
    box.SetLocalTime("src/b/c/noise.bin", 2020, 7, 15, 12, 0, 0);
    box.SetLocalTime("src/empty", 1980, 1, 1, 0, 0, 0);
    box.SetLocalTime("src/locked.txt", 2010, 6, 30, 18, 30, 44);
    box.SetLocalTime("src/large.txt", 2012, 2, 29, 13, 14, 15);
    ASSERT_EQ(::chmod(box.Path("src/locked.txt").c_str(), 0444), 0);
}

// Every file below dir of Work(): name, date (to the archive's two seconds),
// whether writable, bytes. Compared with EXPECT_TRUE: no file dumps.
// Without dates, for what a failure leaves: the files it made before (and
// the one it failed in) keep the time they were written.
std::string Snapshot(const TVkarSandbox& box, const std::string& dir, bool dates = true)
{
    std::string all;
    for (const std::string& file : VkarListFiles(box.Path(dir))) {
        const std::string path = dir + "/" + file;
        const int64_t mtime = dates ? VkarModifiedTime(box.Path(path)) : 0;
        all += file + " " + std::to_string(mtime - mtime % 2) + (VkarIsWritable(box.Path(path)) ? " w " : " r ") +
               std::to_string(box.ReadFile(path).size()) + "\n" + box.ReadFile(path) + "\n";
    }
    return all;
}

void ExpectSameRun(const TVkarResult& got, const TVkarResult& want)
{
    EXPECT_FALSE(got.TimedOut);
    EXPECT_EQ(got.Signal, 0);
    EXPECT_EQ(got.Status, want.Status);
    EXPECT_EQ(got.Out, want.Out);
    EXPECT_EQ(got.Err, want.Err);
}

} // namespace

TEST(VkarJobs, SameArchiveAndFilesForEveryJobCount)
{
    struct TRow {
        const char* Method;
        const char* Key;
    };
    const TRow rows[] = {{"NON", "0x5EED"}, {"RLE", "-7"}, {"LZH", "0xCAFEF00D"}, {"LZH", "0"},
                         {"LH5", "12345"},  {"best", "0xCAFEF00D"}};
    for (const TRow& row : rows) {
        SCOPED_TRACE(std::string(row.Method) + " key " + row.Key);
        TVkarSandbox box;
        MakeCorpus(box);
        const TVkarResult c1 = box.Run({"c", "-v", "-j", "1", "-m", row.Method, "-K", row.Key, "one.vkar", "src"});
        ASSERT_EQ(c1.Status, 0) << c1.Err;
        const std::string archive = box.ReadFile("one.vkar");
        const TVkarResult t1 = box.Run({"t", "-v", "-j", "1", "-K", row.Key, "one.vkar"});
        ASSERT_EQ(t1.Status, 0) << t1.Err;
        const TVkarResult x1 = box.Run({"x", "-v", "-j", "1", "-K", row.Key, "-C", "out1", "one.vkar"});
        ASSERT_EQ(x1.Status, 0) << x1.Err;
        const std::string files = Snapshot(box, "out1/src");
        // The walk's own expansion restores the tree; the others must match it.
        ASSERT_TRUE(files == Snapshot(box, "src"));
        for (const char* jobs : JobCounts) {
            SCOPED_TRACE(std::string("-j ") + jobs);
            const std::string name = std::string("j") + jobs + ".vkar";
            const TVkarResult c = box.Run({"c", "-v", "-j", jobs, "-m", row.Method, "-K", row.Key, name, "src"});
            ExpectSameRun(c, c1);
            EXPECT_TRUE(box.ReadFile(name) == archive);
            ExpectSameRun(box.Run({"t", "-v", "-j", jobs, "-K", row.Key, "one.vkar"}), t1);
            const std::string out = std::string("out") + jobs;
            const TVkarResult x = box.Run({"x", "-v", "-j", jobs, "-K", row.Key, "-C", out, "one.vkar"});
            EXPECT_EQ(x.Status, 0);
            EXPECT_EQ(x.Err, "");
            std::string lines = x1.Out; // the same lines, below the other directory
            for (size_t at = lines.find("out1/"); at != std::string::npos; at = lines.find("out1/", at + out.size()))
                lines.replace(at, 4, out);
            EXPECT_EQ(x.Out, lines);
            EXPECT_TRUE(Snapshot(box, out + "/src") == files);
        }
    }
}

// With one entry to expand (the archive's only one, or the one selected)
// the walk expands it alone; everything seen is still that of -j 1.
TEST(VkarJobs, OneEntryToExpandAsWithOneJob)
{
    TVkarSandbox box;
    MakeCorpus(box);
    ASSERT_EQ(box.Run({"c", "-j", "1", "-m", "LH5", "all.vkar", "src"}).Status, 0);
    ASSERT_EQ(box.Run({"c", "-j", "1", "-m", "LZH", "only.vkar", "src/large.txt"}).Status, 0);
    const std::vector<std::vector<std::string>> walks = {
        {"x", "-v", "only.vkar"},
        {"x", "-v", "all.vkar", "src/a/code.bin"},
        {"x", "-v", "all.vkar", "src/a/code.bin", "src/missing.txt"},
        {"t", "-v", "only.vkar"},
    };
    for (size_t k = 0; k < walks.size(); ++k) {
        SCOPED_TRACE(k);
        const std::string dir1 = "one" + std::to_string(k), dir4 = "four" + std::to_string(k);
        std::vector<std::string> one = WithJobs(walks[k], "1"), four = WithJobs(walks[k], "4");
        one.insert(one.begin() + 4, {"-C", dir1});
        four.insert(four.begin() + 4, {"-C", dir4});
        const TVkarResult want = box.Run(one);
        const TVkarResult got = box.Run(four);
        EXPECT_EQ(got.Status, want.Status);
        std::string lines = want.Out, errors = want.Err; // the same, below the other directory
        for (std::string* text : {&lines, &errors})
            for (size_t at = text->find(dir1 + "/"); at != std::string::npos; at = text->find(dir1 + "/", at))
                text->replace(at, dir1.size(), dir4);
        EXPECT_EQ(got.Out, lines);
        EXPECT_EQ(got.Err, errors);
        if (walks[k][0] == "x")
            EXPECT_TRUE(Snapshot(box, dir4) == Snapshot(box, dir1));
    }
}

TEST(VkarJobs, ProgressShownEntryByEntryInOrder)
{
    TVkarSandbox box;
    MakeCorpus(box);
    ASSERT_EQ(box.Run({"c", "-q", "-j", "1", "-m", "LH5", "a.vkar", "src"}).Status, 0);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"c", "-m", "best", "b.vkar", "src"}, std::vector<std::string>{"t", "a.vkar"},
          std::vector<std::string>{"x", "-C", "o", "a.vkar"}}) {
        SCOPED_TRACE(args[0]);
        const TVkarResult one = box.Run(WithJobs(args, "1"), true);
        ASSERT_EQ(one.Status, 0);
        ASSERT_NE(one.Err.find("\rsrc/large.txt  0%"), std::string::npos);
        ASSERT_NE(one.Err.find("\rsrc/large.txt  100%"), std::string::npos);
        for (const char* jobs : JobCounts)
            ExpectSameRun(box.Run(WithJobs(args, jobs), true), one);
    }
}

namespace {

struct TFailureRow {
    std::string What;
    bool Unprivileged;
    std::function<void(const TVkarSandbox&)> Setup;
    std::vector<std::string> Args; // -j goes after the command
};

// Dates the rows' inputs alike, so that every run's archive is the same.
void DateInputs(const TVkarSandbox& box, const std::vector<std::string>& files)
{
    for (const std::string& file : files)
        box.SetLocalTime(file, 2024, 4, 1, 10, 20, 30);
}

// a.vk: five files coded with LZH, the large one third.
void MakeFiveFileArchive(const TVkarSandbox& box, const char* method = "LZH")
{
    box.WriteFile("in/1.txt", AsString(MakeText(30000, 1)));
    box.WriteFile("in/2.bin", AsString(MakeBinary(20000, 2)));
    box.WriteFile("in/3.txt", AsString(MakeText(400000, 3)));
    box.WriteFile("in/4.txt", AsString(MakeText(50000, 4)));
    box.WriteFile("in/5.txt", "five\n");
    DateInputs(box, {"in/1.txt", "in/2.bin", "in/3.txt", "in/4.txt", "in/5.txt"});
    ASSERT_EQ(box.Run({"c", "-q", "-j", "1", "-m", method, "a.vk", "in/1.txt", "in/2.bin", "in/3.txt", "in/4.txt",
                       "in/5.txt"})
                  .Status,
              0);
}

// Where the data of the entry at index begins, from the records' sizes.
size_t DataStart(const std::string& archive, int index)
{
    size_t at = 21;
    for (int i = 0;; ++i) {
        const auto field = [&](size_t offset, int bytes) {
            uint32_t value = 0;
            for (int b = bytes - 1; b >= 0; --b)
                value = value << 8 | static_cast<uint8_t>(archive[at + offset + b]);
            return value;
        };
        const size_t name = field(0, 2), stored = field(12, 4);
        if (i == index)
            return at + 25 + name;
        at += 25 + name + stored;
    }
}

void Flip(const TVkarSandbox& box, const std::string& file, size_t offset)
{
    std::string bytes = box.ReadFile(file);
    bytes[offset] ^= 0x5A;
    box.WriteFile(file, bytes);
}

} // namespace

TEST(VkarJobs, FailuresAsWithOneJob)
{
    const TFailureRow rows[] = {
        {"x: a damaged entry in the middle, one worker's share", false,
         [](const TVkarSandbox& box) {
             MakeFiveFileArchive(box);
             Flip(box, "a.vk", DataStart(box.ReadFile("a.vk"), 3) + 700);
         },
         {"x", "-C", "out", "a.vk"}},
        {"t: a damaged entry in the middle, one worker's share", false,
         [](const TVkarSandbox& box) {
             MakeFiveFileArchive(box, "LH5");
             Flip(box, "a.vk", DataStart(box.ReadFile("a.vk"), 1) + 300);
         },
         {"t", "-v", "a.vk"}},
        {"x: the damaged entry is the large one", false,
         [](const TVkarSandbox& box) {
             MakeFiveFileArchive(box);
             Flip(box, "a.vk", DataStart(box.ReadFile("a.vk"), 2) + 5000);
         },
         {"x", "-v", "-C", "out", "a.vk"}},
        {"x: a locked entry in the middle, no key: its file is removed", false,
         [](const TVkarSandbox& box) {
             TVkarRawEntry locked{"2.txt", "two"};
             locked.LockMode = 1;
             box.WriteFile("a.vk", VkarRawArchive({TVkarRawEntry{"1.txt", "one"}, locked, TVkarRawEntry{"3.txt", "three"}}));
         },
         {"x", "-C", "out", "a.vk"}},
        {"x: an archive cut at a record boundary is truncated", false,
         [](const TVkarSandbox& box) {
             MakeFiveFileArchive(box, "NON");
             box.WriteFile("a.vk", box.ReadFile("a.vk").substr(0, DataStart(box.ReadFile("a.vk"), 3) - 25 - 8));
         },
         {"x", "-C", "out", "a.vk"}},
        {"x: an unsafe name in the middle", false,
         [](const TVkarSandbox& box) {
             box.WriteFile("a.vk", VkarRawArchive({TVkarRawEntry{"1.txt", "one"}, TVkarRawEntry{"..\\up.txt", "up"},
                                                   TVkarRawEntry{"3.txt", "three"}}));
         },
         {"x", "-C", "out", "a.vk"}},
        {"x -k with named entries, one missing", false,
         [](const TVkarSandbox& box) {
             MakeFiveFileArchive(box);
             box.WriteFile("out/in/4.txt", "mine\n");
         },
         {"x", "-k", "-C", "out", "a.vk", "in/4.txt", "in/2.bin", "in/none.txt", "IN/5.TXT"}},
        {"c: a file that cannot be read in the middle leaves no archive", true,
         [](const TVkarSandbox& box) {
             box.WriteFile("in/1.txt", AsString(MakeText(30000, 1)));
             box.WriteFile("in/2.txt", "two\n");
             box.WriteFile("in/3.txt", AsString(MakeText(40000, 3)));
             box.WriteFile("in/4.txt", "four\n");
             DateInputs(box, {"in/1.txt", "in/2.txt", "in/3.txt", "in/4.txt"});
             ASSERT_EQ(::chmod(box.Path("in/3.txt").c_str(), 0), 0);
         },
         {"c", "-m", "best", "a.vk", "in"}},
    };
    const bool canDrop = VkarCanRunUnprivileged();
    for (const TFailureRow& row : rows) {
        SCOPED_TRACE(row.What);
        if (row.Unprivileged && !canDrop)
            continue;
        TVkarRunSettings settings;
        settings.Unprivileged = row.Unprivileged;
        TVkarSandbox first;
        row.Setup(first);
        const TVkarResult one = first.Run(WithJobs(row.Args, "1"), settings);
        // Each row is a failure, and a failure names what failed.
        EXPECT_EQ(one.Status, 1);
        EXPECT_NE(one.Err, "");
        const std::string left = Snapshot(first, ".", false);
        for (const char* jobs : JobCounts) {
            SCOPED_TRACE(std::string("-j ") + jobs);
            TVkarSandbox box;
            row.Setup(box);
            ExpectSameRun(box.Run(WithJobs(row.Args, jobs), settings), one);
            EXPECT_TRUE(Snapshot(box, ".", false) == left);
        }
    }
}

TEST(VkarJobs, JobCountOnTheCommandLine)
{
    TVkarSandbox box;
    box.WriteFile("f.txt", "f\n");
    struct TRow {
        std::vector<std::string> Args;
        std::string Err;
    };
    const std::string usage = "Try 'vkar --help' for more information.\n";
    const TRow rows[] = {
        {{"c", "-j", "0", "a.vk", "f.txt"}, "vkar: bad number of jobs '0' (1 to 1024)\n" + usage},
        {{"x", "-j1025", "a.vk"}, "vkar: bad number of jobs '1025' (1 to 1024)\n" + usage},
        {{"t", "-j", "two", "a.vk"}, "vkar: bad number of jobs 'two' (1 to 1024)\n" + usage},
        {{"l", "-j", "2", "a.vk"}, "vkar: option -j does not apply to command 'l'\n" + usage},
        {{"p", "-j2", "a.vk", "f.txt"}, "vkar: option -j does not apply to command 'p'\n" + usage},
        {{"c", "a.vk", "f.txt", "-j"}, "vkar: option -j needs a value\n" + usage},
    };
    for (const TRow& row : rows) {
        const TVkarResult r = box.Run(row.Args);
        EXPECT_EQ(r.Status, 2);
        EXPECT_EQ(r.Err, row.Err);
    }
    // Attached or apart, and the default, give one archive.
    ASSERT_EQ(box.Run({"c", "-q", "-j3", "a.vk", "f.txt"}).Status, 0);
    ASSERT_EQ(box.Run({"c", "-q", "b.vk", "f.txt"}).Status, 0);
    EXPECT_EQ(box.ReadFile("a.vk"), box.ReadFile("b.vk"));
    EXPECT_NE(box.Run({"--help"}).Out.find("  -j N         code (c) or expand (t, x) N entries at once, 1 to 1024;\n"),
              std::string::npos);
}

#endif
