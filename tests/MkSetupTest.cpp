// mksetup over files in a scratch directory: the settings record as text,
// the payload's order and names, the setup program it writes (read back
// through the resource reader and the archive engine), where it finds its
// stub, and a table of the inputs it refuses, with their messages.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

#include "archive/Archiver.h"
#include "archive/ArchiveWriter.h"
#include "installer/SettingsRecord.h"
#include "platform/PEFileResources.h"
#include "platform/Stream.h"
#include "tests/support/ArchiveBuilder.h"
#include "tests/support/MemoryResources.h"
#include "tests/support/PEImageBuilder.h"
#include "tools/mksetup/MkSetup.h"
#include "tools/mksetup/SetupImage.h"

namespace fs = std::filesystem;

namespace {

const std::string SettingsFile = "; a comment\n"
                                 "ProgramName=ZarnFTP\n"
                                 "CaptionName=ZarnFTP 2.8.0\n"
                                 "TargetPath=%\\ZarnFTP\n"
                                 "ExeName=ZarnFTP.exe\n"
                                 "HelpFile=ZarnFTP.hlp\n"
                                 "Uninstaller=unzarn.exe\n"
                                 "Custom=true\n"
                                 "ShortcutDesktop=False\n"
                                 "ShortcutSendTo=TRUE\n"
                                 "ShortcutStartMenu=False\n"
                                 "RegisterExt=True\n";

const std::string Manifest = "<assembly>\n  <assemblyIdentity type=\"win32\" name=\"Zarn.ZarnFTP.Setup\" "
                             "version=\"0.0.0.0\"/>\n  <description>stub</description>\n</assembly>\n";

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

TEST(SettingsRecord, ParsedAndWrittenBackTheSame)
{
    const TSettingsFile file = ParseSettingsText(SettingsFile + "Order= b.txt ;a.txt;;\r\n");
    const TSetupControl& s = file.Settings;
    EXPECT_EQ(s.CaptionName, "ZarnFTP 2.8.0");
    EXPECT_EQ(s.TargetPath, "%\\ZarnFTP");
    EXPECT_EQ((std::vector<bool>{s.Custom, s.ShortcutDesktop, s.ShortcutSendTo, s.ShortcutStartMenu, s.RegisterExt}),
              (std::vector<bool>{true, false, true, false, true}));
    EXPECT_EQ(file.Order, (std::vector<std::string>{"b.txt", "a.txt"}));
    const std::string text = SettingsText(s);
    EXPECT_EQ(text.substr(0, 36), "ProgramName=ZarnFTP\r\nCaptionName=Zar");
    const TSetupControl again = ParseSettingsText(text).Settings;
    EXPECT_EQ(SettingsText(again), text);
    EXPECT_TRUE(ParseSettingsText(text).Order.empty());

    // The project's own file is a complete record.
    std::ifstream own(std::string(ZARN_SOURCE_DIR) + "/resources/settings.ini", std::ios::binary);
    const TSettingsFile project = ParseSettingsText(std::string(std::istreambuf_iterator<char>(own), {}));
    EXPECT_EQ(project.Settings.CaptionName, TSetupControl().CaptionName);
    EXPECT_EQ(project.Order.size(), 6u);
}

TEST(SettingsRecord, IncompleteRecordsNameTheirFault)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {Replace(SettingsFile, "HelpFile=ZarnFTP.hlp\n", ""), "HelpFile is missing"},
        {Replace(SettingsFile, "Custom=true\n", ""), "Custom is missing"},
        {SettingsFile + "Colour=Blue\n", "unknown setting Colour"},
        {SettingsFile + "ExeName=Other.exe\n", "ExeName is given twice"},
        {Replace(SettingsFile, "Custom=true", "Custom=yes"), "Custom must be True or False"},
        {SettingsFile + "no equals sign\n", "not a Name=Value line: no equals sign"},
        {SettingsFile + "=value\n", "not a Name=Value line: =value"},
        {SettingsFile + "Program Name=x\n", "not a Name=Value line: Program Name=x"},
        {"", "ProgramName is missing"},
    };
    for (const auto& [text, message] : cases) {
        try {
            ParseSettingsText(text);
            ADD_FAILURE() << message << ": accepted";
        } catch (const ESettingsError& e) {
            EXPECT_EQ(e.Message(), message);
        }
    }
}

TEST(SettingsRecord, TheProgramsOwnRecord)
{
    TMemoryResources resources;
    EXPECT_THROW(EmbeddedSettings(resources), ENoSettingsRecord);
    resources.Add("SETTINGS", "DATA", Bytes(SettingsFile));
    EXPECT_EQ(EmbeddedSettings(resources).CaptionName, "ZarnFTP 2.8.0");
    resources.Add("SETTINGS", "DATA", Bytes("ProgramName=x\r\n"));
    EXPECT_THROW(EmbeddedSettings(resources), ESettingsError);
}

TEST(SetupVersion, FromTheOptionOrTheCaptionsLastWord)
{
    EXPECT_EQ(ParseVersion("2.8.0"), (std::array<uint16_t, 4>{2, 8, 0, 0}));
    EXPECT_EQ(ParseVersion("65535.1.2.3"), (std::array<uint16_t, 4>{65535, 1, 2, 3}));
    EXPECT_EQ(ParseVersion("7"), (std::array<uint16_t, 4>{7, 0, 0, 0}));
    for (const char* bad : {"", "2.8.", ".2", "2..8", "1.2.3.4.5", "65536", "2.8.0a", "v2", "2,8", "000001"})
        EXPECT_THROW(ParseVersion(bad), EMkSetupError) << bad;
    TSetupImageInput input;
    input.Settings.CaptionName = "ZarnFTP 2.8.0";
    EXPECT_EQ(VersionText(input), "2.8.0");
    input.Version = "3.0.1.7";
    EXPECT_EQ(VersionText(input), "3.0.1.7");
    input.Version.clear();
    input.Settings.CaptionName = "ZarnFTP Deluxe";
    try {
        VersionText(input);
        ADD_FAILURE() << "a caption without a version accepted";
    } catch (const EMkSetupError& e) {
        EXPECT_EQ(e.Message(), "CaptionName \"ZarnFTP Deluxe\" does not end in a version such as 2.8.0; give --version");
    }
}

// A scratch directory with a stub, its unzarn.exe, settings and a payload.
class MkSetup : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::random_device random;
        do
            Dir = fs::temp_directory_path() / ("mksetup-test-" + std::to_string(random()));
        while (!fs::create_directory(Dir));
        fs::create_directories(Dir / "payload");
        Write("stub.exe", Stub());
        Write("unzarn.exe", "the built uninstaller");
        Write("settings.ini", SettingsFile + "Order=ZarnFTP.exe;readme.txt\n");
        Write("payload/ZarnFTP.exe", std::string(3000, 'Z'));
        Write("payload/README.TXT", "read me");
        Write("payload/b.txt", "bee");
        Write("payload/A.txt", "ay");
    }
    void TearDown() override { fs::remove_all(Dir); }

    static std::string Stub(const std::vector<TPEResource>& extra = {}, bool marked = true, bool manifest = true)
    {
        std::vector<TPEResource> resources = {{"#3", "#1", Bytes("icon picture")},
                                              {"#14", "#1", Bytes("icon group")},
                                              {"#16", "#1", Bytes("old version")}};
        if (manifest)
            resources.push_back({"#24", "#1", Bytes(Manifest)});
        if (marked)
            resources.push_back({"SETUPSTUB", "DATA", Bytes("stub")});
        resources.insert(resources.end(), extra.begin(), extra.end());
        const auto image = BuildStubImage(resources);
        return std::string(image.begin(), image.end());
    }
    void Write(const std::string& name, const std::string& bytes)
    {
        std::ofstream(Dir / name, std::ios::binary) << bytes;
    }
    std::vector<uint8_t> Read(const std::string& name)
    {
        std::ifstream in(Dir / name, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    }
    std::string P(const std::string& name) { return (Dir / name).string(); }
    // Runs mksetup as if it lay at self; status, and what it printed.
    int Run(std::vector<std::string> args, std::string* err = nullptr, const std::string& self = "")
    {
        std::ostringstream out, errors;
        const int status = RunMkSetup(args, self.empty() ? P("bin/mksetup") : self, out, errors);
        if (err)
            *err = errors.str();
        return status;
    }
    std::vector<std::string> Standard(const std::string& output = "setup.exe")
    {
        return {"--stub", P("stub.exe"), "-s", P("settings.ini"), "-o", P(output), P("payload")};
    }

    fs::path Dir;
};

std::vector<std::string> EntryNames(const std::vector<uint8_t>& archive)
{
    TArchiver archiver;
    TReadOnlyMemoryStream stream(archive.data(), static_cast<int64_t>(archive.size()));
    TStringList list;
    archiver.ListArchiveContents(stream, list);
    std::vector<std::string> names;
    for (int i = 0; i < list.Count(); ++i)
        names.push_back(list[i]);
    return names;
}

TEST_F(MkSetup, WritesTheStubWithArchiveSettingsVersionAndManifest)
{
    std::string err;
    ASSERT_EQ(Run(Standard(), &err), 0) << err;
    const std::vector<uint8_t> image = Read("setup.exe");
    // The order line first (any case), the rest sorted; unzarn.exe from beside the stub.
    const std::vector<uint8_t> archive = ReadPEResource(image, "ARCHIVE", "DATA");
    EXPECT_EQ(EntryNames(archive),
              (std::vector<std::string>{"ZarnFTP.exe", "README.TXT", "A.txt", "b.txt", "unzarn.exe"}));
    EXPECT_EQ(std::string(archive.begin() + 5, archive.begin() + 8), "LZH");
    const std::vector<uint8_t> settings = ReadPEResource(image, "SETTINGS", "DATA");
    EXPECT_EQ(std::string(settings.begin(), settings.end()), SettingsText(ParseSettingsText(SettingsFile).Settings));
    const std::vector<uint8_t> manifest = ReadPEResource(image, "#24", "#1");
    EXPECT_EQ(std::string(manifest.begin(), manifest.end()),
              Replace(Replace(Manifest, "version=\"0.0.0.0\"", "version=\"2.8.0.0\""), ">stub<",
                      ">ZarnFTP 2.8.0 Setup<"));
    const std::vector<uint8_t> version = ReadPEResource(image, "#16", "#1");
    ASSERT_GT(version.size(), 56u);
    EXPECT_EQ(version[50], 2);
    EXPECT_EQ(version[48], 8);
    EXPECT_EQ(ReadPEResource(image, "#3", "#1"), Bytes("icon picture")); // ours by default: the stub's
    EXPECT_EQ(ReadPEResource(image, "SETUPSTUB", "DATA"), Bytes("stub"));

    // The same inputs, the same bytes; another method, another archive.
    ASSERT_EQ(Run(Standard("again.exe")), 0);
    EXPECT_EQ(Read("again.exe"), image);
    std::vector<std::string> lh5 = Standard("lh5.exe");
    lh5.insert(lh5.begin(), {"-m", "LH5"});
    ASSERT_EQ(Run(lh5), 0);
    const std::vector<uint8_t> lh5Archive = ReadPEResource(Read("lh5.exe"), "ARCHIVE", "DATA");
    EXPECT_EQ(std::string(lh5Archive.begin() + 5, lh5Archive.begin() + 8), "LH5");
}

TEST_F(MkSetup, IconVersionAndThePayloadsOwnUninstaller)
{
    Write("payload/unzarn.exe", "the payload's own");
    Write("icon.ico", std::string("\0\0\1\0\1\0\x10\x10\0\0\1\0\x20\0\3\0\0\0\x16\0\0\0new", 25));
    std::vector<std::string> args = Standard();
    args.insert(args.begin(), {"--icon", P("icon.ico"), "--version", "2.8.1.9"});
    std::string err;
    ASSERT_EQ(Run(args, &err), 0) << err;
    const std::vector<uint8_t> image = Read("setup.exe");
    EXPECT_EQ(ReadPEResource(image, "#3", "#1"), Bytes("new"));
    EXPECT_EQ(ReadPEResource(image, "#14", "#1").size(), 6u + 14u);
    const std::vector<uint8_t> version = ReadPEResource(image, "#16", "#1");
    EXPECT_EQ(version[52] | version[54] << 16, 9 | 1 << 16); // 2.8.1.9: least significant half
    TArchiver archiver;
    const std::vector<uint8_t> archive = ReadPEResource(image, "ARCHIVE", "DATA");
    EXPECT_EQ(EntryNames(archive).back(), "unzarn.exe");
    const std::string manifest = [&] {
        const auto m = ReadPEResource(image, "#24", "#1");
        return std::string(m.begin(), m.end());
    }();
    EXPECT_NE(manifest.find("version=\"2.8.1.9\""), std::string::npos);
}

// Beside itself, then where "cmake --install" puts the stub; --stub wins.
TEST_F(MkSetup, FindsItsStubBesideItselfOrInstalled)
{
    std::vector<std::string> args = Standard();
    args.erase(args.begin(), args.begin() + 2);
    std::string err;
    EXPECT_EQ(Run(args, &err, P("prefix/bin/mksetup")), 1);
    EXPECT_EQ(err, "mksetup: no setup-stub.exe beside mksetup or in ../share/zarnftp-setup; name one with --stub\n");
    EXPECT_FALSE(fs::exists(P("setup.exe")));

    fs::create_directories(Dir / "prefix/share/zarnftp-setup");
    fs::copy_file(P("stub.exe"), P("prefix/share/zarnftp-setup/setup-stub.exe"));
    fs::copy_file(P("unzarn.exe"), P("prefix/share/zarnftp-setup/unzarn.exe"));
    EXPECT_EQ(Run(args, &err, P("prefix/bin/mksetup")), 0) << err;
    const std::vector<uint8_t> installed = Read("setup.exe");

    fs::create_directories(Dir / "tree");
    Write("tree/setup-stub.exe", Stub({{"EXTRA", "ONE", Bytes("beside")}}));
    fs::copy_file(P("unzarn.exe"), P("tree/unzarn.exe"));
    EXPECT_EQ(Run(args, &err, P("tree/mksetup")), 0) << err;
    EXPECT_EQ(ReadPEResource(Read("setup.exe"), "EXTRA", "ONE"), Bytes("beside"));
    EXPECT_EQ(Run(Standard(), &err, P("tree/mksetup")), 0) << err;
    EXPECT_EQ(Read("setup.exe"), installed);
}

TEST_F(MkSetup, RefusesWithAMessageAndLeavesNoOutput)
{
    Write("setup-program.exe", Stub({{"ARCHIVE", "DATA", Bytes("x")}}));
    Write("unmarked.exe", Stub({}, false));
    Write("no-manifest.exe", Stub({}, true, false));
    Write("no-version-caption.ini", Replace(SettingsFile, "ZarnFTP 2.8.0", "ZarnFTP"));
    Write("unknown.ini", SettingsFile + "Colour=Blue\n");
    Write("missing.ini", Replace(SettingsFile, "Uninstaller=unzarn.exe\n", ""));
    Write("order.ini", SettingsFile + "Order=ZarnFTP.exe;nothere.txt\n");
    Write("twice.ini", SettingsFile + "Order=a.txt;A.TXT\n");
    Write("bad.ico", "not an icon");
    Write("uninstaller.ini", Replace(SettingsFile, "Uninstaller=unzarn.exe", "Uninstaller=..\\unzarn.exe"));
    Write("text.exe", "MZ but nothing more");
    fs::create_directories(Dir / "empty");
    fs::create_directories(Dir / "sub/inner");
    Write("sub/ZarnFTP.exe", "z");
    fs::create_directories(Dir / "device");
    Write("device/ZarnFTP.exe", "z");
    Write("device/aux.txt", "a");
    fs::create_directories(Dir / "trailing");
    Write("trailing/ZarnFTP.exe", "z");
    Write("trailing/notes.", "a");
    fs::create_directories(Dir / "case");
    Write("case/ZarnFTP.exe", "z");
    Write("case/zarnftp.EXE", "a");
    fs::create_directories(Dir / "noexe");
    Write("noexe/other.exe", "o");

    const std::string d = Dir.string() + "/";
    struct TCase {
        std::vector<std::string> Args;
        std::string Message;
    };
    const auto with = [&](const std::string& option, const std::string& value) {
        std::vector<std::string> args = Standard();
        for (size_t i = 0; i + 1 < args.size(); ++i)
            if (args[i] == option) {
                args[i + 1] = value;
                return args;
            }
        args.insert(args.begin(), {option, value});
        return args;
    };
    const auto payload = [&](const std::string& dir) {
        std::vector<std::string> args = Standard();
        args.back() = d + dir;
        return args;
    };
    const std::vector<TCase> cases = {
        {{"-s", d + "settings.ini", d + "payload"}, "no output file (-o)"},
        {{"-o", d + "setup.exe", d + "payload"}, "no settings file (-s)"},
        {with("-m", "RLE"), "unknown method RLE (LZH, LH5 or best)"},
        {with("--colour", "x"), "unknown option --colour"},
        {with("-s", d + "nosuch.ini"), "cannot read the settings file " + d + "nosuch.ini"},
        {with("-s", d + "unknown.ini"), d + "unknown.ini: unknown setting Colour"},
        {with("-s", d + "missing.ini"), d + "missing.ini: Uninstaller is missing"},
        {with("-s", d + "no-version-caption.ini"),
         "CaptionName \"ZarnFTP\" does not end in a version such as 2.8.0; give --version"},
        {with("--version", "2.8.x"), "\"2.8.x\" is not a version of 1 to 4 numbers such as 2.8.0"},
        {with("--stub", d + "nosuch.exe"), "cannot read the stub " + d + "nosuch.exe"},
        {with("--stub", d + "settings.ini"),
         d + "settings.ini is not a setup stub: not a Windows program with readable resources"},
        {with("--stub", d + "text.exe"), d + "text.exe is not a setup stub: not a Windows program with readable resources"},
        {with("--stub", d + "unmarked.exe"), d + "unmarked.exe is not a setup stub: it has no SETUPSTUB resource"},
        {with("--stub", d + "no-manifest.exe"), d + "no-manifest.exe is not a setup stub: it has no manifest"},
        {with("--stub", d + "setup-program.exe"), d + "setup-program.exe is a setup program already, not a setup stub"},
        {with("--icon", d + "bad.ico"), "the icon: not an icon file"},
        {payload("nosuch"), "the payload directory " + d + "nosuch does not exist"},
        {payload("empty"), "the payload directory " + d + "empty is empty"},
        {payload("sub"), "payload inner is not a regular file (the setup program installs the files of one directory)"},
        {payload("device"), "payload file \"aux.txt\": the installer would refuse this name"},
        {payload("trailing"), "payload file \"notes.\": the installer would refuse this name"},
        {payload("case"), "payload files ZarnFTP.exe and zarnftp.EXE are one name on Windows"},
        {payload("noexe"), "the payload holds no ZarnFTP.exe (ExeName)"},
        {with("-s", d + "order.ini"), "Order names nothere.txt, which is not in the payload"},
        {with("-s", d + "uninstaller.ini"), "Uninstaller \"..\\unzarn.exe\": the installer would refuse this name"},
        {with("-s", d + "twice.ini"), "Order names A.TXT twice"},
        {with("-o", d + "payload/README.TXT"), "the output " + d + "payload/README.TXT is one of the inputs (" + d +
                                                   "payload/README.TXT)"},
        {with("-o", d + "stub.exe"), "the output " + d + "stub.exe is one of the inputs (" + d + "stub.exe)"},
        {with("-o", d + "settings.ini"), "the output " + d + "settings.ini is one of the inputs (" + d + "settings.ini)"},
    };
    for (const TCase& c : cases) {
        const auto before = fs::last_write_time(P("stub.exe"));
        std::string err;
        EXPECT_EQ(Run(c.Args, &err), 1) << c.Message;
        EXPECT_EQ(err.substr(0, err.find('\n')), "mksetup: " + c.Message);
        EXPECT_FALSE(fs::exists(P("setup.exe"))) << c.Message;
        EXPECT_EQ(fs::last_write_time(P("stub.exe")), before);
    }
    EXPECT_EQ(Read("payload/README.TXT"), Bytes("read me"));
    for (const auto& entry : fs::directory_iterator(Dir))
        EXPECT_EQ(entry.path().string().find("mksetup-new"), std::string::npos) << entry.path();

    // Without the built uninstaller beside the stub, the payload must hold one.
    fs::remove(P("unzarn.exe"));
    std::string err;
    EXPECT_EQ(Run(Standard(), &err), 1);
    EXPECT_EQ(err, "mksetup: no unzarn.exe: put one in the payload directory or beside the stub\n");
}

} // namespace
