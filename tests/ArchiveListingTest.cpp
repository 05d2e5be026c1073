// Recognising the header and listing entries.
#include <gtest/gtest.h>

#include <cstring>

#include "archive/Archiver.h"
#include "platform/Stream.h"
#include "tests/support/ArchiveBuilder.h"
#include "tests/support/MemoryFileSystem.h"

namespace {

struct ListingFixture : ::testing::Test {
    TMemoryFileSystem Disk;
    TArchiver Comp{Disk};
    TStringList List;

    void ListBytes(const std::vector<uint8_t>& bytes)
    {
        TMemoryStream stream(bytes);
        Comp.ListArchiveContents(stream, List);
    }
    const TCompressedFileInfo& Info(int i) { return *static_cast<TCompressedFileInfo*>(List.Objects(i)); }
};

std::vector<uint8_t> ThreeEntries()
{
    return TArchiveBuilder()
        .Add(StoredEntry("a.txt", Bytes("alpha")))
        .Add(StoredEntry("dir\\b.bin", Bytes("bravo!")))
        .Add(StoredEntry("c", {}))
        .Build();
}

TEST_F(ListingFixture, ListsEveryEntryWithItsRecord)
{
    TRawEntry locked = StoredEntry("locked", Bytes("xyz"));
    locked.LockMode = 1;
    locked.Attributes = -2;
    locked.MethodIndex = 2;
    auto bytes = TArchiveBuilder().Add(StoredEntry("a.txt", Bytes("alpha"))).Add(locked).Build();
    ListBytes(bytes);
    ASSERT_EQ(List.Count(), 2);
    EXPECT_EQ(List[0], "a.txt");
    EXPECT_EQ(Info(0).EntryOffset, 21);
    EXPECT_EQ(Info(0).ExpandedSize, 5);
    EXPECT_EQ(Info(0).StoredSize, 5);
    EXPECT_EQ(Info(0).Checksum, ByteSum("alpha", 5));
    EXPECT_EQ(Info(0).DateTime, 0x5A6B7C8Du);
    EXPECT_FALSE(Info(0).Locked);
    EXPECT_EQ(List[1], "locked");
    EXPECT_EQ(Info(1).EntryOffset, 21 + 25 + 5 + 5);
    EXPECT_TRUE(Info(1).Locked);
    EXPECT_EQ(Info(1).Attributes, -2);
    EXPECT_EQ(Info(1).MethodIndex, 2);
}

TEST_F(ListingFixture, ListsFromTheCurrentPositionAndAppends)
{
    std::vector<uint8_t> bytes(7, 0xEE);
    const auto archive = ThreeEntries();
    bytes.insert(bytes.end(), archive.begin(), archive.end());
    List.Add("kept");
    TMemoryStream stream(bytes);
    stream.SetPosition(7);
    Comp.ListArchiveContents(stream, List);
    ASSERT_EQ(List.Count(), 4);
    EXPECT_EQ(List[0], "kept");
    EXPECT_EQ(List[2], "dir\\b.bin");
    EXPECT_EQ(Info(1).EntryOffset, 7 + 21);
}

TEST_F(ListingFixture, ShortStreamsListNothingWithoutLookingAtTheHeader)
{
    for (size_t n : {0, 1, 20, 21, 45}) {
        std::vector<uint8_t> junk(n, 'Z');
        ListBytes(junk);
        EXPECT_EQ(List.Count(), 0) << n;
    }
    // 46 bytes are enough to look: now the wrong magic is reported.
    std::vector<uint8_t> junk(46, 'Z');
    EXPECT_THROW(ListBytes(junk), EInvalidHeader);
}

// The entries before the damage are listed; then the lister raises what
// the expansion raises at the same record.
TEST_F(ListingFixture, DamagedRecordsAreListedUpToTheDamageThenReported)
{
    // The third entry holds bytes: a cut before an empty last entry leaves
    // entries that add up, which nothing in the format can tell.
    const auto full = TArchiveBuilder()
                          .Add(StoredEntry("a.txt", Bytes("alpha")))
                          .Add(StoredEntry("dir\\b.bin", Bytes("bravo!")))
                          .Add(StoredEntry("c", Bytes("c")))
                          .Build();
    const size_t third = 21 + (25 + 5 + 5) + (25 + 9 + 6);
    const auto cut = [&](size_t n) { return std::vector<uint8_t>(full.begin(), full.begin() + static_cast<long>(n)); };
    const auto patched = [](std::vector<uint8_t> bytes, size_t at, std::vector<uint8_t> with) {
        std::copy(with.begin(), with.end(), bytes.begin() + static_cast<long>(at));
        return bytes;
    };
    TRawEntry longer = StoredEntry("long", Bytes("abc"));
    longer.StoredSize = 1000;
    TArchiveBuilder zeroTotal;
    zeroTotal.TotalFromEntries = false;
    zeroTotal.Header.TotalSize = 0;
    zeroTotal.Add(StoredEntry("1", Bytes("a"))).Add(StoredEntry("2", Bytes("b")));
    auto appended = full;
    appended.insert(appended.end(), {'j', 'u', 'n', 'k', '\n'});
    auto appendedRecord = full;
    const auto more = TArchiveBuilder().Add(StoredEntry("more", Bytes("more"))).Build();
    appendedRecord.insert(appendedRecord.end(), more.begin() + 21, more.end());
    const size_t second = 21 + 25 + 5 + 5;

    const struct {
        const char* Label;
        std::vector<uint8_t> Bytes;
        int Listed;
        const char* Message;
    } rows[] = {
        {"cut inside the third record", cut(third + 10), 2, STruncatedArchive},
        {"cut inside the third name", cut(third + 25), 2, STruncatedArchive},
        {"cut at the third record", cut(third), 2, STruncatedArchive},
        {"stored size past the end",
         TArchiveBuilder().Add(StoredEntry("x", Bytes("1"))).Add(longer).Add(StoredEntry("y", {})).Build(), 1,
         STruncatedArchive},
        {"negative name length", patched(full, second, {0xFF, 0xFF}), 1, STruncatedArchive},
        {"negative stored size", patched(full, second + 12, {0xFF, 0xFF, 0xFF, 0xFF}), 1, STruncatedArchive},
        {"total 0 before entries", zeroTotal.Build(), 0, STotalSizeMismatch},
        {"bytes appended", appended, 3, STrailingData},
        // Indistinguishable from a total damaged to less than the entries.
        {"a record appended", appendedRecord, 3, STotalSizeMismatch},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Label);
        List.Clear();
        try {
            ListBytes(row.Bytes);
            ADD_FAILURE() << "no error";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), row.Message);
        }
        EXPECT_EQ(List.Count(), row.Listed);
    }
}

struct HeaderCase {
    const char* Label;
    std::vector<uint8_t> Header; // 21 bytes
    const char* Message;         // nullptr: accepted
};

std::vector<uint8_t> HeaderBytes(const char* magic, const char* id, uint8_t type)
{
    TArchiveHeader h;
    std::memcpy(h.Magic, magic, 5);
    std::memcpy(h.CompressID, id, 3);
    h.ArchiveType = type;
    const auto b = h.Pack();
    return std::vector<uint8_t>(b.begin(), b.end());
}

TEST(ArchiveHeader, ChecksMagicThenTypeThenIdentifier)
{
    const HeaderCase cases[] = {
        {"good LZH", HeaderBytes("VKAR\x1A", "LZH", 1), nullptr},
        {"CUS is method 3", HeaderBytes("VKAR\x1A", "CUS", 1), nullptr},
        {"bad magic", HeaderBytes("VKAR\x1B", "LZH", 1), "Can't recognize compressed file header"},
        {"bad magic and type", HeaderBytes("vkar\x1A", "LZH", 7), "Can't recognize compressed file header"},
        {"type 0", HeaderBytes("VKAR\x1A", "LZH", 0), "Archive type must be caMulti"},
        {"type 2 and bad id", HeaderBytes("VKAR\x1A", "xyz", 2), "Archive type must be caMulti"},
        {"lower-case id", HeaderBytes("VKAR\x1A", "lzh", 1), "Unrecognized compression method: \"lzh\" in header"},
    };
    for (const auto& c : cases) {
        TMemoryFileSystem disk;
        TArchiver comp(disk);
        TMemoryStream stream(c.Header);
        if (c.Message == nullptr) {
            EXPECT_NO_THROW(comp.ReadArchiveHeader(stream)) << c.Label;
            continue;
        }
        try {
            comp.ReadArchiveHeader(stream);
            ADD_FAILURE() << c.Label << ": accepted";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), c.Message) << c.Label;
        }
    }
}

TEST(ArchiveHeader, RecogniserAcceptsForeignIdentifiers)
{
    TMemoryFileSystem disk;
    TArchiver comp(disk);
    std::vector<std::string> asked;
    comp.OnRecognize = [&](const std::string& id, bool& recognized) {
        asked.push_back(id);
        EXPECT_FALSE(recognized);
        recognized = id == "ZZ9";
    };
    EXPECT_EQ(comp.RecognizeMethod("LH5"), 4);
    EXPECT_EQ(comp.RecognizeMethod("CUS"), 3);
    EXPECT_EQ(comp.RecognizeMethod("ZZ9"), 3);
    EXPECT_EQ(comp.RecognizeMethod("Lh5"), -1);
    EXPECT_EQ(asked, (std::vector<std::string>{"ZZ9", "Lh5"}));

    TMemoryStream stream(HeaderBytes("VKAR\x1A", "ZZ9", 1));
    EXPECT_EQ(comp.ReadArchiveHeader(stream).Identifier(), "ZZ9");
}

TEST(ArchiveHeader, ShortStreamGetsTheDefaultHeader)
{
    TMemoryFileSystem disk;
    TArchiver comp(disk);
    TMemoryStream stream(std::vector<uint8_t>(20, 'x'));
    const TArchiveHeader h = comp.ReadArchiveHeader(stream);
    EXPECT_EQ(h.TotalSize, 0);
    EXPECT_EQ(h.ArchiveType, caMulti);
    EXPECT_EQ(stream.Position(), 0);
}

TEST(ArchiveHeader, InitArchiveHeaderLockModeFollowsTheKey)
{
    TMemoryFileSystem disk;
    TArchiver comp(disk);
    TArchiveHeader h;
    comp.InitArchiveHeader(h, "LH5", caMulti, 1234);
    const auto b = h.Pack();
    const uint8_t expected[21] = {'V', 'K', 'A', 'R', 0x1A, 'L', 'H', '5', 0xD2, 0x04, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(b.data(), expected, 21));
    comp.Key = 7;
    comp.InitArchiveHeader(h, "LZH", caMulti, 0);
    EXPECT_EQ(h.LockMode, 2);
    comp.Key = -7;
    comp.InitArchiveHeader(h, "LZH", caMulti, 0);
    EXPECT_EQ(h.LockMode, 0);
}

} // namespace
