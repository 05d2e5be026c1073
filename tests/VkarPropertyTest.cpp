// Generated trees through vkar: l lists exactly what x writes, byte for
// byte; t's status is x's into an empty directory; and damaged copies (each
// header field, each record field, a cut at every record boundary, bytes
// appended) leave l, t and x agreeing on failure.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tests/support/VkarSandbox.h"

namespace {

struct TRandom {
    uint32_t Seed;
    uint32_t Next(uint32_t below)
    {
        Seed = Seed * 1103515245u + 12345u;
        return (Seed >> 8) % below;
    }
};

// A name level: letters, blanks, dots, UTF-8, up to length bytes.
std::string Level(TRandom& random, const std::string& prefix, size_t length)
{
    static const std::vector<std::string> pieces = {"a", "B", "z", " ", ".", "-", "\xc3\xa4", "Z\xc3\xa4rn", "9"};
    std::string name = prefix;
    while (name.size() < length)
        name += pieces[random.Next(static_cast<uint32_t>(pieces.size()))];
    return name.substr(0, length);
}

std::string Content(TRandom& random)
{
    switch (random.Next(5)) {
    case 0: return ""; // empty files anywhere, also last
    case 1: return std::string(1 + random.Next(30000), static_cast<char>('a' + random.Next(3)));
    case 2: {
        std::string text;
        while (text.size() < 1 + random.Next(20000))
            text += "line " + std::to_string(random.Next(1000)) + " of the quick brown fox\r\n";
        return text;
    }
    default: {
        std::string bytes(random.Next(5000), '\0');
        for (char& c : bytes)
            c = static_cast<char>(random.Next(256));
        return bytes;
    }
    }
}

// Files below "src" by relative path ("/" between levels). Directories are
// "d...", files "f...", so that no file stands where a directory must.
std::map<std::string, std::string> MakeTree(const TVkarSandbox& box, TRandom& random)
{
    std::map<std::string, std::string> files;
    const uint32_t count = 3 + random.Next(6);
    for (uint32_t i = 0; i < count; ++i) {
        std::string path;
        for (uint32_t depth = random.Next(4); depth > 0; --depth)
            path += Level(random, "d" + std::to_string(random.Next(2)), 1 + random.Next(random.Next(4) == 0 ? 150 : 8)) + "/";
        path += Level(random, "f" + std::to_string(i), 2 + random.Next(random.Next(4) == 0 ? 200 : 10));
        files[path] = Content(random);
        box.WriteFile("src/" + path, files[path]);
    }
    // The entry that sorts last is empty.
    box.WriteFile("src/zz", "");
    files["zz"] = "";
    return files;
}

// The names l lists, one per line after the two heading lines, up to the rule.
std::vector<std::string> ListedNames(const std::string& listing)
{
    std::vector<std::string> names;
    const size_t column = listing.find("Name");
    size_t at = 0;
    int line = 0;
    while (at < listing.size()) {
        const size_t end = listing.find('\n', at);
        const std::string text = listing.substr(at, end - at);
        at = end + 1;
        if (++line <= 2)
            continue;
        if (text.rfind("--------", 0) == 0)
            break;
        names.push_back(text.substr(column));
    }
    return names;
}

// Where each entry record begins, and the end of the archive's entries.
std::vector<size_t> RecordStarts(const std::string& archive)
{
    const auto get = [&](size_t at, int bytes) {
        uint32_t value = 0;
        for (int i = bytes - 1; i >= 0; --i)
            value = value << 8 | static_cast<uint8_t>(archive[at + static_cast<size_t>(i)]);
        return value;
    };
    std::vector<size_t> starts;
    size_t at = 21;
    while (at + 25 <= archive.size()) {
        starts.push_back(at);
        at += 25 + get(at, 2) + get(at + 12, 4);
    }
    return starts;
}

struct TCase {
    std::string Method;
    std::string Key; // empty: none
    std::string Jobs;
};

std::vector<std::string> With(std::vector<std::string> args, const TCase& c)
{
    // l lists without decoding: neither applies to it.
    std::vector<std::string> options;
    if (args[0] != "l")
        options = {"-j", c.Jobs};
    if (!c.Key.empty() && args[0] != "l")
        options.insert(options.end(), {"-K", c.Key});
    args.insert(args.begin() + 1, options.begin(), options.end());
    return args;
}

struct TRuns {
    TVkarResult L, T, X;
    std::vector<std::string> Written;
};

TRuns RunAll(const TVkarSandbox& box, const std::string& archive, const TCase& c, int n)
{
    const std::string name = "d" + std::to_string(n) + ".vk";
    const std::string out = "out" + std::to_string(n);
    box.WriteFile(name, archive);
    TRuns r;
    r.L = box.Run(With({"l", name}, c));
    r.T = box.Run(With({"t", "-q", name}, c));
    r.X = box.Run(With({"x", "-q", "-C", out, name}, c));
    r.Written = box.Exists(out) ? VkarListFiles(box.Path(out)) : std::vector<std::string>{};
    return r;
}

TEST(VkarProperties, ListTestAndExtractAgreeOnGeneratedTrees)
{
    const TCase cases[] = {{"NON", "", "1"}, {"LZH", "7", "4"}, {"LH5", "-99", "1"}, {"best", "", "2"}};
    uint32_t seed = 11;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Method + " key " + c.Key + " -j " + c.Jobs);
        TVkarSandbox box;
        TRandom random{seed++};
        const std::map<std::string, std::string> files = MakeTree(box, random);
        ASSERT_EQ(box.Run(With({"c", "-q", "-m", c.Method, "-C", "src", "a.vk", "."}, c)).Status, 0);
        const std::string archive = box.ReadFile("a.vk");

        // The sound archive: l lists exactly what x writes, byte for byte.
        const TRuns sound = RunAll(box, archive, c, 0);
        ASSERT_EQ(sound.X.Status, 0) << sound.X.Err;
        EXPECT_EQ(sound.T.Status, 0);
        EXPECT_EQ(sound.L.Status, 0);
        std::vector<std::string> expected;
        for (const auto& [path, bytes] : files)
            expected.push_back(path);
        std::vector<std::string> listed = ListedNames(sound.L.Out);
        std::sort(listed.begin(), listed.end());
        EXPECT_EQ(listed, expected);
        EXPECT_EQ(sound.Written, expected);
        for (const auto& [path, bytes] : files)
            EXPECT_TRUE(box.ReadFile("out0/" + path) == bytes) << path;

        // Damaged copies.
        std::vector<std::pair<std::string, std::string>> damaged;
        const auto patched = [&](size_t at, uint8_t mask) {
            std::string copy = archive;
            copy[at] = static_cast<char>(copy[at] ^ mask);
            return copy;
        };
        for (size_t at : {0u, 5u, 8u, 11u, 12u, 13u, 17u})
            damaged.push_back({"header byte " + std::to_string(at), patched(at, 0x01)});
        const std::vector<size_t> starts = RecordStarts(archive);
        // Every field of the first, a middle and the last record: name
        // length, date, attributes, both sizes, method, checksum, lock mode.
        for (size_t r : {size_t{0}, starts.size() / 2, starts.size() - 1})
            for (size_t field : {0u, 2u, 6u, 8u, 12u, 16u, 17u, 21u})
                damaged.push_back({"record " + std::to_string(r) + " byte " + std::to_string(field),
                                   patched(starts[r] + field, field == 16 ? 0x08 : 0x01)});
        for (size_t r = 0; r < starts.size(); ++r)
            damaged.push_back({"cut at record " + std::to_string(r), archive.substr(0, starts[r])});
        damaged.push_back({"one byte appended", archive + "\n"});
        damaged.push_back({"a record's worth appended", archive + std::string(40, '\x01')});
        damaged.push_back({"the archive appended", archive + archive});
        int n = 1;
        for (const auto& [what, bytes] : damaged) {
            SCOPED_TRACE(what);
            const TRuns r = RunAll(box, bytes, c, n++);
            EXPECT_EQ(r.T.Status, r.X.Status) << r.T.Err << r.X.Err;
            if (r.L.Status != 0)
                EXPECT_NE(r.X.Status, 0);
            if (what.rfind("cut", 0) == 0 || what.find("appended") != std::string::npos ||
                what.rfind("header byte 8", 0) == 0 || what.rfind("header byte 11", 0) == 0) {
                // What the records show: all three see it alike. A cut
                // before empty entries leaves entries that add up.
                EXPECT_EQ(r.L.Status, r.X.Status) << r.L.Err << r.X.Err;
            }
            if (r.X.Status == 0) {
                std::vector<std::string> names = ListedNames(r.L.Out);
                std::sort(names.begin(), names.end());
                EXPECT_EQ(names, r.Written);
            }
        }
    }
}

} // namespace

#endif
