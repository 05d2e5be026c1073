// Valid two-entry archives of every method, damaged systematically: cut at
// every offset, every bit of the header and of the first record flipped,
// lengths set to extremes, totals above the entries, bytes appended, hostile
// names. Each row
// states what must come out (the messages it may end with, the files that
// must be intact or absent); on every row nothing may land outside the target
// and a run reported as a success must have written only intact files.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "archive/ArchiveWriter.h"
#include "archive/Archiver.h"
#include "codecs/Encoders.h"
#include "platform/PathRules.h"
#include "platform/Stream.h"
#include "tests/support/ArchiveBuilder.h"
#include "tests/support/CodecHarness.h"
#include "tests/support/DiscardFileSystem.h"
#include "tests/support/TestData.h"
#include "tests/support/MemoryFileSystem.h"

namespace {

const std::string Root = PathDelim == '/' ? "/t" : "T:\\t";
std::string InRoot(const std::string& name) { return Root + PathDelim + ToNativePath(name); }

const std::string Success;
const std::string Truncated = "Archive is truncated";
const std::string Trailing = "Trailing data after the archive";
const std::string Mismatch = "Entry sizes do not add up to the archive's total size";
const std::string BadSize = "Expanded size differs from the entry record -- data may be invalid";
const std::string NoMethod = "Unrecognized compression method: *";
const std::string Checksum = "Bad checksum during expansion -- data may be invalid";
const std::string BadTable = "Bad decode table in archive!";
const std::string Locked = "File locked -- valid key required";
const std::string Unsafe = "Unsafe path in archive: *";
const std::string DiskFull = "Cannot write \"" + Root + "*"; // the file, then the reason

// No zero bytes (a cut-off tail must change the byte sum), runs for the
// run-length coder, and neither ends in a character of its name.
struct TPlainEntry {
    std::string Name;
    std::vector<uint8_t> Bytes;
};

const std::vector<TPlainEntry>& PlainEntries()
{
    static const std::vector<TPlainEntry> entries = [] {
        std::string a, b;
        for (int i = 1; a.size() < 600; ++i)
            a += "line " + std::to_string(i) + ": the quick brown fox ======== jumps\r\n";
        for (int i = 0; i < 300; ++i)
            b += static_cast<char>(1 + (i * 37 + i / 7) % 250);
        return std::vector<TPlainEntry>{{"first.txt", Bytes(a + "!")}, {"second.bin", Bytes(b + "#")}};
    }();
    return entries;
}

// A valid archive of one method and where its pieces lie.
struct TBase {
    uint8_t Method;
    std::vector<uint8_t> Bytes;
    size_t DataAt[2];
    size_t DataEnd[2];
};

std::vector<uint8_t> CodeWith(uint8_t method, const std::vector<uint8_t>& plain)
{
    const TCodecRoutine coders[] = {nullptr, &CompressRLE, &CompressLZH, nullptr, &CompressLH5};
    return method == MethodStored ? plain : RunCompress(coders[method], plain, &UnlimitedBudget).Output;
}

TBase MakeBase(uint8_t method)
{
    TArchiveBuilder builder(ArchiveIdentifierOf(method));
    TBase base{method, {}, {}, {}};
    size_t at = ArchiveHeaderSize;
    for (size_t i = 0; i < 2; ++i) {
        const TPlainEntry& plain = PlainEntries()[i];
        TRawEntry e = StoredEntry(plain.Name, plain.Bytes);
        e.MethodIndex = method;
        e.Data = CodeWith(method, plain.Bytes);
        builder.Add(e);
        base.DataAt[i] = at + EntryHeaderSize + plain.Name.size();
        base.DataEnd[i] = base.DataAt[i] + e.Data.size();
        at = base.DataEnd[i];
    }
    base.Bytes = builder.Build();
    return base;
}

// What a row must end with. "" in Messages is a success; a message ending in
// "*" matches any message that begins with the rest.
struct TOutcome {
    std::set<std::string> Messages;
    std::vector<int> Intact; // entries whose files must hold their bytes
    std::vector<int> Absent; // entries whose files must not exist
    std::function<void(TMemoryFileSystem&)> Extra;
};

bool MessageMatches(const std::set<std::string>& allowed, const std::string& message)
{
    for (const auto& m : allowed)
        if (m == message || (!m.empty() && m.back() == '*' && message.rfind(m.substr(0, m.size() - 1), 0) == 0))
            return true;
    return false;
}

std::string Describe(const std::set<std::string>& messages)
{
    std::string text;
    for (const auto& m : messages)
        text += "[" + (m.empty() ? std::string("success") : m) + "] ";
    return text;
}

void Expect(const std::string& label, const std::vector<uint8_t>& bytes, const TOutcome& outcome)
{
    SCOPED_TRACE(label);
    TMemoryFileSystem disk;
    disk.Directories.insert(Root);
    // Damage can claim gigabytes; a small disk turns that into a write error.
    disk.FileCapacity = 1 << 20;
    TArchiver comp(disk);
    comp.SetTargetPath(Root);
    std::string message;
    try {
        TMemoryStream stream(bytes);
        comp.ExpandArchive(stream, nullptr);
    } catch (const Exception& e) {
        message = e.Message();
        EXPECT_FALSE(message.empty());
    }
    EXPECT_TRUE(MessageMatches(outcome.Messages, message))
        << "ended with [" << message << "], expected one of " << Describe(outcome.Messages);

    const auto& plain = PlainEntries();
    for (int i : outcome.Intact) {
        EXPECT_TRUE(disk.FileExists(InRoot(plain[i].Name))) << plain[i].Name;
        EXPECT_EQ(disk.Contents(InRoot(plain[i].Name)), plain[i].Bytes) << plain[i].Name;
    }
    for (int i : outcome.Absent)
        EXPECT_FALSE(disk.FileExists(InRoot(plain[i].Name))) << plain[i].Name;
    for (const auto& [path, file] : disk.Files) {
        EXPECT_EQ(path.rfind(Root + PathDelim, 0), 0u) << "outside the target: " << path;
        if (message.empty()) {
            bool intact = false;
            for (const auto& p : plain)
                intact = intact || (path == InRoot(p.Name) && *file.Bytes == p.Bytes);
            EXPECT_TRUE(intact) << "a success left a wrong file: " << path;
        }
    }
    for (const auto& dir : disk.Directories)
        EXPECT_EQ(dir.rfind(Root, 0), 0u) << "outside the target: " << dir;
    if (outcome.Extra)
        outcome.Extra(disk);
}

// The walk's rule for a header total and the entries' expanded sizes: every
// record is read; a record whose size would pass the total is refused before
// it is written, and records that end short of the total are a truncated
// archive.
TOutcome ByTotal(int32_t total, int32_t firstSize, int32_t secondSize)
{
    TOutcome o;
    int64_t running = 0;
    const int32_t sizes[] = {firstSize, secondSize};
    for (int i = 0; i < 2; ++i) {
        if (sizes[i] < 0 || running + sizes[i] > total) {
            // Records that run on to the end past the total: the total is wrong.
            o.Messages = {sizes[i] < 0 ? Truncated : Mismatch};
            for (int j = i; j < 2; ++j)
                o.Absent.push_back(j);
            return o;
        }
        o.Intact.push_back(i);
        running += sizes[i];
    }
    o.Messages = {running < total ? Truncated : Success};
    return o;
}

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t Get32(const std::vector<uint8_t>& b, size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

class DamagedArchive : public ::testing::TestWithParam<uint8_t> {
protected:
    const TBase Base = MakeBase(GetParam());
    const int32_t Size0 = static_cast<int32_t>(PlainEntries()[0].Bytes.size());
    const int32_t Size1 = static_cast<int32_t>(PlainEntries()[1].Bytes.size());
    static constexpr size_t Record = ArchiveHeaderSize; // the first entry record

    bool Coded() const { return Base.Method == MethodLZH || Base.Method == MethodLH5; }
    // What a decoder given wrong data may end with.
    std::set<std::string> Garbled() const
    {
        if (Base.Method == MethodLH5)
            return {Checksum, BadTable};
        return {Checksum};
    }
    std::vector<uint8_t> Flipped(size_t byte, int bit) const
    {
        auto b = Base.Bytes;
        b[byte] ^= static_cast<uint8_t>(1 << bit);
        return b;
    }
    std::vector<uint8_t> With32(size_t at, uint32_t value) const
    {
        auto b = Base.Bytes;
        Put32(b, at, value);
        return b;
    }
};

TEST_P(DamagedArchive, CutAtEveryOffset)
{
    Expect("whole", Base.Bytes, {{Success}, {0, 1}, {}, {}});
    for (size_t cut = 0; cut < Base.Bytes.size(); ++cut) {
        const std::vector<uint8_t> bytes(Base.Bytes.begin(), Base.Bytes.begin() + static_cast<long>(cut));
        TOutcome o;
        if (cut < ArchiveHeaderSize)
            o = {{Success}, {}, {0, 1}, {}}; // too short to be looked at
        else if (cut < Base.DataEnd[0]) // refused before it is decoded
            o = {{Truncated}, {}, {0, 1}, {}};
        else
            o = {{Truncated}, {0}, {1}, {}};
        Expect("cut at " + std::to_string(cut), bytes, o);
    }
}

TEST_P(DamagedArchive, EveryBitOfTheHeaderFlipped)
{
    for (size_t byte = 0; byte < ArchiveHeaderSize; ++byte)
        for (int bit = 0; bit < 8; ++bit) {
            const auto bytes = Flipped(byte, bit);
            TOutcome o;
            if (byte < 5)
                o = {{"Can't recognize compressed file header"}, {}, {0, 1}, {}};
            else if (byte < 8)
                o = {{"Unrecognized compression method: \"" + std::string(bytes.begin() + 5, bytes.begin() + 8) +
                      "\" in header"},
                     {},
                     {0, 1},
                     {}};
            else if (byte < 12)
                o = ByTotal(static_cast<int32_t>(Get32(bytes, 8)), Size0, Size1);
            else if (byte == 12)
                o = {{"Archive type must be caMulti"}, {}, {0, 1}, {}};
            else
                o = {{Success}, {0, 1}, {}, {}}; // reserved and lock mode are never read
            Expect("header byte " + std::to_string(byte) + " bit " + std::to_string(bit), bytes, o);
        }
}

TEST_P(DamagedArchive, EveryBitOfTheFirstRecordFlipped)
{
    const std::set<std::string> desynchronised = [&] {
        auto s = Garbled();
        s.insert({Truncated, Trailing, Mismatch, BadSize, NoMethod, Unsafe, DiskFull, BadTable});
        return s;
    }();
    for (size_t field = 0; field < EntryHeaderSize; ++field)
        for (int bit = 0; bit < 8; ++bit) {
            const size_t at = Record + field;
            const auto bytes = Flipped(at, bit);
            const std::string label = "record byte " + std::to_string(field) + " bit " + std::to_string(bit);
            TOutcome o;
            if (field < 2) { // NameLength: the name takes data bytes or leaves some
                o = {desynchronised, {}, {}, {}};
            } else if (field < 6) { // DateTime: only the first file's date
                const uint32_t date = Get32(bytes, Record + 2);
                o = {{Success}, {0, 1}, {}, [date](TMemoryFileSystem& d) {
                         EXPECT_EQ(d.Files[InRoot("first.txt")].DosDateTime, date);
                     }};
            } else if (field < 8) { // Attributes, widened with their sign
                const int32_t attributes = static_cast<int16_t>(bytes[Record + 6] | bytes[Record + 7] << 8);
                o = {{Success}, {0, 1}, {}, [attributes](TMemoryFileSystem& d) {
                         EXPECT_EQ(d.Files[InRoot("first.txt")].Attributes, attributes);
                     }};
            } else if (field < 12) { // ExpandedSize
                const auto size = static_cast<int32_t>(Get32(bytes, Record + 8));
                if (size < 0 || size > Size0 + Size1)
                    o = ByTotal(Size0 + Size1, size, Size1);
                else if (!Coded()) // the copy writes what the data holds; the record is wrong
                    o = {{BadSize}, {}, {1}, {}};
                else // the decoder stops at the size claimed, or runs out of data
                    o = {Garbled(), {}, {1}, {}};
            } else if (field < 16) { // StoredSize: the data ends early or takes the next record
                o = {desynchronised, {}, {}, {}};
                o.Messages.insert(Success);
                if (static_cast<int32_t>(Get32(bytes, Record + 12)) < 0)
                    o = {{Truncated}, {}, {0, 1}, {}};
            } else if (field == 16) { // MethodIndex
                const uint8_t method = bytes[at];
                if (method == MethodCustom || method > MethodLH5) {
                    o = {{NoMethod}, {}, {0, 1}, {}}; // refused before the file is made
                    Expect(label, bytes, o);
                    continue;
                }
                o = {desynchronised, {}, {}, {}};
                o.Messages.insert(Success);
            } else if (field < 21) { // Checksum
                o = {{Checksum}, {}, {1}, [](TMemoryFileSystem& d) {
                         EXPECT_TRUE(d.FileExists(InRoot("first.txt")));
                     }};
            } else { // LockMode: any value above 0 asks for the key
                const auto lockMode = static_cast<int32_t>(Get32(bytes, Record + 21));
                o = lockMode > 0 ? TOutcome{{Locked}, {}, {0, 1}, {}} : TOutcome{{Success}, {0, 1}, {}, {}};
            }
            Expect(label, bytes, o);
        }
}

TEST_P(DamagedArchive, LengthsAtTheirExtremes)
{
    const auto streamEnd = static_cast<uint32_t>(Base.Bytes.size());
    const std::set<std::string> garbledOrCut = [&] {
        auto s = Garbled();
        s.insert({Truncated, Trailing, Mismatch, BadSize, NoMethod, DiskFull});
        return s;
    }();
    for (uint32_t value : {0u, 0xFFFFFFFFu, streamEnd + 1}) {
        const std::string v = " = " + std::to_string(value);
        // NameLength is 16 bits: 0 makes the name's bytes data, -1 is no record.
        auto nameLength = Base.Bytes;
        nameLength[Record] = static_cast<uint8_t>(value);
        nameLength[Record + 1] = static_cast<uint8_t>(value >> 8);
        const auto asName = static_cast<int16_t>(value);
        if (asName == 0)
            Expect("NameLength" + v, nameLength, {garbledOrCut, {}, {}, {}});
        else
            Expect("NameLength" + v, nameLength, {{Truncated}, {}, {0, 1}, {}});

        const auto expanded = static_cast<int32_t>(value);
        if (expanded < 0 || expanded > Size0 + Size1)
            Expect("ExpandedSize" + v, With32(Record + 8, value), ByTotal(Size0 + Size1, expanded, Size1));
        else
            Expect("ExpandedSize" + v, With32(Record + 8, value), {Coded() ? Garbled() : std::set{BadSize}, {}, {1}, {}});

        const auto stored = static_cast<int32_t>(value);
        TOutcome storedOutcome;
        if (stored == 0)
            storedOutcome = {garbledOrCut, {}, {1}, {}};
        else // past the end: refused before it is decoded
            storedOutcome = {{Truncated}, {}, {0, 1}, {}};
        Expect("StoredSize" + v, With32(Record + 12, value), storedOutcome);
    }
}

TEST_P(DamagedArchive, TotalsAboveTheEntriesPresent)
{
    const auto sum = static_cast<uint32_t>(Size0 + Size1);
    Expect("one byte more", With32(8, sum + 1), {{Truncated}, {0, 1}, {}, {}});
    Expect("largest total", With32(8, 0x7FFFFFFF), {{Truncated}, {0, 1}, {}, {}});
    const std::vector<uint8_t> firstOnly(Base.Bytes.begin(), Base.Bytes.begin() + static_cast<long>(Base.DataEnd[0]));
    Expect("second entry missing", firstOnly, {{Truncated}, {0}, {1}, {}});
}

// Whatever is appended after a complete archive is refused, and nothing of
// it is written; entries before it are.
TEST_P(DamagedArchive, DataAppended)
{
    for (const std::vector<uint8_t>& tail :
         {Bytes("x"), Bytes("junk after the archive, more than a record's worth of it\n"), Base.Bytes}) {
        auto bytes = Base.Bytes;
        bytes.insert(bytes.end(), tail.begin(), tail.end());
        Expect("appended " + std::to_string(tail.size()), bytes, {{Trailing}, {0, 1}, {}, {}});
    }
}

INSTANTIATE_TEST_SUITE_P(EveryMethod, DamagedArchive,
                         ::testing::Values(MethodStored, MethodRLE, MethodLZH, MethodLH5),
                         [](const auto& info) { return std::string(ArchiveIdentifierOf(info.param)); });

// Names no file system should be handed: control characters (a NUL would cut
// the name short; Windows refuses the rest) are refused before anything is
// written; the longest name the format can hold is written.
TEST(DamagedArchiveNames, ControlCharactersAreRefusedAndLongNamesWritten)
{
    for (int c = 0; c < 0x20; ++c) {
        const std::string name = std::string("bad") + static_cast<char>(c) + "name";
        const auto bytes = TArchiveBuilder()
                               .Add(StoredEntry("good", Bytes("fine")))
                               .Add(StoredEntry(name, Bytes("x")))
                               .Build();
        TMemoryFileSystem disk;
        disk.Directories.insert(Root);
        TArchiver comp(disk);
        comp.SetTargetPath(Root);
        TMemoryStream stream(bytes);
        try {
            comp.ExpandArchive(stream, nullptr);
            ADD_FAILURE() << "byte " << c << " accepted";
        } catch (const EUnsafePath& e) {
            // The message shows the byte as "?", so that it cannot drive a terminal.
            EXPECT_EQ(e.Message(), "Unsafe path in archive: bad?name");
        }
        EXPECT_EQ(disk.Files.size(), 1u) << "byte " << c;
        EXPECT_TRUE(disk.FileExists(InRoot("good")));
    }

    const std::string longName(255, 'n');
    const auto bytes = TArchiveBuilder().Add(StoredEntry(longName, Bytes("long"))).Build();
    TMemoryFileSystem disk;
    disk.Directories.insert(Root);
    TArchiver comp(disk);
    comp.SetTargetPath(Root);
    TMemoryStream stream(bytes);
    comp.ExpandArchive(stream, nullptr);
    EXPECT_EQ(disk.Contents(InRoot(longName)), Bytes("long"));
}

// A kilobyte claiming the largest size the format holds: the output stops
// near what the data can hold, so neither memory nor disk nor time follows
// the claim.
TEST(DamagedArchiveLimits, AKilobyteClaimingGigabytesWritesLittle)
{
    const std::vector<uint8_t> noise = MakeRandom(1000, 3);
    const std::vector<uint8_t> zeros(1000, 0);
    for (uint8_t method : {MethodStored, MethodRLE, MethodLZH, MethodLH5})
        for (const auto* data : {&noise, &zeros}) {
            SCOPED_TRACE(std::string(ArchiveIdentifierOf(method)) + (data == &zeros ? " zeros" : " noise"));
            TRawEntry e = StoredEntry("huge", {});
            e.MethodIndex = method;
            // Noise as the stored data; or a real stream of zeros, which
            // codes small and then claims far more than it holds.
            e.Data = data == &noise ? noise : CodeWith(method, zeros);
            e.ExpandedSize = 0x7FFFFFFF;
            e.Checksum = 12345;
            const auto bytes = TArchiveBuilder(ArchiveIdentifierOf(method)).Add(e).Build();
            ASSERT_LE(bytes.size(), 1100u);
            TDiscardFileSystem disk;
            TArchiver comp(disk);
            TMemoryStream stream(bytes);
            try {
                comp.ExpandArchive(stream, nullptr);
                ADD_FAILURE() << "accepted";
            } catch (const Exception& e) {
                EXPECT_TRUE(MessageMatches({Checksum, BadTable}, e.Message())) << e.Message();
            }
            EXPECT_LT(disk.BytesWritten, 1 << 20);
        }
}

} // namespace
