// Resources read from a Windows program's bytes: found by type and name in
// any case, refused cleanly when missing or damaged, and vkar working on the
// archive inside a program.
#include <gtest/gtest.h>

#include "platform/Exception.h"
#include "platform/PEFileResources.h"
#include "tests/support/ArchiveBuilder.h"
#include "tests/support/PEImageBuilder.h"
#include "tests/support/VkarSandbox.h"

namespace {

std::vector<TPEResource> SomeResources(const std::vector<uint8_t>& archive)
{
    return {{"ICONS", "MAIN", Bytes("icon bytes")},
            {"ARCHIVE", "OTHER", Bytes("not this one")},
            {"ARCHIVE", "DATA", archive},
            {"VERSION", "DATA", Bytes("nor this")}};
}

TEST(PEResources, FoundByTypeAndNameInAnyCase)
{
    const auto image = BuildPEImage(SomeResources(Bytes("the archive"))).Bytes;
    ASSERT_TRUE(LooksLikePEImage(image));
    EXPECT_EQ(ReadPEResource(image, "ARCHIVE", "DATA"), Bytes("the archive"));
    EXPECT_EQ(ReadPEResource(image, "archive", "data"), Bytes("the archive"));
    EXPECT_EQ(ReadPEResource(image, "ARCHIVE", "OTHER"), Bytes("not this one"));
    EXPECT_EQ(ReadPEResource(image, "VERSION", "DATA"), Bytes("nor this"));
    for (const auto& [type, name] : std::vector<std::pair<std::string, std::string>>{
             {"ARCHIVE", "DAT"}, {"ARCHIV", "DATA"}, {"ICONS", "DATA"}, {"", ""}}) {
        try {
            ReadPEResource(image, type, name);
            ADD_FAILURE() << type << "/" << name << " found";
        } catch (const EResNotFound& e) {
            EXPECT_EQ(e.Message(), "Resource " + name + " not found");
        }
    }
    EXPECT_FALSE(LooksLikePEImage(Bytes("VKAR\x1A")));
    EXPECT_THROW(ReadPEResource(Bytes("VKAR\x1A"), "ARCHIVE", "DATA"), EResNotFound);
    EXPECT_THROW(ReadPEResource(image, "#24", "#1"), EResNotFound);
}

// A program's manifest is resource number 1 of type number 24, as a
// resource script writes it; numbers and names do not mix.
TEST(PEResources, FoundByNumberAsAResourceScriptNamesThem)
{
    const auto image = BuildPEImage({{"ICONS", "MAIN", Bytes("icon")},
                                     {"#24", "#2", Bytes("second manifest")},
                                     {"#24", "#1", Bytes("<assembly/>")},
                                     {"#24", "ONE", Bytes("named")},
                                     {"#3", "#1", Bytes("an icon image")},
                                     {"24", "1", Bytes("named alike")}})
                           .Bytes;
    EXPECT_EQ(ReadPEResource(image, "#24", "#1"), Bytes("<assembly/>"));
    EXPECT_EQ(ReadPEResource(image, "#24", "#2"), Bytes("second manifest"));
    EXPECT_EQ(ReadPEResource(image, "#24", "one"), Bytes("named"));
    EXPECT_EQ(ReadPEResource(image, "#3", "#1"), Bytes("an icon image"));
    EXPECT_EQ(ReadPEResource(image, "24", "1"), Bytes("named alike"));
    EXPECT_EQ(ReadPEResource(image, "ICONS", "MAIN"), Bytes("icon"));
    for (const auto& [type, name] : std::vector<std::pair<std::string, std::string>>{
             {"#24", "#3"}, {"#25", "#1"}, {"#24", "#"}, {"#", "#1"}, {"#2x", "#1"}, {"#24", "#65537"}, {"24", "#1"}})
        EXPECT_THROW(ReadPEResource(image, type, name), EResNotFound) << type << "/" << name;
}

// Every cut and every byte set to 0xFF either still finds the very bytes or
// is refused; nothing is read outside the image (the sanitizers watch).
TEST(PEResources, DamagedImagesAreRefusedNeverOverrun)
{
    const TPEImage built = BuildPEImage(SomeResources(Bytes("payload of the archive")));
    const auto& good = built.Bytes;
    const auto check = [&](const std::vector<uint8_t>& image, const std::string& label) {
        try {
            const auto found = ReadPEResource(image, "ARCHIVE", "DATA");
            EXPECT_LE(found.size(), image.size()) << label;
        } catch (const EResNotFound&) {
        }
    };
    for (size_t cut = 0; cut < good.size(); ++cut) {
        const std::vector<uint8_t> image(good.begin(), good.begin() + static_cast<long>(cut));
        try {
            EXPECT_EQ(ReadPEResource(image, "ARCHIVE", "DATA"), Bytes("payload of the archive")) << cut;
            EXPECT_GE(cut, good.size() - 22) << "found in an image cut before its data";
        } catch (const EResNotFound&) {
        }
    }
    for (size_t at = 0; at < good.size(); ++at)
        for (uint8_t value : {uint8_t{0xFF}, uint8_t{0x00}, uint8_t{0x80}}) {
            auto image = good;
            image[at] = value;
            check(image, "byte " + std::to_string(at));
        }
}

#ifndef _WIN32 // vkar is started by fork and exec
TEST(PEResources, VkarReadsTheArchiveInsideAProgram)
{
    TVkarSandbox box;
    const std::string archive = VkarRawArchive({{"readme.txt", "inside a program\n"}});
    const auto program = BuildPEImage(SomeResources(Bytes(archive))).Bytes;
    box.WriteFile("setup.exe", std::string(program.begin(), program.end()));
    box.WriteFile("plain.vkar", archive);
    const TVkarResult list = box.Run({"l", "setup.exe"});
    EXPECT_EQ(list.Status, 0);
    EXPECT_EQ(list.Out, box.Run({"l", "plain.vkar"}).Out);
    EXPECT_EQ(box.Run({"t", "setup.exe"}).Status, 0);
    const TVkarResult print = box.Run({"p", "setup.exe", "readme.txt"});
    EXPECT_EQ(print.Out, "inside a program\n");

    const auto empty = BuildPEImage({{"ICONS", "MAIN", Bytes("icon")}}).Bytes;
    box.WriteFile("other.exe", std::string(empty.begin(), empty.end()));
    const TVkarResult missing = box.Run({"l", "other.exe"});
    EXPECT_EQ(missing.Status, 1);
    EXPECT_EQ(missing.Err, "vkar: other.exe: Resource DATA not found\n");
}
#endif

} // namespace
