// Files coded by the archive writer with every method, with and without a
// key, expand back unchanged; the writer stores what a coder cannot shrink.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "archive/ArchiveWriter.h"
#include "codecs/Coders.h"
#include "platform/PathRules.h"
#include "platform/Stream.h"
#include "tests/support/MemoryFileSystem.h"
#include "tests/support/TestData.h"

namespace {

const std::string Root = PathDelim == '/' ? "/out" : "O:\\out";

struct TCodedFile {
    std::string Name;
    std::vector<uint8_t> Bytes;
};

std::vector<TCodedFile> SampleFiles()
{
    std::vector<TCodedFile> files;
    for (size_t n : {0, 1, 2, 59, 60, 61, 4095, 4096, 4097, 8191, 8192, 8193})
        files.push_back({"text\\t" + std::to_string(n), MakeText(n, static_cast<uint32_t>(n))});
    files.push_back({"bin\\code.exe", MakeBinary(200000)});
    files.push_back({"runs.dat", MakeRuns(100000)});
    files.push_back({"random.bin", MakeRandom(30000)});
    files.push_back({"escapes", std::vector<uint8_t>(5000, 0x94)});
    files.push_back({"long.txt", MakeText(1500000, 77)});
    return files;
}

struct TCodedArchive {
    std::vector<uint8_t> Bytes;
    std::vector<TWrittenEntry> Entries;
};

TCodedArchive Write(const std::vector<TCodedFile>& files, uint8_t method, int32_t key,
                    TShowProgressEvent progress = nullptr)
{
    TMemoryFileSystem disk;
    TArchiver comp(disk);
    comp.Coders = &StandardCoders();
    comp.Key = key;
    comp.OnShowProgress = std::move(progress);
    TMemoryStream out;
    TArchiveWriter writer(comp, out, ArchiveIdentifierOf(method));
    TCodedArchive archive;
    for (const auto& f : files) {
        TMemoryStream source(f.Bytes);
        TArchiveFileInfo info;
        info.Name = f.Name;
        info.DateTime = 0x3C8A5B21;
        archive.Entries.push_back(writer.AddFile(info, source, method));
    }
    writer.Finish();
    archive.Bytes = out.Bytes();
    return archive;
}

class MethodRoundTrip : public ::testing::TestWithParam<std::tuple<uint8_t, int32_t>> {};

TEST_P(MethodRoundTrip, ExpandsBackUnchanged)
{
    const auto [method, key] = GetParam();
    const auto files = SampleFiles();
    const TCodedArchive archive = Write(files, method, key);

    int64_t total = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        const TEntryHeader& h = archive.Entries[i].Header;
        total += h.ExpandedSize;
        EXPECT_EQ(h.LockMode, key != 0 ? 2 : 0);
        EXPECT_EQ(h.Checksum, ByteSum(files[i].Bytes.data(), files[i].Bytes.size()) + static_cast<uint32_t>(key));
        EXPECT_LE(h.StoredSize, h.ExpandedSize) << files[i].Name;
        if (method == MethodBest) {
            EXPECT_TRUE(h.MethodIndex == MethodLH5 || h.MethodIndex == MethodLZH || h.MethodIndex == MethodStored)
                << files[i].Name << " " << int(h.MethodIndex);
        } else if (h.MethodIndex != method) {
            EXPECT_EQ(h.MethodIndex, MethodStored) << files[i].Name;
        }
    }

    TMemoryFileSystem disk;
    disk.Directories.insert(Root);
    TArchiver comp(disk);
    comp.Key = key;
    comp.MakeDirectories = true;
    comp.SetTargetPath(Root);
    TMemoryStream stream(archive.Bytes);
    TStringList list;
    comp.ListArchiveContents(stream, list);
    ASSERT_EQ(list.Count(), static_cast<int>(files.size()));
    stream.SetPosition(0);
    EXPECT_EQ(comp.ReadArchiveHeader(stream).TotalSize, total);
    stream.SetPosition(0);
    comp.ExpandArchive(stream, nullptr);
    EXPECT_EQ(stream.Position(), static_cast<int64_t>(archive.Bytes.size()));
    for (const auto& f : files) {
        const std::string path = Root + PathDelim + ToNativePath(f.Name);
        EXPECT_EQ(disk.Contents(path), f.Bytes) << f.Name;
        EXPECT_EQ(disk.Files[path].DosDateTime, 0x3C8A5B21u);
    }
}

INSTANTIATE_TEST_SUITE_P(Methods, MethodRoundTrip,
                         ::testing::Combine(::testing::Values(MethodStored, MethodRLE, MethodLZH, MethodLH5, MethodBest),
                                            ::testing::Values(0, 0x5EED1234, -2)));

TEST(ArchiveWriter, StoresWhatTheCoderCannotShrink)
{
    const auto noise = MakeRandom(1000);
    for (uint8_t method : {MethodRLE, MethodLZH, MethodLH5}) {
        const TCodedArchive a = Write({{"noise", noise}, {"text", MakeText(5000)}}, method, 0);
        EXPECT_EQ(a.Entries[0].Header.MethodIndex, MethodStored);
        EXPECT_EQ(a.Entries[0].Header.StoredSize, 1000);
        EXPECT_EQ(a.Entries[1].Header.MethodIndex, method);
        // Stored data follows the record and name directly, unchanged.
        EXPECT_TRUE(std::equal(noise.begin(), noise.end(), a.Bytes.begin() + 21 + 25 + 5));
    }
    // Larger than one buffer: whole blocks were flushed before the coder gave up.
    const auto bigNoise = MakeRandom(50000);
    const TCodedArchive big = Write({{"n", bigNoise}, {"after", MakeText(100)}}, MethodLZH, 0);
    EXPECT_EQ(big.Entries[0].Header.StoredSize, 50000);
    EXPECT_EQ(big.Bytes.size(), 21u + 25 + 1 + 50000 + 25 + 5 + big.Entries[1].Header.StoredSize);
}

TEST(ArchiveWriter, BestKeepsTheSmallerCodingAndOneProgressClimb)
{
    std::vector<TCodedFile> files = SampleFiles();
    files.resize(files.size() - 1); // the long text adds time, not cases
    // Short texts, where the two coders come within a few bytes of each
    // other: LZH wins some, LH5 others, some are ties.
    std::string fox;
    while (fox.size() < 400)
        fox += "The quick brown fox jumps over the lazy dog. ";
    for (size_t n = 10; n < 400; ++n)
        files.push_back({"fox" + std::to_string(n), std::vector<uint8_t>(fox.begin(), fox.begin() + n)});
    const TCodedArchive lh5 = Write(files, MethodLH5, 0), lzh = Write(files, MethodLZH, 0);
    std::vector<int32_t> shown;
    const TCodedArchive best = Write(files, MethodBest, 0, [&](int32_t& percent) { shown.push_back(percent); });
    EXPECT_EQ(best.Bytes[5], 'L');
    EXPECT_EQ(best.Bytes[7], '5');
    std::set<uint8_t> used;
    int ties = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(files[i].Name);
        const TEntryHeader &a = lh5.Entries[i].Header, &b = lzh.Entries[i].Header, &h = best.Entries[i].Header;
        // Only a strict gain counts: LH5 wins ties, and a file neither coder
        // shrinks (empty ones included) is stored.
        uint8_t expected = MethodStored;
        int32_t size = h.ExpandedSize;
        if (a.MethodIndex == MethodLH5 && a.StoredSize < size)
            expected = MethodLH5, size = a.StoredSize;
        if (b.MethodIndex == MethodLZH && b.StoredSize < size)
            expected = MethodLZH, size = b.StoredSize;
        EXPECT_EQ(h.MethodIndex, expected);
        EXPECT_EQ(h.StoredSize, size);
        used.insert(h.MethodIndex);
        ties += expected == MethodLH5 && b.StoredSize == size;
    }
    EXPECT_EQ(used, (std::set<uint8_t>{MethodStored, MethodLZH, MethodLH5}));
    EXPECT_GT(ties, 0);

    // Per file the handler sees one rise from 0 to 100: the only fall is
    // from one file's 100 to the next file's 0.
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.front(), 0);
    size_t restarts = 0;
    for (size_t i = 1; i < shown.size(); ++i) {
        if (shown[i - 1] == 100 && shown[i] == 0)
            ++restarts;
        else
            EXPECT_GE(shown[i], shown[i - 1]) << "at " << i;
    }
    EXPECT_EQ(restarts + 1, files.size());
    EXPECT_EQ(shown.back(), 100);
}

TEST(ArchiveWriter, EntryRecordsAndKeyedStoredData)
{
    const TCodedArchive empty = Write({{"e0", {}}}, MethodStored, 0);
    EXPECT_EQ(empty.Entries[0].Header.StoredSize, 0);
    EXPECT_EQ(empty.Entries[0].Header.Checksum, 0u);
    const TCodedArchive emptyRle = Write({{"e1", {}}}, MethodRLE, 0);
    EXPECT_EQ(emptyRle.Entries[0].Header.StoredSize, 0);

    const TCodedArchive rle = Write({{"z", std::vector<uint8_t>(10000, 'z')}}, MethodRLE, 0);
    EXPECT_EQ(rle.Entries[0].Header.StoredSize, 120);

    const int32_t key = 0x44332211;
    const TCodedArchive keyed = Write({{"k", {0, 0, 0, 0, 0, 9}}}, MethodStored, key);
    const size_t data = 21 + 25 + 1;
    EXPECT_EQ(std::vector<uint8_t>(keyed.Bytes.begin() + data, keyed.Bytes.end()),
              (std::vector<uint8_t>{0x11, 0x22, 0x33, 0x44, 0x11, 0x22 ^ 9}));
    EXPECT_EQ(keyed.Entries[0].Header.LockMode, 2);
    EXPECT_EQ(keyed.Entries[0].Header.Checksum, 9u + static_cast<uint32_t>(key));
    EXPECT_EQ(keyed.Bytes[21 - 4], 2); // header LockMode

    // The whole archive: header total and identifier.
    TArchiveHeader h = TArchiveHeader::Unpack(rle.Bytes.data());
    EXPECT_EQ(h.Identifier(), "RLE");
    EXPECT_EQ(h.TotalSize, 10000);
}

TEST(ArchiveWriter, CustomMethodGoesThroughOnCompress)
{
    TMemoryFileSystem disk;
    TArchiver comp(disk);
    comp.Coders = &StandardCoders();
    comp.Key = 3;
    comp.OnCompress = [](TStream& dest, TStream& source, std::string& id, int32_t& outputSize, int32_t& checksum) {
        EXPECT_EQ(id, "CUS");
        std::vector<uint8_t> buf(static_cast<size_t>(source.Size()));
        source.ReadBuffer(buf.data(), static_cast<int32_t>(buf.size()));
        std::reverse(buf.begin(), buf.end());
        dest.WriteBuffer(buf.data(), static_cast<int32_t>(buf.size()));
        outputSize = static_cast<int32_t>(buf.size());
        checksum = static_cast<int32_t>(ByteSum(buf.data(), buf.size()));
    };
    comp.OnExpand = [](TStream& dest, TStream& source, int32_t sourceSize, int32_t, const std::string&,
                       int32_t& checksum) {
        std::vector<uint8_t> buf(static_cast<size_t>(sourceSize));
        source.ReadBuffer(buf.data(), sourceSize);
        std::reverse(buf.begin(), buf.end());
        dest.WriteBuffer(buf.data(), sourceSize);
        checksum = static_cast<int32_t>(ByteSum(buf.data(), buf.size()));
    };
    TMemoryStream out;
    TArchiveWriter writer(comp, out, "CUS");
    TMemoryStream source(std::vector<uint8_t>{'a', 'b', 'c'});
    const TWrittenEntry& e = writer.AddFile({"c.txt", 0, 0x20}, source, MethodCustom);
    EXPECT_EQ(e.Header.LockMode, 1); // not transformed: locked by the checksum alone
    EXPECT_EQ(e.Header.Checksum, 294u + 3);
    writer.Finish();

    disk.Directories.insert(Root);
    comp.SetTargetPath(Root);
    TMemoryStream archive(out.Bytes());
    comp.ExpandArchive(archive, nullptr);
    EXPECT_EQ(disk.Contents(Root + PathDelim + "c.txt"), (std::vector<uint8_t>{'a', 'b', 'c'}));
}

// A file that ends before the size it gave when it was opened: it shrank
// while it was read.
class TShrinkingStream : public TMemoryStream {
public:
    TShrinkingStream(std::vector<uint8_t> bytes, int64_t readable) : TMemoryStream(std::move(bytes)), FReadable(readable) {}
    int32_t Read(void* buffer, int32_t count) override
    {
        const int64_t left = FReadable - Position();
        return TMemoryStream::Read(buffer, static_cast<int32_t>(std::max<int64_t>(0, std::min<int64_t>(count, left))));
    }

private:
    int64_t FReadable;
};

TEST(ArchiveWriter, DataCutShortRaisesInsteadOfAFullSizeRecord)
{
    const auto text = MakeText(100000, 3);
    for (uint8_t method : {MethodStored, MethodRLE, MethodLZH, MethodLH5, MethodBest}) {
        // Before the first byte, in the middle, and at the last report.
        for (int cancelAt : {1, 3, 13}) {
            SCOPED_TRACE(std::to_string(method) + " cancelled at report " + std::to_string(cancelAt));
            int reports = 0;
            EXPECT_THROW(Write({{"a", text}}, method, 0,
                               [&](int32_t& percent) {
                                   if (++reports == cancelAt)
                                       percent = -1;
                               }),
                         EEntryIncomplete);
        }
        TMemoryFileSystem disk;
        TArchiver comp(disk);
        comp.Coders = &StandardCoders();
        TMemoryStream out;
        TArchiveWriter writer(comp, out, ArchiveIdentifierOf(method));
        TShrinkingStream shrunk(text, 60000);
        TArchiveFileInfo info;
        info.Name = "shrunk";
        EXPECT_THROW(writer.AddFile(info, shrunk, method), EEntryIncomplete) << int(method);
    }
}

TEST(ArchiveWriter, CompressingNeedsLinkedCoders)
{
    TMemoryFileSystem disk;
    TArchiver comp(disk);
    TMemoryStream out, source(std::vector<uint8_t>{1, 2, 3});
    uint32_t sum = 0;
    EXPECT_THROW(comp.RunCodec(out, source, 3, 3, MethodStored, sum, TCodecDirection::cdCompress, false), Exception);
}

} // namespace
