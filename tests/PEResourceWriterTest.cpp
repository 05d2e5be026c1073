// The resource writer, through the resource reader: every resource written
// reads back byte for byte; the rest of the image is kept and its headers
// made to match; a signature is dropped; damaged images are refused or give
// an image whose resources read back, never a read outside the input.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/CodePage.h"
#include "platform/IconFile.h"
#include "platform/PEFileResources.h"
#include "platform/PEResourceWriter.h"
#include "platform/PEVersionInfo.h"
#include "tests/support/ArchiveBuilder.h"
#include "tests/support/PEImageBuilder.h"

namespace {

uint32_t U16(const std::vector<uint8_t>& b, size_t at) { return b[at] | b[at + 1] << 8; }
uint32_t U32(const std::vector<uint8_t>& b, size_t at) { return U16(b, at) | U16(b, at + 2) << 16; }

// The stub image's fixed places (see BuildStubImage).
constexpr size_t Optional = 0x80 + 24, Directories = Optional + 96, Table = Optional + 224;
uint32_t SectionField(const std::vector<uint8_t>& image, size_t index, size_t field)
{
    return U32(image, Table + 40 * index + field);
}

std::vector<uint8_t> Pattern(size_t size, uint8_t seed)
{
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(i * 131 + seed + (i >> 9));
    return bytes;
}

std::vector<TPEResourceItem> Written()
{
    return {{"ARCHIVE", "DATA", 0x409, Pattern(70000, 1)},
            {"SETTINGS", "DATA", 0x409, Bytes("ProgramName=ZarnFTP\r\n")},
            {"#24", "#1", 0x409, Bytes("<assembly/>")},
            {"#3", "#2", 0x409, Pattern(3, 2)},
            {"#3", "#1", 0x409, Pattern(1, 3)},
            {"#14", "#1", 0x409, Pattern(20, 4)},
            {"#16", "#1", 0x407, Pattern(17, 5)},
            {"#16", "#1", 0x409, Pattern(18, 6)},
            {"Mixed", "lower case", 0, Bytes("named in any case")},
            {"EMPTY", "#7", 0, {}}};
}

using TKey = std::tuple<std::string, std::string, uint16_t>;
std::map<TKey, std::vector<uint8_t>> ByKey(const std::vector<TPEResourceItem>& items)
{
    std::map<TKey, std::vector<uint8_t>> map;
    for (const auto& item : items) {
        std::string type = item.Type, name = item.Name;
        for (std::string* text : {&type, &name})
            std::transform(text->begin(), text->end(), text->begin(), ::toupper);
        EXPECT_TRUE(map.emplace(TKey{type, name, item.Language}, item.Bytes).second) << type << "/" << name;
    }
    return map;
}

// Every resource read back as written, and the image's headers consistent.
void ExpectReadsBack(const std::vector<uint8_t>& image, const std::vector<TPEResourceItem>& written)
{
    EXPECT_EQ(ByKey(ReadAllPEResources(image)), ByKey(written));
    // By type and name the reader finds the lowest language, as written in order.
    std::map<std::pair<std::string, std::string>, const TPEResourceItem*> first;
    for (const auto& item : written) {
        const TPEResourceItem*& found = first[{item.Type, item.Name}];
        if (found == nullptr || item.Language < found->Language)
            found = &item;
    }
    for (const auto& [key, item] : first)
        EXPECT_EQ(ReadPEResource(image, key.first, key.second), item->Bytes) << key.first << "/" << key.second;

    const uint32_t fileAlign = U32(image, Optional + 36), sectionAlign = U32(image, Optional + 32);
    const uint32_t count = U16(image, 0x80 + 6);
    uint32_t end = 0, initialized = 0;
    for (uint32_t i = 0; i < count; ++i) {
        EXPECT_EQ(SectionField(image, i, 16) % fileAlign, 0u) << i;
        EXPECT_EQ(SectionField(image, i, 20) % fileAlign, 0u) << i;
        EXPECT_EQ(SectionField(image, i, 12) % sectionAlign, 0u) << i;
        EXPECT_LE(SectionField(image, i, 8), SectionField(image, i, 16)) << i;
        if (i > 0) {
            EXPECT_EQ(SectionField(image, i, 20), SectionField(image, i - 1, 20) + SectionField(image, i - 1, 16));
            EXPECT_GE(SectionField(image, i, 12), SectionField(image, i - 1, 12) + SectionField(image, i - 1, 8));
            initialized += SectionField(image, i, 16);
        }
        end = SectionField(image, i, 12) + (SectionField(image, i, 8) + sectionAlign - 1) / sectionAlign * sectionAlign;
    }
    EXPECT_EQ(U32(image, Optional + 56), end) << "image size";
    EXPECT_EQ(U32(image, Optional + 8), initialized) << "initialized data";
    EXPECT_EQ(image.size(), SectionField(image, count - 1, 20) + SectionField(image, count - 1, 16));
    EXPECT_EQ(U32(image, Directories + 16), SectionField(image, 1, 12));
    EXPECT_EQ(U32(image, Directories + 20), SectionField(image, 1, 8));
    EXPECT_EQ(U32(image, Directories + 32), 0u) << "certificate table";
    EXPECT_EQ(U32(image, Directories + 36), 0u);
    EXPECT_EQ(U32(image, Optional + 64), PEChecksum(image));
}

std::vector<TPEResource> StubResources()
{
    return {{"#24", "#1", Bytes("<assembly/>")}, {"#16", "#1", Pattern(90, 9)}, {"SETUPSTUB", "DATA", Bytes("stub")}};
}

TEST(PEResourceWriter, EveryResourceReadsBackAndTheHeadersMatch)
{
    for (const bool relocations : {true, false}) {
        const auto stub = BuildStubImage(StubResources(), {relocations, {}});
        const auto image = ReplacePEResources(stub, Written());
        ExpectReadsBack(image, Written());
        // The code and its relocations are kept; the relocations moved behind
        // the grown resources, and the directory follows them.
        EXPECT_TRUE(std::equal(stub.begin() + 0x400, stub.begin() + 0x600, image.begin() + 0x400)) << "code changed";
        if (relocations) {
            EXPECT_EQ(U32(image, Directories + 40), SectionField(image, 2, 12));
            EXPECT_GT(SectionField(image, 2, 12), SectionField(stub, 2, 12));
            const size_t from = SectionField(stub, 2, 20), to = SectionField(image, 2, 20);
            EXPECT_TRUE(std::equal(stub.begin() + from, stub.begin() + from + 0x200, image.begin() + to));
        }
        // Fewer resources than the stub held: the section shrinks again.
        const std::vector<TPEResourceItem> few = {{"ARCHIVE", "DATA", 0x409, Bytes("x")}};
        const auto small = ReplacePEResources(image, few);
        ExpectReadsBack(small, few);
        EXPECT_LT(small.size(), image.size());
    }
}

TEST(PEResourceWriter, SameInputsSameBytesAndASignatureIsDropped)
{
    const auto stub = BuildStubImage(StubResources());
    const auto first = ReplacePEResources(stub, Written());
    EXPECT_EQ(ReplacePEResources(stub, Written()), first);
    // The tree's order is the resources' own, whatever order they are given in.
    std::vector<TPEResourceItem> reversed = Written();
    std::reverse(reversed.begin(), reversed.end());
    EXPECT_EQ(ReplacePEResources(stub, reversed), first);
    // Rebuilding what was written with the same resources changes nothing.
    EXPECT_EQ(ReplacePEResources(first, Written()), first);
    // A signed stub gives the very bytes of the unsigned one.
    const auto signedStub = BuildStubImage(StubResources(), {true, Pattern(1001, 7)});
    ASSERT_NE(U32(signedStub, Directories + 32), 0u);
    EXPECT_EQ(ReplacePEResources(signedStub, Written()), first);
}

TEST(PEResourceWriter, ChecksumFoldsWordsAndAddsTheLength)
{
    auto image = BuildStubImage(StubResources());
    // Worked by hand: every word summed with its carries folded, plus the size.
    uint64_t sum = 0;
    for (size_t i = 0; i < image.size(); i += 2)
        if (i != Optional + 64 && i != Optional + 66)
            sum += U16(image, i);
    while (sum > 0xFFFF)
        sum = (sum & 0xFFFF) + (sum >> 16);
    EXPECT_EQ(PEChecksum(image), sum + image.size());
    image[Optional + 64] = 0x55; // the field itself does not count
    EXPECT_EQ(PEChecksum(image), sum + image.size());
}

TEST(PEResourceWriter, RefusedImagesAndResources)
{
    const auto stub = BuildStubImage(StubResources());
    struct TCase {
        const char* Name;
        std::vector<uint8_t> Image;
        std::vector<TPEResourceItem> Resources;
        std::string Message;
    };
    auto withByte = [&](size_t at, uint8_t value) {
        auto image = stub;
        image[at] = value;
        return image;
    };
    auto with32 = [&](size_t at, uint32_t value) {
        auto image = stub;
        for (int i = 0; i < 4; ++i)
            image[at + i] = static_cast<uint8_t>(value >> (8 * i));
        return image;
    };
    const std::vector<TPEResourceItem> one = {{"ARCHIVE", "DATA", 0, Bytes("a")}};
    const std::vector<TCase> cases = {
        {"not a program", Bytes("VKAR\x1A and more"), one, "not a Windows program"},
        {"cut in the headers", std::vector<uint8_t>(stub.begin(), stub.begin() + 0x90), one,
         "the image ends inside its headers"},
        {"PE signature", withByte(0x80, 'X'), one, "not a Windows program"},
        {"optional magic", withByte(Optional, 0x0C), one, "not a Windows program"},
        {"few directories", with32(Optional + 92, 4), one, "the image has too few data directories"},
        {"file alignment", with32(Optional + 36, 0x300), one,
         "the image's alignments are not powers of two from 512 on"},
        {"no resources", with32(Directories + 16, 0), one, "the image has no section of resources"},
        {"code after resources", with32(Directories + 40, 0x1000), one,
         "a section other than the relocations follows the resources"},
        {"section beyond the file", with32(Table + 40 * 2 + 20, 0x100000), one,
         "a section of the image is not where its header says"},
        {"section table outside the headers", with32(Optional + 60, 0x100), one,
         "the section table lies outside the headers"},
        {"bad number", stub, {{"#70000", "DATA", 0, {}}}, "bad resource number #70000"},
        {"bare #", stub, {{"#", "DATA", 0, {}}}, "bad resource number #"},
        {"non-ASCII name", stub, {{"ARCHIV\xC3\x89", "DATA", 0, {}}}, "resource names are plain ASCII"},
        {"twice", stub, {{"A", "B", 1, {}}, {"a", "b", 1, {}}}, "two resources a/b of one language"},
    };
    for (const TCase& c : cases) {
        try {
            ReplacePEResources(c.Image, c.Resources);
            ADD_FAILURE() << c.Name << ": accepted";
        } catch (const EPEImageError& e) {
            EXPECT_EQ(e.Message(), c.Message) << c.Name;
        }
    }
}

// Any byte of the headers and the section table damaged: refused, or an
// image whose resources read back (the sanitizers watch every read).
TEST(PEResourceWriter, DamagedHeadersAreRefusedOrGiveAReadableImage)
{
    const auto stub = BuildStubImage(StubResources());
    const std::vector<TPEResourceItem> resources = {{"ARCHIVE", "DATA", 0x409, Pattern(5000, 3)}};
    size_t accepted = 0, refused = 0;
    for (size_t at = 0; at < Table + 3 * 40; ++at)
        for (const uint8_t value : {uint8_t{0xFF}, uint8_t{0x00}, uint8_t{0x81}}) {
            auto image = stub;
            image[at] = value;
            try {
                const auto out = ReplacePEResources(image, resources);
                try {
                    EXPECT_EQ(ReadPEResource(out, "ARCHIVE", "DATA"), resources[0].Bytes) << at;
                } catch (const EResNotFound&) {
                    ADD_FAILURE() << "byte " << at << " set to " << int(value) << ": written but unreadable";
                }
                ++accepted;
            } catch (const EPEImageError&) {
                ++refused;
            }
        }
    EXPECT_GT(accepted, 0u);
    EXPECT_GT(refused, 0u);
    // Cut anywhere: refused, or (cut only inside the old resources) readable.
    for (size_t cut = 0; cut < stub.size(); cut += 7) {
        try {
            const auto out = ReplacePEResources(std::vector<uint8_t>(stub.begin(), stub.begin() + cut), resources);
            EXPECT_EQ(ReadPEResource(out, "ARCHIVE", "DATA"), resources[0].Bytes) << cut;
        } catch (const EPEImageError&) {
        }
    }
}

// The images the reader refuses (the reader's own test images have no
// alignments) are refused by the writer too rather than "repaired".
TEST(PEResourceWriter, ImagesTheReaderRefusesStayRefused)
{
    const auto readerImage = BuildPEImage({{"ARCHIVE", "DATA", Bytes("x")}}).Bytes;
    EXPECT_THROW(ReplacePEResources(readerImage, {}), EPEImageError);
    const auto stub = BuildStubImage(StubResources());
    for (size_t at : {size_t{0}, size_t{1}, size_t{0x3C}, size_t{0x80}})
        for (const uint8_t value : {uint8_t{0xFF}, uint8_t{0x00}}) {
            auto image = stub;
            image[at] = value;
            EXPECT_THROW(ReadAllPEResources(image), EResNotFound) << at;
            EXPECT_THROW(ReplacePEResources(image, {}), EPEImageError) << at;
        }
}

// Reading every resource for a rebuild: entries that share one data entry
// may not multiply the data past its section, and a name spelled "#..."
// would be taken for a number.
TEST(PEResources, ReadingEveryResourceRefusesSharedDataAndNumberLikeNames)
{
    const auto stub = BuildStubImage({{"AB", "BIG", Pattern(3000, 1)}, {"AB", "SMALL", Bytes("s")}});
    ASSERT_EQ(ReadAllPEResources(stub).size(), 2u);
    const size_t section = SectionField(stub, 1, 20), rva = SectionField(stub, 1, 12);
    // The data entries, by their sizes; then the language entry that names the small one.
    size_t big = 0, small = 0;
    for (size_t at = section; at + 8 <= section + SectionField(stub, 1, 8); at += 4) {
        const uint32_t dataRva = U32(stub, at);
        if (dataRva >= rva && dataRva < rva + 0x1000) {
            if (U32(stub, at + 4) == 3000)
                big = at - section;
            else if (U32(stub, at + 4) == 1)
                small = at - section;
        }
    }
    ASSERT_TRUE(big != 0 && small != 0);
    auto shared = stub;
    bool patched = false;
    for (size_t at = section; at + 4 <= section + big && !patched; at += 4)
        if (U32(shared, at) == small) {
            shared[at] = static_cast<uint8_t>(big);
            shared[at + 1] = static_cast<uint8_t>(big >> 8);
            patched = true;
        }
    ASSERT_TRUE(patched);
    EXPECT_EQ(ReadPEResource(shared, "AB", "SMALL"), Pattern(3000, 1)); // one look-up reads it once
    EXPECT_THROW(ReadAllPEResources(shared), EResNotFound);

    auto hashed = stub;
    const std::vector<uint8_t> name = {2, 0, 'A', 0, 'B', 0};
    const auto at = std::search(hashed.begin(), hashed.end(), name.begin(), name.end());
    ASSERT_NE(at, hashed.end());
    at[2] = '#';
    EXPECT_THROW(ReadAllPEResources(hashed), EResNotFound);
}

// A version block's children, walked by their lengths: key -> text value.
void WalkVersion(const std::vector<uint8_t>& b, size_t at, size_t end, const std::string& path,
                 std::map<std::string, std::string>& values)
{
    while (at + 6 <= end) {
        const size_t length = U16(b, at), valueLength = U16(b, at + 2), type = U16(b, at + 4);
        ASSERT_GE(length, 6u);
        ASSERT_LE(at + length, end) << path;
        std::string key;
        size_t p = at + 6;
        for (; U16(b, p) != 0; p += 2)
            key += static_cast<char>(U16(b, p));
        p = (p + 2 + 3) & ~size_t{3};
        if (type == 1 && valueLength > 0) {
            std::string value;
            for (size_t k = 0; k + 1 < valueLength; ++k)
                value += static_cast<char>(U16(b, p + 2 * k));
            EXPECT_EQ(U16(b, p + 2 * (valueLength - 1)), 0u) << key;
            values[path + "/" + key] = value;
            p += 2 * valueLength;
        } else {
            p += valueLength;
        }
        p = (p + 3) & ~size_t{3};
        WalkVersion(b, p, at + length, path + "/" + key, values);
        at = (at + length + 3) & ~size_t{3};
    }
}

TEST(PEVersionInfo, BlocksNestByTheirLengthsAndHoldTheTexts)
{
    TVersionInfo info;
    info.FileVersion = {2, 8, 0, 0};
    info.ProductVersion = {2, 8, 1, 65535};
    info.Strings = {{"FileDescription", "ZarnFTP 2.8.0 Setup"}, {"FileVersion", "2.8.0"}, {"Odd", "abc"}};
    const auto block = BuildVersionResource(info);
    ASSERT_EQ(U16(block, 0), block.size());
    EXPECT_EQ(U16(block, 2), 52u);
    EXPECT_EQ(U32(block, 40), 0xFEEF04BDu);
    EXPECT_EQ(U32(block, 48), 0x00020008u);
    EXPECT_EQ(U32(block, 52), 0u);
    EXPECT_EQ(U32(block, 56), 0x00020008u);
    EXPECT_EQ(U32(block, 60), 0x0001FFFFu);
    std::map<std::string, std::string> values;
    WalkVersion(block, 92, block.size(), "", values);
    EXPECT_EQ(values, (std::map<std::string, std::string>{
                          {"/StringFileInfo/040904E4/FileDescription", "ZarnFTP 2.8.0 Setup"},
                          {"/StringFileInfo/040904E4/FileVersion", "2.8.0"},
                          {"/StringFileInfo/040904E4/Odd", "abc"}}));
    EXPECT_EQ(Utf8ToUtf16Leniently("Z\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xFF"),
              (std::u16string{u'Z', 0xE9, 0x20AC, 0xD83D, 0xDE00, 0xFF}));
}

TEST(IconFile, PicturesAndTheirGroup)
{
    // Two pictures: 16x16 of 5 bytes and 32x32 of 3 bytes.
    std::vector<uint8_t> ico = {0, 0, 1, 0, 2, 0,
                                16, 16, 0, 0, 1, 0, 32, 0, 5, 0, 0, 0, 38, 0, 0, 0,
                                32, 32, 0, 0, 1, 0, 32, 0, 3, 0, 0, 0, 43, 0, 0, 0,
                                'a', 'b', 'c', 'd', 'e', 'x', 'y', 'z'};
    const auto resources = IconFileResources(ico, "#1", 0x409);
    ASSERT_EQ(resources.size(), 3u);
    EXPECT_EQ(resources[0].Type, "#3");
    EXPECT_EQ(resources[0].Name, "#1");
    EXPECT_EQ(resources[0].Bytes, Bytes("abcde"));
    EXPECT_EQ(resources[1].Name, "#2");
    EXPECT_EQ(resources[1].Bytes, Bytes("xyz"));
    EXPECT_EQ(resources[2].Type, "#14");
    EXPECT_EQ(resources[2].Bytes, (std::vector<uint8_t>{0, 0, 1, 0, 2, 0, 16, 16, 0, 0, 1, 0, 32, 0, 5, 0, 0, 0, 1, 0,
                                                         32, 32, 0, 0, 1, 0, 32, 0, 3, 0, 0, 0, 2, 0}));
    struct TCase {
        std::vector<uint8_t> File;
        std::string Message;
    };
    auto cut = ico;
    cut.resize(44);
    auto beyond = ico;
    beyond[30] = 9; // the second picture: 9 bytes from 43
    const std::vector<TCase> cases = {{Bytes("PNG"), "not an icon file"},
                                      {{0, 0, 2, 0, 1, 0}, "not an icon file"},
                                      {{0, 0, 1, 0, 0, 0}, "the icon file's directory is empty or cut short"},
                                      {std::vector<uint8_t>(ico.begin(), ico.begin() + 30),
                                       "the icon file's directory is empty or cut short"},
                                      {cut, "picture 2 lies outside the icon file"},
                                      {beyond, "picture 2 lies outside the icon file"}};
    for (const TCase& c : cases) {
        try {
            IconFileResources(c.File, "#1", 0);
            ADD_FAILURE() << c.Message << ": accepted";
        } catch (const EIconFileError& e) {
            EXPECT_EQ(e.Message(), c.Message);
        }
    }
}

} // namespace
