// The expansion engine over an in-memory disk: the walk, selection, events,
// keys, free space and every failure with the state it leaves behind.
#include <gtest/gtest.h>

#include <cstring>

#include <functional>
#include <set>

#include "archive/Archiver.h"
#include "platform/PathRules.h"
#include "platform/Resources.h"
#include "platform/Stream.h"
#include "tests/support/ArchiveBuilder.h"
#include "tests/support/FaultyFileSystem.h"
#include "tests/support/MemoryFileSystem.h"

namespace {

const std::string Root = PathDelim == '/' ? "/t" : "T:\\t";

std::string InRoot(const std::string& name) { return Root + PathDelim + ToNativePath(name); }

struct ExpandFixture : ::testing::Test {
    TMemoryFileSystem Disk;
    TArchiver Comp{Disk};

    ExpandFixture()
    {
        Disk.Directories.insert(Root);
        Comp.SetTargetPath(Root);
    }

    void Expand(const std::vector<uint8_t>& bytes, TStringList* list = nullptr)
    {
        TMemoryStream stream(bytes);
        Comp.ExpandArchive(stream, list);
    }
};

std::vector<uint8_t> SixEntries()
{
    TArchiveBuilder b;
    for (char i = '1'; i <= '6'; ++i)
        b.Add(StoredEntry(std::string("f") + i + ".txt", Bytes(std::string("content ") + i)));
    return b.Build();
}

TEST_F(ExpandFixture, WritesEveryEntryWithDateAndAttributes)
{
    TRawEntry ro = StoredEntry("sub\\deep\\ro.txt", Bytes("read only"));
    ro.Attributes = 0x21;
    ro.DateTime = 0x4A2B1C3D;
    Comp.MakeDirectories = true;
    TStringList list;
    list.Add("A.TXT");
    list.Add("sub\\DEEP\\ro.txt");
    Expand(TArchiveBuilder().Add(StoredEntry("a.txt", Bytes("alpha"))).Add(StoredEntry("b", Bytes("b"))).Add(ro).Build(),
           &list);
    EXPECT_EQ(Disk.Contents(InRoot("a.txt")), Bytes("alpha"));
    EXPECT_FALSE(Disk.FileExists(InRoot("b")));
    EXPECT_EQ(Disk.Contents(InRoot("sub\\deep\\ro.txt")), Bytes("read only"));
    EXPECT_EQ(Disk.Files[InRoot("sub\\deep\\ro.txt")].Attributes, 0x21);
    EXPECT_EQ(Disk.Files[InRoot("sub\\deep\\ro.txt")].DosDateTime, 0x4A2B1C3Du);
    EXPECT_TRUE(Disk.IsDirectory(InRoot("sub\\deep")));
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list[0], InRoot("a.txt"));
    EXPECT_EQ(list[1], InRoot("sub\\deep\\ro.txt"));
}

TEST_F(ExpandFixture, NoListExpandsAllAnEmptyListNothing)
{
    int checks = 0;
    Comp.OnCheckFile = [&](std::string&, TCProcessMode mode) {
        EXPECT_EQ(mode, cpExpanding);
        ++checks;
    };
    TStringList empty;
    Expand(SixEntries(), &empty);
    EXPECT_EQ(checks, 0);
    EXPECT_EQ(empty.Count(), 0);
    EXPECT_TRUE(Disk.Files.empty());
    Expand(SixEntries());
    EXPECT_EQ(checks, 6);
    EXPECT_EQ(Disk.Files.size(), 6u);
}

// Every record is read: empty files after the total is reached are written
// too, and a total that the entries do not add up to is damage, not a stop.
TEST_F(ExpandFixture, EveryRecordIsExpandedAndTheTotalChecked)
{
    Expand(TArchiveBuilder()
               .Add(StoredEntry("a.txt", Bytes("a")))
               .Add(StoredEntry("b.txt", {}))
               .Add(StoredEntry("c.txt", {}))
               .Build());
    EXPECT_EQ(Disk.Files.size(), 3u);
    EXPECT_TRUE(Disk.Contents(InRoot("c.txt")).empty());
    Disk.Files.clear();
    Expand(TArchiveBuilder().Add(StoredEntry("e1", {})).Add(StoredEntry("e2", {})).Build());
    EXPECT_EQ(Disk.Files.size(), 2u);

    const struct {
        int32_t Total;
        size_t Written;
        const char* Message;
    } rows[] = {{0, 0, STotalSizeMismatch}, {1, 1, STotalSizeMismatch}, {2, 2, STotalSizeMismatch}, {4, 3, STruncatedArchive}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Total);
        Disk.Files.clear();
        TArchiveBuilder c;
        c.TotalFromEntries = false;
        c.Header.TotalSize = row.Total;
        c.Add(StoredEntry("1", Bytes("a"))).Add(StoredEntry("2", Bytes("b"))).Add(StoredEntry("3", Bytes("c")));
        try {
            Expand(c.Build());
            ADD_FAILURE() << "no error";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), row.Message);
        }
        EXPECT_EQ(Disk.Files.size(), row.Written);
    }
}

// Records that end before the header's total are a cut-off archive: what
// could be written is, then the walk reports the damage.
TEST_F(ExpandFixture, RecordsEndingBeforeTheTotalAreATruncatedArchive)
{
    const std::vector<uint8_t> whole = SixEntries();
    // Cut inside the fourth record: three files, then the error.
    const size_t fourth = ArchiveHeaderSize + 3 * (EntryHeaderSize + 6 + 9);
    for (size_t cut : {fourth, fourth + 10, fourth + EntryHeaderSize + 3}) {
        Disk.Files.clear();
        TStringList list;
        list.Add("f2.txt");
        list.Add("f5.txt");
        const std::vector<uint8_t> bytes(whole.begin(), whole.begin() + static_cast<ptrdiff_t>(cut));
        EXPECT_THROW(
            try { Expand(bytes, &list); } catch (const ETruncatedArchive& e) {
                EXPECT_STREQ(e.what(), STruncatedArchive);
                throw;
            },
            ETruncatedArchive);
        EXPECT_EQ(Disk.Files.size(), 1u);
        EXPECT_EQ(Disk.Contents(InRoot("f2.txt")), Bytes("content 2"));
        ASSERT_EQ(list.Count(), 1);
        EXPECT_EQ(list[0], InRoot("f2.txt"));
    }
    // Entries skipped on the way still count towards the total: an intact
    // archive with a skipped entry is not truncated.
    Disk.Files.clear();
    Comp.OnCheckFile = [](std::string& path, int) {
        if (path == InRoot("f3.txt"))
            path.clear();
    };
    Expand(whole);
    EXPECT_EQ(Disk.Files.size(), 5u);
}

TEST_F(ExpandFixture, CheckFileCanRedirectSkipAndStop)
{
    std::vector<std::string> seen;
    Comp.OnCheckFile = [&](std::string& path, TCProcessMode) {
        seen.push_back(path);
        if (seen.size() == 2)
            path = "";
        else if (seen.size() == 1)
            path = Root + PathDelim + "moved";
        else if (seen.size() == 4)
            path = "*";
    };
    TStringList list;
    for (int i = 1; i <= 6; ++i)
        list.Add("F" + std::to_string(i) + ".TXT");
    Expand(SixEntries(), &list);
    EXPECT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0], InRoot("f1.txt"));
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list[0], Root + PathDelim + "moved");
    EXPECT_EQ(list[1], InRoot("f3.txt"));
    EXPECT_EQ(Disk.Contents(Root + PathDelim + "moved"), Bytes("content 1"));
    EXPECT_FALSE(Disk.FileExists(InRoot("f2.txt")));
    EXPECT_FALSE(Disk.FileExists(InRoot("f4.txt")));
}

TEST_F(ExpandFixture, TargetPathAndAbsoluteNames)
{
    Comp.SetTargetPath("x");
    EXPECT_EQ(Comp.TargetPath(), std::string("x") + PathDelim);
    Comp.SetTargetPath(std::string("x") + PathDelim);
    EXPECT_EQ(Comp.TargetPath(), std::string("x") + PathDelim);
    Comp.SetTargetPath("");
    EXPECT_EQ(Comp.TargetPath(), "");

    std::vector<std::string> paths;
    Comp.OnCheckFile = [&](std::string& path, TCProcessMode) {
        paths.push_back(path);
        path.clear();
    };
    Comp.SetTargetPath(Root);
    Expand(TArchiveBuilder().Add(StoredEntry("\\abs\\file", Bytes("1"))).Add(StoredEntry("", Bytes("2"))).Build());
    ASSERT_EQ(paths.size(), 2u);
    EXPECT_EQ(paths[0], ToNativePath("\\abs\\file"));
    EXPECT_EQ(paths[1], Root + PathDelim);
}

TEST_F(ExpandFixture, ProgressRunsZeroPerChunkThenHundred)
{
    std::vector<uint8_t> big(20000);
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<uint8_t>(i * 7);
    std::vector<int32_t> reports;
    Comp.OnShowProgress = [&](int32_t& p) {
        reports.push_back(p);
        p = 55; // ignored
    };
    Expand(TArchiveBuilder().Add(StoredEntry("big", big)).Add(StoredEntry("small", Bytes("s"))).Build());
    EXPECT_EQ(reports, (std::vector<int32_t>{0, 40, 81, 100, 100, 0, 100, 100}));
    EXPECT_EQ(Disk.Contents(InRoot("big")), big);
}

TEST_F(ExpandFixture, CancelledProgressFailsTheChecksum)
{
    std::vector<uint8_t> big(20000, 'q');
    for (int cancelAt : {0, 2}) {
        int calls = 0;
        Comp.OnShowProgress = [&](int32_t& p) {
            if (calls++ == cancelAt)
                p = -1;
        };
        try {
            Expand(TArchiveBuilder().Add(StoredEntry("big", big)).Build());
            ADD_FAILURE() << "accepted";
        } catch (const EBadChecksum& e) {
            EXPECT_EQ(e.Message(), "Bad checksum during expansion -- data may be invalid");
        }
        EXPECT_EQ(Disk.Contents(InRoot("big")).size(), cancelAt == 0 ? 0u : 8192u);
    }
}

TEST_F(ExpandFixture, MethodsWithoutCodecAndTheCustomHandler)
{
    // Method 0 with checksum 0 is accepted whatever it holds.
    TRawEntry zero = StoredEntry("zero", Bytes("whatever"));
    zero.Checksum = 0;
    Expand(TArchiveBuilder().Add(zero).Build());
    EXPECT_EQ(Disk.Contents(InRoot("zero")), Bytes("whatever"));

    // A method with no decoder is refused before its file is touched.
    TRawEntry custom0 = StoredEntry("zero", Bytes("junk"));
    custom0.MethodIndex = MethodCustom;
    custom0.Checksum = 0;
    TRawEntry method9 = custom0;
    method9.MethodIndex = 9;
    for (const auto& [entry, message] : {std::pair{custom0, "Unrecognized compression method: \"CUS\" in entry"},
                                         std::pair{method9, "Unrecognized compression method: \"#9\" in entry"}}) {
        try {
            Expand(TArchiveBuilder().Add(entry).Build());
            ADD_FAILURE() << "accepted";
        } catch (const EUnrecognizedCompressionMethod& e) {
            EXPECT_EQ(e.Message(), message);
        }
        EXPECT_EQ(Disk.Contents(InRoot("zero")), Bytes("whatever"));
    }

    TRawEntry custom = StoredEntry("custom", Bytes("dcba"));
    custom.MethodIndex = MethodCustom;
    custom.ExpandedSize = 4;
    custom.Checksum = ByteSum("abcd", 4);
    Comp.OnExpand = [](TStream& dest, TStream& source, int32_t sourceSize, int32_t destSize,
                       const std::string& id, int32_t& checksum) {
        EXPECT_EQ(id, "XYZ");
        EXPECT_EQ(sourceSize, 4);
        EXPECT_EQ(destSize, 4);
        EXPECT_EQ(checksum, 0);
        std::string s(4, ' ');
        source.ReadBuffer(s.data(), 4);
        std::string r(s.rbegin(), s.rend());
        dest.WriteBuffer(r.data(), 4);
        checksum = static_cast<int32_t>(ByteSum(r.data(), 4));
    };
    Comp.OnRecognize = [](const std::string&, bool& ok) { ok = true; };
    Expand(TArchiveBuilder("XYZ").Add(custom).Add(StoredEntry("after", Bytes("z"))).Build());
    EXPECT_EQ(Disk.Contents(InRoot("custom")), Bytes("abcd"));
    EXPECT_EQ(Disk.Contents(InRoot("after")), Bytes("z"));
}

TEST_F(ExpandFixture, LockedEntriesNeedTheKey)
{
    // Lock mode 2: data XORed with the key's bytes, checksum plus key.
    const int32_t key = 0x01020304;
    const std::vector<uint8_t> plain = Bytes("secret data!");
    TRawEntry e = StoredEntry("s", plain);
    for (size_t i = 0; i < e.Data.size(); ++i)
        e.Data[i] ^= static_cast<uint8_t>(static_cast<uint32_t>(key) >> (8 * (i % 4)));
    e.Checksum = ByteSum(plain.data(), plain.size()) + static_cast<uint32_t>(key);
    e.LockMode = 2;
    // Lock mode 1: data plain, only the checksum carries the key.
    TRawEntry one = StoredEntry("one", plain);
    one.Checksum += static_cast<uint32_t>(key);
    one.LockMode = 1;
    const auto archive = TArchiveBuilder().Add(e).Add(one).Build();

    Comp.Key = key;
    Expand(archive);
    EXPECT_EQ(Disk.Contents(InRoot("s")), plain);
    EXPECT_EQ(Disk.Contents(InRoot("one")), plain);

    // The plain comparison comes first: a locked entry whose checksum is the
    // bare sum passes with any key.
    TRawEntry bare = StoredEntry("bare", plain);
    bare.LockMode = 1;
    Comp.Key = 99;
    Expand(TArchiveBuilder().Add(bare).Build());
    EXPECT_EQ(Disk.Contents(InRoot("bare")), plain);
}

TEST_F(ExpandFixture, FreeSpaceRules)
{
    Comp.CheckSpaceBeforeExpand = true;
    Disk.FreeSpace = {1, 512, 4}; // 2048 bytes
    EXPECT_EQ(Comp.SpaceAvailable(InRoot("x")), 2048);
    Disk.AddFile(InRoot("x"), std::vector<uint8_t>(1000));
    EXPECT_EQ(Comp.SpaceAvailable(InRoot("x")), 3048);
    Disk.FreeSpace = {64, 4096, 0xFFFFFFF0u};
    EXPECT_EQ(Comp.SpaceAvailable(InRoot("x")), 2147483647);
    Disk.FreeSpaceFails = true;
    EXPECT_EQ(Comp.SpaceAvailable(InRoot("y")), -1);
    EXPECT_EQ(Comp.SpaceAvailable(InRoot("x")), 999);
    Comp.CheckSpaceBeforeExpand = false;
    EXPECT_EQ(Comp.SpaceAvailable(InRoot("y")), 2147483647);

    Disk.FreeSpaceRoots.clear();
    Comp.FreeDiskSpace(3);
    Comp.FreeDiskSpace(0);
    EXPECT_EQ(Disk.FreeSpaceRoots, (std::vector<std::string>{"C:\\", ""}));

    // A failing query still lets a smaller entry replace a larger file.
    Comp.CheckSpaceBeforeExpand = true;
    Expand(TArchiveBuilder().Add(StoredEntry("x", Bytes("fits"))).Build());
    EXPECT_EQ(Disk.Contents(InRoot("x")), Bytes("fits"));
}

TEST(ArchiverHelpers, PercentOfAndNameInList)
{
    EXPECT_EQ(TArchiver::PercentOf(50000, 100000), 50);
    EXPECT_EQ(TArchiver::PercentOf(1000000, 4000000), 25);
    EXPECT_EQ(TArchiver::PercentOf(8192, 100001), 8);  // 8192 / 1000
    EXPECT_EQ(TArchiver::PercentOf(8192, 20000), 40); // 819200 / 20000
    TStringList list;
    list.Add("ReadMe.Txt");
    EXPECT_TRUE(TArchiver::NameInList(list, "README.TXT"));
    EXPECT_FALSE(TArchiver::NameInList(list, "README.TX"));
    EXPECT_FALSE(TArchiver::NameInList(list, "README\xC4.TXT"));
}

TEST(ArchiverHelpers, UnsafeNames)
{
    for (const char* name : {"..\\evil", "a\\..\\..\\evil", "a/../b", "..", "C:\\Windows\\x", "c:x", "a\\...\\b",
                             "a\\.. \\b"})
        EXPECT_TRUE(IsUnsafeArchiveName(name)) << name;
    for (const char* name : {"a\\b.txt", "..a", "a..", "a\\.\\b", "\\abs", "", "dir\\..x\\y", "ab:c"})
        EXPECT_FALSE(IsUnsafeArchiveName(name)) << name;
}

// One row per failure: the archive, what to set up, the message expected and
// the files that must (not) be there afterwards.
struct FailureRow {
    const char* Label;
    std::function<std::vector<uint8_t>()> Archive;
    std::function<void(TMemoryFileSystem&, TArchiver&)> Setup;
    std::string Message;
    std::vector<std::string> Present;
    std::vector<std::string> Absent;
};

std::vector<uint8_t> GoodThenBad(const TRawEntry& bad)
{
    return TArchiveBuilder().Add(StoredEntry("good", Bytes("fine"))).Add(bad).Add(StoredEntry("later", Bytes("l"))).Build();
}

TRawEntry Locked(int32_t lockMode, uint8_t method = MethodStored)
{
    TRawEntry e = StoredEntry("bad", Bytes("locked bytes"));
    e.Checksum += 5;
    e.LockMode = lockMode;
    e.MethodIndex = method;
    return e;
}

std::vector<uint8_t> WithHeader(const char* magic, const char* id, uint8_t type)
{
    TArchiveBuilder b(id);
    std::memcpy(b.Header.Magic, magic, 5);
    b.Header.ArchiveType = type;
    return b.Add(StoredEntry("good", Bytes("fine"))).Build();
}

TEST(ArchiverHelpers, DirectoryMakerStopsOnlyAtARootOrABareDrive)
{
    struct TRow {
        const TPathRules& Rules;
        std::string Directory;
        std::set<std::string> Existing, Made;
    };
    const TRow rows[] = {
        // Names of one and two characters are levels like any other.
        {WindowsPathRules, "o\\", {}, {"o"}},
        {WindowsPathRules, "ab\\c\\", {}, {"ab", "ab\\c"}},
        {WindowsPathRules, "ab\\c\\", {"ab"}, {"ab", "ab\\c"}},
        {WindowsPathRules, "C:\\x\\yz\\", {}, {"C:\\x", "C:\\x\\yz"}},
        {WindowsPathRules, "C:d\\", {}, {"C:d"}},
        {WindowsPathRules, "\\a\\", {}, {"\\a"}},
        {WindowsPathRules, "C:\\", {}, {}},
        {PosixPathRules, "o/p/", {}, {"o", "o/p"}},
        {PosixPathRules, "/a/b/", {"/a"}, {"/a", "/a/b"}},
        {PosixPathRules, "C:/", {}, {"C:"}},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.Directory);
        TMemoryFileSystem disk;
        disk.Directories = row.Existing;
        MakeDirectoryLevels(disk, row.Directory, row.Rules);
        EXPECT_EQ(disk.Directories, row.Made);
    }
    // A level that cannot be made fails the call, and nothing below it is tried.
    TMemoryFileSystem disk;
    disk.FailDirectory.insert("x");
    EXPECT_THROW(MakeDirectoryLevels(disk, "x\\y\\", WindowsPathRules), EInOutError);
    EXPECT_TRUE(disk.Directories.empty());
}

TEST(ArchiverFailures, EachFailureReportsItsMessageAndLeavesTheRightFiles)
{
    const auto none = [](TMemoryFileSystem&, TArchiver&) {};
    TRawEntry corrupt = StoredEntry("bad", Bytes("corrupted"));
    corrupt.Checksum ^= 1;
    TRawEntry lh5 = StoredEntry("bad", std::vector<uint8_t>(16, 0xFF));
    lh5.MethodIndex = MethodLH5;
    lh5.ExpandedSize = 100;
    TRawEntry lh5Locked = lh5;
    lh5Locked.LockMode = 2;
    const FailureRow rows[] = {
        {"magic", [] { return WithHeader("VKAR\0", "LZH", 1); }, none, "Can't recognize compressed file header", {}, {"good"}},
        {"type", [] { return WithHeader("VKAR\x1A", "LZH", 3); }, none, "Archive type must be caMulti", {}, {"good"}},
        {"identifier", [] { return WithHeader("VKAR\x1A", "QQQ", 1); }, none,
         "Unrecognized compression method: \"QQQ\" in header", {}, {"good"}},
        {"disk space", [] { return GoodThenBad(StoredEntry("bad", std::vector<uint8_t>(5000, 1))); },
         [](TMemoryFileSystem& d, TArchiver& c) {
             c.CheckSpaceBeforeExpand = true;
             d.FreeSpace = {1, 512, 8};
         },
         "Not enough disk space to expand " + InRoot("bad"), {"good"}, {"bad", "later"}},
        {"locked, no key", [] { return GoodThenBad(Locked(2)); }, none, "File locked -- valid key required", {"good"},
         {"bad", "later"}},
        {"locked mode 1, no key", [] { return GoodThenBad(Locked(1)); }, none, "File locked -- valid key required",
         {"good"}, {"bad", "later"}},
        {"wrong key", [] { return GoodThenBad(Locked(1)); }, [](TMemoryFileSystem&, TArchiver& c) { c.Key = 4; },
         "File locked -- valid key required", {"good"}, {"bad", "later"}},
        {"wrong key, bad table", [=] { return GoodThenBad(lh5Locked); },
         [](TMemoryFileSystem&, TArchiver& c) { c.Key = 4; }, "File locked -- valid key required", {"good"},
         {"bad", "later"}},
        {"bad checksum", [=] { return GoodThenBad(corrupt); }, none,
         "Bad checksum during expansion -- data may be invalid", {"good", "bad"}, {"later"}},
        {"bad table", [=] { return GoodThenBad(lh5); }, none, "Bad decode table in archive!", {"good", "bad"},
         {"later"}},
        {"create error", [] { return GoodThenBad(StoredEntry("bad", Bytes("x"))); },
         [](TMemoryFileSystem& d, TArchiver& c) {
             c.ExceptionOnFileError = true;
             d.FailCreate.insert(InRoot("bad"));
         },
         "Cannot create file \"" + InRoot("bad") + "\"", {"good"}, {"bad", "later"}},
        {"directory", [] { return GoodThenBad(StoredEntry("d\\bad", Bytes("x"))); },
         [](TMemoryFileSystem& d, TArchiver& c) {
             c.MakeDirectories = true;
             d.FailDirectory.insert(InRoot("d"));
         },
         "Cannot create directory \"" + InRoot("d") + "\"", {"good"}, {"d\\bad", "later"}},
        {"unsafe", [] { return GoodThenBad(StoredEntry("..\\bad", Bytes("x"))); }, none,
         "Unsafe path in archive: ..\\bad", {"good"}, {"..\\bad", "later"}},
        {"drive", [] { return GoodThenBad(StoredEntry("C:bad", Bytes("x"))); }, none, "Unsafe path in archive: C:bad",
         {"good"}, {"later"}},
    };
    for (const auto& row : rows) {
        TMemoryFileSystem disk;
        disk.Directories.insert(Root);
        TArchiver comp(disk);
        comp.SetTargetPath(Root);
        row.Setup(disk, comp);
        const auto bytes = row.Archive();
        TMemoryStream stream(bytes);
        TStringList list;
        list.Add("good");
        list.Add("bad");
        list.Add("d\\bad");
        list.Add("..\\bad");
        list.Add("C:bad");
        list.Add("later");
        try {
            comp.ExpandArchive(stream, &list);
            ADD_FAILURE() << row.Label << ": no exception";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), row.Message) << row.Label;
        }
        EXPECT_EQ(list.Count(), 6) << row.Label << ": the caller's list must stay as it was";
        for (const auto& name : row.Present)
            EXPECT_TRUE(disk.FileExists(InRoot(name))) << row.Label << ": " << name;
        for (const auto& name : row.Absent)
            EXPECT_FALSE(disk.FileExists(InRoot(name))) << row.Label << ": " << name;
        if (std::string(row.Label) == "bad checksum") {
            EXPECT_EQ(disk.Files[InRoot("bad")].DosDateTime, 0u) << "a failed entry keeps no date";
            EXPECT_EQ(disk.Files[InRoot("bad")].Attributes, 0x20);
        }
    }
}

TEST(ArchiverFailures, UncreatableFileIsSkippedWhenErrorsAreOff)
{
    TMemoryFileSystem disk;
    disk.Directories.insert(Root);
    disk.FailCreate.insert(InRoot("bad"));
    TArchiver comp(disk);
    comp.SetTargetPath(Root);
    TMemoryStream stream(GoodThenBad(StoredEntry("bad", Bytes("x"))));
    TStringList list;
    list.Add("good");
    list.Add("bad");
    list.Add("later");
    comp.ExpandArchive(stream, &list);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list[1], InRoot("later"));
}

TEST(ArchiverFailures, MissingLibraryOrResource)
{
    struct TNoResources : TResourceProvider {
        std::unique_ptr<TStream> OpenResource(const std::string& library, const std::string& type,
                                              const std::string& name) override
        {
            EXPECT_EQ(type, "ARCHIVE");
            if (!library.empty())
                throw ELibraryLoadError(library);
            if (name == "data")
                return std::make_unique<TMemoryStream>(Bytes("VKAR"));
            throw EResNotFound("Resource " + name + " not found");
        }
    } resources;
    TMemoryFileSystem disk;
    TArchiver comp(disk, &resources);
    try {
        comp.OpenArchiveResource("data", "extra.dll");
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Could not load extra.dll DLL");
    }
    EXPECT_THROW(comp.OpenArchiveResource("other", ""), EResNotFound);
    EXPECT_EQ(comp.OpenArchiveResource("data", "")->Size(), 4);
}

} // namespace

namespace {

// What stands at a target path when its entry fails is left as it was; a
// read-only, hidden or system file is replaced when its entry checks out,
// and takes the entry's attributes.
TEST(ArchiverTargets, AFailedEntryLeavesTheFileItWouldReplace)
{
    const std::vector<uint8_t> old = Bytes("the user's file");
    TRawEntry locked = Locked(2);
    TRawEntry custom = StoredEntry("bad", Bytes("junk"));
    custom.MethodIndex = MethodCustom;
    TRawEntry unknown = custom;
    unknown.MethodIndex = 9;
    TRawEntry corrupt = StoredEntry("bad", Bytes("new bytes"));
    corrupt.Checksum += 1;
    TRawEntry shortStored = StoredEntry("bad", Bytes("12345"));
    shortStored.ExpandedSize = 10; // the byte sum of five bytes matches
    TRawEntry zeros = StoredEntry("bad", std::vector<uint8_t>(4, 0));
    zeros.MethodIndex = MethodRLE;
    zeros.ExpandedSize = 9;
    TRawEntry fresh = StoredEntry("bad", Bytes("new bytes"));
    fresh.Attributes = faReadOnly | faArchive;

    const struct {
        const char* Label;
        TRawEntry Entry;
        bool ReplaceWhenChecked;
        int32_t Key;
        int32_t OldAttributes;
        std::string Message; // empty: the entry is written
    } rows[] = {
        {"locked, no key", locked, false, 0, faArchive, "File locked -- valid key required"},
        {"locked, wrong key, beside", locked, true, 7, faArchive, "File locked -- valid key required"},
        {"method 3 without a handler", custom, false, 0, faArchive, "Unrecognized compression method: \"CUS\" in entry"},
        {"method 9", unknown, false, 0, faArchive, "Unrecognized compression method: \"#9\" in entry"},
        {"bad checksum, beside", corrupt, true, 0, faArchive, "Bad checksum during expansion -- data may be invalid"},
        {"stored short of its record, beside", shortStored, true, 0, faArchive,
         "Expanded size differs from the entry record -- data may be invalid"},
        {"run-length zeros short of their record, beside", zeros, true, 0, faArchive,
         "Expanded size differs from the entry record -- data may be invalid"},
        {"read-only target", fresh, false, 0, faReadOnly | faArchive, ""},
        {"hidden system target, beside", fresh, true, 0, faHidden | faSysFile, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Label);
        TMemoryFileSystem disk;
        disk.Directories.insert(Root);
        disk.AddFile(InRoot("bad"), old);
        disk.Files[InRoot("bad")].Attributes = row.OldAttributes;
        TArchiver comp(disk);
        comp.SetTargetPath(Root);
        comp.ReplaceWhenChecked = row.ReplaceWhenChecked;
        comp.Key = row.Key;
        std::vector<TEntryResult> seen;
        comp.OnEntryDone = [&](const TEntryResult& r) { seen.push_back(r); };
        TMemoryStream stream(GoodThenBad(row.Entry));
        try {
            comp.ExpandArchive(stream, nullptr);
            EXPECT_EQ(row.Message, "") << "no exception";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), row.Message);
        }
        ASSERT_GE(seen.size(), 2u);
        EXPECT_EQ(seen[1].Name, "bad");
        EXPECT_EQ(seen[1].Outcome, row.Message.empty() ? TEntryOutcome::eoWritten : TEntryOutcome::eoFailed);
        EXPECT_EQ(seen[1].Reason, row.Message);
        if (row.Message.empty()) {
            EXPECT_EQ(disk.Contents(InRoot("bad")), Bytes("new bytes"));
            EXPECT_EQ(disk.Files[InRoot("bad")].Attributes, faReadOnly | faArchive);
            EXPECT_EQ(seen.size(), 3u);
        } else {
            EXPECT_EQ(disk.Contents(InRoot("bad")), old);
            EXPECT_EQ(disk.Files[InRoot("bad")].Attributes, row.OldAttributes);
        }
        // Nothing is left beside the targets.
        EXPECT_EQ(disk.Files.size(), row.Message.empty() ? 3u : 2u);
    }
}

// One result per entry, in archive order: written, skipped (not selected or
// turned away by OnCheckFile), or failed with its reason; the install run
// asks again for the failed ones.
TEST(ArchiverTargets, EveryEntryHasItsResult)
{
    TFaultyFileSystem disk;
    disk.Directories.insert(Root);
    disk.AddFile(InRoot("ro"), Bytes("old"));
    disk.Files[InRoot("ro")].Attributes = faReadOnly;
    // The attribute change that would make "ro" writable (the second, after
    // "a" took its attributes) fails: its creation is refused, and the
    // entry is reported, not dropped.
    disk.FailAttributesAt = 2;
    TArchiver comp(disk);
    comp.SetTargetPath(Root);
    comp.OnCheckFile = [](std::string& path, TCProcessMode) {
        if (path == InRoot("turned"))
            path.clear();
    };
    const auto bytes = TArchiveBuilder()
                           .Add(StoredEntry("a", Bytes("a")))
                           .Add(StoredEntry("unlisted", Bytes("u")))
                           .Add(StoredEntry("turned", Bytes("t")))
                           .Add(StoredEntry("ro", Bytes("new")))
                           .Add(StoredEntry("empty", {}))
                           .Build();
    TMemoryStream stream(bytes);
    TStringList list;
    for (const char* name : {"a", "turned", "ro", "empty"})
        list.Add(name);
    const std::vector<TEntryResult> results = comp.ExpandArchive(stream, &list);
    ASSERT_EQ(results.size(), 5u);
    const TEntryOutcome expected[] = {TEntryOutcome::eoWritten, TEntryOutcome::eoSkipped, TEntryOutcome::eoSkipped,
                                      TEntryOutcome::eoFailed, TEntryOutcome::eoWritten};
    for (size_t i = 0; i < results.size(); ++i)
        EXPECT_EQ(results[i].Outcome, expected[i]) << results[i].Name;
    EXPECT_EQ(results[3].Path, InRoot("ro"));
    EXPECT_EQ(results[3].Reason, "Cannot create file \"" + InRoot("ro") + "\". Access is denied.");
    EXPECT_EQ(disk.Contents(InRoot("ro")), Bytes("old"));
    EXPECT_EQ(results[4].Record.ExpandedSize, 0);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list[1], InRoot("empty"));
}

} // namespace
