// The expansion engine on a disk and a source that fail on demand: what it
// reports, what it leaves on disk, and that the same component then expands
// a good archive correctly.
#include <gtest/gtest.h>

#include <typeinfo>

#include "archive/ArchiveWriter.h"
#include "codecs/Coders.h"
#include "platform/PathRules.h"
#include "tests/support/FaultyFileSystem.h"
#include "tests/support/TestData.h"

namespace {

const std::string Root = PathDelim == '/' ? "/f" : "F:\\f";

struct TSampleFile {
    std::string Name;
    std::vector<uint8_t> Bytes;
    uint8_t Method;
    int16_t Attributes;
    uint32_t DateTime;
};

// Small first two entries: one write and one data read each. The LZH entry
// fills three output blocks (8,192 + 8,192 + 3,616), the LH5 one four.
const std::vector<TSampleFile>& Samples()
{
    static const std::vector<TSampleFile> files = {
        {"a.txt", MakeText(300, 5), MethodStored, 0x21, 0x4A210001},
        {"b.rle", MakeRuns(5000), MethodRLE, 0x22, 0x4A220002},
        {"c.lzh", MakeText(20000, 6), MethodLZH, 0x24, 0x4A230003},
        {"d.lh5", MakeBinary(30000), MethodLH5, 0x23, 0x4A240004},
    };
    return files;
}

std::string PathOf(size_t i) { return Root + PathDelim + Samples()[i].Name; }

const std::vector<uint8_t>& SampleArchive()
{
    static const std::vector<uint8_t> bytes = [] {
        TMemoryFileSystem disk;
        TArchiver comp(disk);
        comp.Coders = &StandardCoders();
        TMemoryStream out;
        TArchiveWriter writer(comp, out, "LH5");
        for (const auto& f : Samples()) {
            TMemoryStream source(f.Bytes);
            TArchiveFileInfo info{f.Name, f.DateTime, f.Attributes};
            EXPECT_EQ(writer.AddFile(info, source, f.Method).Header.MethodIndex, f.Method) << f.Name;
        }
        writer.Finish();
        return out.Bytes();
    }();
    return bytes;
}

enum class TFault { None, Create, Write, Date, Attributes, Read };

// One letter per entry for what its file must be afterwards:
// C complete (content, date, attributes), - absent, P the first PartialLength
// bytes with the entry's attributes but no date, D complete without date,
// A complete with the attributes a new file has.
struct TFaultRow {
    const char* Label;
    TFault Fault;
    int At;
    int32_t Keep; // bytes the failing write takes
    bool ExceptionOnFileError;
    const std::type_info* Raised; // nullptr: no exception
    std::string Message;
    std::string Files;
    size_t PartialLength = 0;
};

void CheckFiles(TMemoryFileSystem& disk, const TFaultRow& row, const std::string& files)
{
    for (size_t i = 0; i < files.size(); ++i) {
        const TSampleFile& f = Samples()[i];
        SCOPED_TRACE(std::string(row.Label) + ": " + f.Name + " should be " + files[i]);
        if (files[i] == '-') {
            EXPECT_FALSE(disk.FileExists(PathOf(i)));
            continue;
        }
        ASSERT_TRUE(disk.FileExists(PathOf(i)));
        const auto& file = disk.Files[PathOf(i)];
        if (files[i] == 'P') {
            const std::vector<uint8_t> prefix(f.Bytes.begin(), f.Bytes.begin() + row.PartialLength);
            EXPECT_EQ(*file.Bytes, prefix);
        } else {
            EXPECT_EQ(*file.Bytes, f.Bytes);
        }
        EXPECT_EQ(file.DosDateTime, files[i] == 'P' || files[i] == 'D' ? 0u : f.DateTime);
        EXPECT_EQ(file.Attributes, files[i] == 'A' ? faArchive : f.Attributes);
    }
}

TStringList AllNames()
{
    TStringList list;
    for (const auto& f : Samples())
        list.Add(f.Name);
    return list;
}

void RunRow(TFaultyFileSystem& disk, TArchiver& comp, const TFaultRow& row)
{
    disk.Files.clear();
    disk.Disarm();
    comp.ExceptionOnFileError = row.ExceptionOnFileError;
    int failReadAt = 0;
    switch (row.Fault) {
    case TFault::None: break;
    case TFault::Create: disk.FailCreateAt = row.At; break;
    case TFault::Write:
        disk.FailWriteAt = row.At;
        disk.PartialWrite = row.Keep;
        break;
    case TFault::Date: disk.FailDateAt = row.At; break;
    case TFault::Attributes: disk.FailAttributesAt = row.At; break;
    case TFault::Read: failReadAt = row.At; break;
    }
    TMemoryStream archive(SampleArchive());
    TFaultyReadStream source(archive, failReadAt);
    TStringList list = AllNames();
    try {
        comp.ExpandArchive(source, &list);
        EXPECT_EQ(row.Raised, nullptr) << row.Label << ": nothing raised";
    } catch (const Exception& e) {
        ASSERT_NE(row.Raised, nullptr) << row.Label << ": raised " << e.Message();
        EXPECT_EQ(typeid(e), *row.Raised) << row.Label;
        EXPECT_EQ(e.Message(), row.Message) << row.Label;
    }
    EXPECT_EQ(disk.Fired + (source.Fired() ? 1 : 0), row.Fault == TFault::None ? 0 : 1)
        << row.Label << ": the fault must strike exactly once";
    CheckFiles(disk, row, row.Files);

    // A failed run leaves the caller's list alone; a good one lists exactly
    // the files written, in archive order.
    if (row.Raised != nullptr) {
        EXPECT_EQ(list.Count(), AllNames().Count()) << row.Label;
        for (int i = 0; i < list.Count(); ++i)
            EXPECT_EQ(list[i], Samples()[i].Name) << row.Label;
    } else {
        std::vector<std::string> expected;
        for (size_t i = 0; i < row.Files.size(); ++i)
            if (row.Files[i] != '-')
                expected.push_back(PathOf(i));
        ASSERT_EQ(list.Count(), static_cast<int>(expected.size())) << row.Label;
        for (int i = 0; i < list.Count(); ++i)
            EXPECT_EQ(list[i], expected[i]) << row.Label;
    }
}

TEST(ArchiverFault, EachFaultIsReportedAndTheComponentStaysUsable)
{
    const auto* createError = &typeid(EFCreateError);
    const auto* writeError = &typeid(EWriteError);
    const auto* readError = &typeid(EReadError);
    const std::string cannotCreateC = "Cannot create file \"" + PathOf(2) + "\"";
    // A full disk names the file being written and the system's reason.
    const auto full = [](size_t i) { return "Cannot write \"" + PathOf(i) + "\": " + DiskFullReason; };
    const TFaultRow rows[] = {
        {"no fault", TFault::None, 0, 0, false, nullptr, "", "CCCC"},
        {"first create, skipped", TFault::Create, 1, 0, false, nullptr, "", "-CCC"},
        {"LZH create, skipped", TFault::Create, 3, 0, false, nullptr, "", "CC-C"},
        {"last create, skipped", TFault::Create, 4, 0, false, nullptr, "", "CCC-"},
        {"LZH create, raised", TFault::Create, 3, 0, true, createError, cannotCreateC, "CC--"},
        {"stored write, nothing taken", TFault::Write, 1, 0, false, writeError, full(0), "P---", 0},
        {"RLE write, short", TFault::Write, 2, 1234, true, writeError, full(1), "CP--", 1234},
        {"LZH second block, short", TFault::Write, 4, 100, false, writeError, full(2), "CCP-", 8292},
        {"LZH second block, short, raising", TFault::Write, 4, 100, true, writeError, full(2), "CCP-", 8292},
        {"LH5 last flush, short", TFault::Write, 9, 1000, false, writeError, full(3), "CCCP", 25576},
        {"date of the RLE file", TFault::Date, 2, 0, false, nullptr, "", "CDCC"},
        {"date of the LH5 file", TFault::Date, 4, 0, true, nullptr, "", "CCCD"},
        {"attributes of the first file", TFault::Attributes, 1, 0, false, nullptr, "", "ACCC"},
        {"attributes of the LZH file", TFault::Attributes, 3, 0, true, nullptr, "", "CCAC"},
        // Reads: header, then record, name and data of each small entry.
        {"header read", TFault::Read, 1, 0, false, readError, "Stream read error", "----"},
        {"LZH record read", TFault::Read, 8, 0, false, readError, "Stream read error", "CC--"},
        {"LZH data read", TFault::Read, 10, 0, true, readError, "Stream read error", "CCP-", 0},
    };

    TFaultyFileSystem disk;
    disk.Directories.insert(Root);
    TArchiver comp(disk);
    comp.SetTargetPath(Root);
    const TFaultRow good{"good archive after the fault", TFault::None, 0, 0, false, nullptr, "", "CCCC"};
    for (const auto& row : rows) {
        RunRow(disk, comp, row);
        RunRow(disk, comp, good);
    }
}

} // namespace
