// mksetup over files in a scratch directory: the settings record as text,
// the payload's order and names, the setup program it writes (read back
// through the resource reader and the archive engine), where it finds its
// stub, and a table of the inputs it refuses, with their messages.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <sstream>

#include <chrono>

#include "archive/Archiver.h"
#include "archive/ArchiveWriter.h"
#include "installer/SettingsRecord.h"
#include "platform/PEFileResources.h"
#include "platform/Stream.h"
#include "platform/DosDateTime.h"
#include "platform/PathRules.h"
#include "tests/support/ArchiveBuilder.h"
#include "tests/support/MemoryFileSystem.h"
#include "tests/support/MemoryResources.h"
#include "tests/support/PEImageBuilder.h"
#include "tools/mksetup/MkSetup.h"
#include "tools/mksetup/SetupImage.h"
#include "tools/mksetup/SetupPayload.h"
#include "platform/CodePage.h"

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

TEST(SettingsRecord, ByteOrderMarkBlanksAndTheOptionalValues)
{
    const TSetupControl plain = ParseSettingsText(SettingsFile).Settings;
    const std::string spaced = Replace(Replace(SettingsFile, "ProgramName=ZarnFTP", "  ProgramName =  ZarnFTP "),
                                       "Custom=true", "Custom\t= true");
    const TSetupControl marked = ParseSettingsText("\xEF\xBB\xBF" + spaced).Settings;
    EXPECT_EQ(SettingsText(marked), SettingsText(plain));
    EXPECT_TRUE(marked.Custom);

    // Left out, the optional values are empty and the record's text has none of them.
    EXPECT_EQ(plain.Version + plain.Publisher + plain.Copyright + plain.URL, "");
    const TSetupControl full = ParseSettingsText(SettingsFile + "URL = https://zarn.example\nPublisher=Zarn Software\n"
                                                                "Copyright=(c) 2026 Zarn\nVersion=3.1.0\n")
                                   .Settings;
    EXPECT_EQ(full.Publisher, "Zarn Software");
    EXPECT_EQ(full.URL, "https://zarn.example");
    const std::string text = SettingsText(full);
    EXPECT_EQ(text.substr(SettingsText(plain).size()),
              "Version=3.1.0\r\nPublisher=Zarn Software\r\nCopyright=(c) 2026 Zarn\r\nURL=https://zarn.example\r\n");
    EXPECT_EQ(SettingsText(ParseSettingsText(text).Settings), text);
    EXPECT_THROW(ParseSettingsText(SettingsFile + "URL=a\nURL=b\n"), ESettingsError);
}

TEST(SettingsRecord, TheProgramsOwnRecord)
{
    TMemoryResources resources;
    EXPECT_THROW(EmbeddedSettings(resources, cpWestern), ENoSettingsRecord);
    resources.Add("SETTINGS", "DATA", Bytes(SettingsFile));
    EXPECT_EQ(EmbeddedSettings(resources, cpWestern).CaptionName, "ZarnFTP 2.8.0");
    resources.Add("SETTINGS", "DATA", Bytes("ProgramName=x\r\n"));
    EXPECT_THROW(EmbeddedSettings(resources, cpWestern), ESettingsError);

    // The texts are read in the record's own code page wherever it runs; a
    // record that names none is in the system's.
    const std::string zarn = Replace(SettingsFile, "ProgramName=ZarnFTP", "ProgramName=Z\xE4rnFTP");
    resources.Add("SETTINGS", "DATA", Bytes(zarn + "CodePage=1252\r\n"));
    const TSetupControl western = EmbeddedSettings(resources, cpJapanese);
    EXPECT_EQ(western.ProgramName, "Z\xC3\xA4rnFTP");
    EXPECT_EQ(western.CodePage, cpWestern);
    resources.Add("SETTINGS", "DATA", Bytes(zarn));
    EXPECT_EQ(EmbeddedSettings(resources, cpWestern).ProgramName, "Z\xC3\xA4rnFTP");
    EXPECT_EQ(EmbeddedSettings(resources, cpWestern).CodePage, cpWestern);
    for (const char* bad : {"CodePage=\r\n", "CodePage=0\r\n", "CodePage=x1252\r\n", "CodePage=70000\r\n"})
        EXPECT_THROW(ParseSettingsText(SettingsFile + bad), ESettingsError) << bad;
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

TEST(PathRules, EveryFormOfAWindowsDeviceName)
{
    std::vector<std::string> devices = {"CON", "con", "Prn", "aux", "NUL", "CONIN$", "conout$", "nul.txt", "NUL .txt",
                                        "aux.tar.gz", "con:stream", "COM\xC2\xB9", "lpt\xC2\xB3.log", "COM\xB2",
                                        "LPT\xB9.txt"};
    for (const char* stem : {"COM", "com", "LPT", "Lpt"})
        for (char digit = '0'; digit <= '9'; ++digit)
            devices.push_back(std::string(stem) + digit + (digit % 2 ? ".txt" : ""));
    for (const std::string& name : devices)
        EXPECT_TRUE(IsWindowsDeviceName(name)) << name;
    for (const char* name : {"CONSOLE", "con1", "COM10", "LPT", "COM", "xCON", "NUL_", "CONIN", "CONOUT$$", "COM\xC2\xB4",
                             "COM\xB4", "readme.con", "aux-tools.txt", "", ".", "COM1x"})
        EXPECT_FALSE(IsWindowsDeviceName(name)) << name;
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
        Write("unzarn.exe", Uninstaller("the built uninstaller"));
        Write("settings.ini", SettingsFile + "Order=ZarnFTP.exe;readme.txt\n");
        Write("payload/ZarnFTP.exe", std::string(3000, 'Z'));
        Write("payload/README.TXT", "read me");
        Write("payload/b.txt", "bee");
        Write("payload/A.txt", "ay");
        Write("payload/whatsnew.txt", "new");
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
    // An uninstaller program: its manifest, its own version and a mark to tell it by.
    static std::string Uninstaller(const std::string& mark)
    {
        const auto image = BuildStubImage(
            {{"#24", "#1", Bytes("uninstaller manifest")}, {"#16", "#1", Bytes("2.7.4")}, {"MARK", "#1", Bytes(mark)}});
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

// The archive's entries expanded: name, bytes and date.
std::map<std::string, TMemoryFileSystem::TFile> Expanded(const std::vector<uint8_t>& archive)
{
    const std::string root = PathDelim == '/' ? "/x" : "X:\\x";
    TMemoryFileSystem disk;
    disk.Directories.insert(root);
    TArchiver archiver(disk);
    archiver.SetTargetPath(root);
    TMemoryStream stream(archive);
    archiver.ExpandArchive(stream, nullptr);
    std::map<std::string, TMemoryFileSystem::TFile> files;
    for (const auto& [path, file] : disk.Files)
        files[path.substr(root.size() + 1)] = file;
    return files;
}

// One string of a version resource's table (ASCII and Latin-1 texts).
std::string VersionString(const std::vector<uint8_t>& resource, const std::string& name)
{
    std::string key;
    for (const char c : name + '\0')
        key += std::string{c, '\0'};
    const std::string bytes(resource.begin(), resource.end());
    const size_t at = bytes.find(key);
    if (at == std::string::npos || at < 6)
        return "(none)";
    const size_t units = static_cast<uint8_t>(bytes[at - 4]) | static_cast<uint8_t>(bytes[at - 3]) << 8;
    size_t value = (at + key.size() + 3) & ~size_t(3);
    std::u16string text;
    for (size_t i = 0; i + 1 < units && value + 1 < bytes.size(); ++i, value += 2)
        text += char16_t(static_cast<uint8_t>(bytes[value]) | static_cast<uint8_t>(bytes[value + 1]) << 8);
    return Utf16ToUtf8(text);
}

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
              (std::vector<std::string>{"ZarnFTP.exe", "README.TXT", "A.txt", "b.txt", "unzarn.exe", "whatsnew.txt"}));
    EXPECT_EQ(std::string(archive.begin() + 5, archive.begin() + 8), "LZH");
    const std::vector<uint8_t> settings = ReadPEResource(image, "SETTINGS", "DATA");
    // The record, with the version the Uninstall key is to show.
    EXPECT_EQ(std::string(settings.begin(), settings.end()),
              SettingsText(ParseSettingsText(SettingsFile).Settings) + "Version=2.8.0\r\nCodePage=1252\r\n");
    const std::vector<uint8_t> manifest = ReadPEResource(image, "#24", "#1");
    EXPECT_EQ(std::string(manifest.begin(), manifest.end()),
              Replace(Replace(Manifest, "version=\"0.0.0.0\"", "version=\"2.8.0.0\""), ">stub<",
                      ">ZarnFTP 2.8.0 Setup<"));
    const std::vector<uint8_t> version = ReadPEResource(image, "#16", "#1");
    ASSERT_GT(version.size(), 56u);
    EXPECT_EQ(version[50], 2);
    EXPECT_EQ(version[48], 8);
    EXPECT_EQ(VersionString(version, "ProductName"), "ZarnFTP");
    EXPECT_EQ(VersionString(version, "FileDescription"), "ZarnFTP 2.8.0 Setup");
    EXPECT_EQ(VersionString(version, "ProductVersion"), "2.8.0");
    EXPECT_EQ(VersionString(version, "CompanyName"), "(none)"); // no Publisher given
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
    Write("payload/unzarn.exe", Uninstaller("the payload's own"));
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
    // The payload's own uninstaller, saying the release's version.
    const auto files = Expanded(ReadPEResource(image, "ARCHIVE", "DATA"));
    ASSERT_EQ(files.count("unzarn.exe"), 1u);
    const std::vector<uint8_t>& uninstaller = *files.at("unzarn.exe").Bytes;
    EXPECT_EQ(ReadPEResource(uninstaller, "MARK", "#1"), Bytes("the payload's own"));
    EXPECT_EQ(ReadPEResource(uninstaller, "#24", "#1"), Bytes("uninstaller manifest"));
    EXPECT_EQ(VersionString(ReadPEResource(uninstaller, "#16", "#1"), "FileVersion"), "2.8.1.9");
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
    Write("uninst.ini", Replace(SettingsFile, "Uninstaller=unzarn.exe", "Uninstaller=uninst.exe"));
    Write("colon.ini", Replace(SettingsFile, "ProgramName=ZarnFTP", "ProgramName=ZarnFTP: Pro"));
    Write("codepage.ini", SettingsFile + "CodePage=932\n");
    Write("noname.ini", Replace(SettingsFile, "ProgramName=ZarnFTP", "ProgramName="));
    Write("slash.ini", Replace(SettingsFile, "ProgramName=ZarnFTP", "ProgramName=Zarn\\FTP"));
    Write("dot.ini", Replace(SettingsFile, "ProgramName=ZarnFTP", "ProgramName=ZarnFTP."));
    Write("latin1.ini", Replace(SettingsFile, "ProgramName=ZarnFTP", "ProgramName=Z\xE4rn"));
    Write("japanese.ini", Replace(SettingsFile, "ProgramName=ZarnFTP", "ProgramName=Zarn \xE6\x97\xA5\xE6\x9C\xAC"));
    Write("text.exe", "MZ but nothing more");
    fs::create_directories(Dir / "empty");
    fs::create_directories(Dir / "sub/inner");
    Write("sub/ZarnFTP.exe", "z");
    const auto payloadWith = [&](const std::string& dir, const std::vector<std::string>& names) {
        fs::create_directories(Dir / dir);
        for (const std::string& name : {std::string("ZarnFTP.exe"), std::string("whatsnew.txt")})
            Write(dir + "/" + name, "z");
        for (const std::string& name : names)
            Write(dir + "/" + name, "a");
    };
    payloadWith("device", {"aux.txt"});
    payloadWith("conin", {"CONIN$"});
    payloadWith("superscript", {"COM\xC2\xB9"});
    payloadWith("lpt0", {"lpt0.log"});
    payloadWith("blank", {"nul .txt"});
    payloadWith("trailing", {"notes."});
    payloadWith("case", {"zarnftp.EXE"});
    payloadWith("umlauts", {"Z\xC3\x84RN.txt", "z\xC3\xA4rn.txt"});
    payloadWith("japanese", {"\xE6\x97\xA5\xE6\x9C\xAC.txt"});
    payloadWith("notutf8", {"Z\xE4rn.txt"});
    fs::create_directories(Dir / "noexe");
    Write("noexe/other.exe", "o");
    fs::create_directories(Dir / "nowhatsnew");
    Write("nowhatsnew/ZarnFTP.exe", "z");
    payloadWith("textuninstaller", {"unzarn.exe", "README.TXT"});

    const std::string d = Dir.string() + "/";
    struct TCase {
        std::vector<std::string> Args;
        std::string Message;
        int Status = 1;
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
    const std::string noSuchFile = std::strerror(ENOENT);
    const std::string device = "\": Windows keeps this name for a device";
    const std::string plainName = "\": the uninstaller would refuse it; give a plain name: not empty, none of "
                                  "\\ / : * ? \" < > |, no blank at either end, no dot at the end";
    const std::vector<TCase> cases = {
        // Command lines mksetup cannot follow: status 2, the usage after the message.
        {{"-s", d + "settings.ini", d + "payload"}, "no output file (-o)", 2},
        {{"-o", d + "setup.exe", d + "payload"}, "no settings file (-s)", 2},
        {{"-s", d + "settings.ini", "-o", d + "setup.exe"}, "no payload directory", 2},
        {{"-o", d + "setup.exe", "-s"}, "-s needs a value", 2},
        {with("-m", "RLE"), "unknown method RLE (LZH, LH5 or best)", 2},
        {with("--colour", "x"), "unknown option --colour", 2},
        {with("--codepage", "x1"), "--codepage x1: not a code page this system can convert", 2},
        {with("--codepage", "0"), "--codepage 0: not a code page this system can convert", 2},
        {[&] {
             auto args = Standard();
             args.push_back(d + "empty");
             return args;
         }(),
         "one payload directory only", 2},
        // Files, with the system's reason.
        {with("-s", d + "nosuch.ini"), "cannot read the settings file " + d + "nosuch.ini: " + noSuchFile},
        {with("-s", d + "empty"), "cannot read the settings file " + d + "empty: it is a directory"},
        {with("--stub", d + "nosuch.exe"), "cannot read the stub " + d + "nosuch.exe: " + noSuchFile},
        {with("-o", d + "empty"), "cannot write " + d + "empty: it is a directory"},
        {with("-o", d + "nosuch/setup.exe"),
         "cannot write " + d + "nosuch/setup.exe: the folder " + d + "nosuch does not exist"},
        {with("-o", d + "payload/setup.exe"),
         "the output " + d + "payload/setup.exe lies inside the payload directory " + d + "payload"},
        {with("-o", d + "payload/README.TXT"),
         "the output " + d + "payload/README.TXT lies inside the payload directory " + d + "payload"},
        {with("-o", d + "stub.exe"), "the output " + d + "stub.exe is one of the inputs (" + d + "stub.exe)"},
        {with("-o", d + "settings.ini"), "the output " + d + "settings.ini is one of the inputs (" + d + "settings.ini)"},
        // Settings.
        {with("-s", d + "unknown.ini"), d + "unknown.ini: unknown setting Colour"},
        {with("-s", d + "missing.ini"), d + "missing.ini: Uninstaller is missing"},
        {with("-s", d + "no-version-caption.ini"),
         "CaptionName \"ZarnFTP\" does not end in a version such as 2.8.0; give --version"},
        {with("--version", "2.8.x"), "\"2.8.x\" is not a version of 1 to 4 numbers such as 2.8.0"},
        {with("-s", d + "uninstaller.ini"),
         d + "uninstaller.ini: Uninstaller \"..\\unzarn.exe\": the installer places and registers the uninstaller "
             "as unzarn.exe; name it so"},
        {with("-s", d + "uninst.ini"),
         d + "uninst.ini: Uninstaller \"uninst.exe\": the installer places and registers the uninstaller as "
             "unzarn.exe; name it so"},
        {with("-s", d + "colon.ini"), d + "colon.ini: ProgramName \"ZarnFTP: Pro" + plainName},
        {with("-s", d + "codepage.ini"), d + "codepage.ini: CodePage is not a setting of the file: give --codepage 932"},
        {with("-s", d + "noname.ini"), d + "noname.ini: ProgramName \"" + plainName},
        {with("-s", d + "slash.ini"), d + "slash.ini: ProgramName \"Zarn\\FTP" + plainName},
        {with("-s", d + "dot.ini"), d + "dot.ini: ProgramName \"ZarnFTP." + plainName},
        {with("-s", d + "latin1.ini"), d + "latin1.ini: line 2 is not UTF-8 text (save the file as UTF-8)"},
        {with("-s", d + "japanese.ini"), d + "japanese.ini: line 2 holds a character that code page 1252 cannot (--codepage)"},
        {with("-s", d + "order.ini"), "Order names nothere.txt, which is not in the payload"},
        {with("-s", d + "twice.ini"), "Order names A.TXT twice"},
        // Stubs and icons.
        {with("--stub", d + "settings.ini"),
         d + "settings.ini is not a setup stub: not a Windows program with readable resources"},
        {with("--stub", d + "text.exe"), d + "text.exe is not a setup stub: not a Windows program with readable resources"},
        {with("--stub", d + "unmarked.exe"), d + "unmarked.exe is not a setup stub: it has no SETUPSTUB resource"},
        {with("--stub", d + "no-manifest.exe"), d + "no-manifest.exe is not a setup stub: it has no manifest"},
        {with("--stub", d + "setup-program.exe"), d + "setup-program.exe is a setup program already, not a setup stub"},
        {with("--icon", d + "bad.ico"), "the icon: not an icon file"},
        // Payloads.
        {payload("nosuch"), "the payload directory " + d + "nosuch does not exist"},
        {payload("settings.ini"), "the payload directory " + d + "settings.ini is a file, not a directory"},
        {payload("empty"), "the payload directory " + d + "empty is empty"},
        {payload("sub"), "payload inner is not a regular file (the setup program installs the files of one directory)"},
        {payload("device"), "payload file \"aux.txt" + device},
        {payload("conin"), "payload file \"CONIN$" + device},
        {payload("superscript"), "payload file \"COM\xC2\xB9" + device},
        {payload("lpt0"), "payload file \"lpt0.log" + device},
        {payload("blank"), "payload file \"nul .txt" + device},
        {payload("trailing"), "payload file \"notes.\": the installer would refuse this name"},
        {payload("case"), "payload files ZarnFTP.exe and zarnftp.EXE are one name on Windows"},
        {payload("umlauts"), "payload files Z\xC3\x84RN.txt and z\xC3\xA4rn.txt are one name on Windows"},
        {payload("japanese"),
         "payload file \"\xE6\x97\xA5\xE6\x9C\xAC.txt\": its name cannot be written in code page 1252 (--codepage)"},
        {payload("notutf8"), "payload file \"Z\xE4rn.txt\": its name is not UTF-8 text"},
        {payload("noexe"), "the payload holds no ZarnFTP.exe (ExeName)"},
        {payload("nowhatsnew"), "the payload holds no whatsnew.txt, which the shortcuts open"},
        {payload("textuninstaller"),
         d + "textuninstaller/unzarn.exe is not an uninstaller: not a Windows program with readable resources"},
    };
    for (const TCase& c : cases) {
        const auto before = fs::last_write_time(P("stub.exe"));
        std::string err;
        EXPECT_EQ(Run(c.Args, &err), c.Status) << c.Message;
        EXPECT_EQ(err.substr(0, err.find('\n')), "mksetup: " + c.Message);
        if (c.Status == 2) {
            EXPECT_NE(err.find("\nusage: mksetup "), std::string::npos) << c.Message;
        }
        EXPECT_FALSE(fs::exists(P("setup.exe"))) << c.Message;
        EXPECT_FALSE(fs::exists(P("payload/setup.exe"))) << c.Message;
        EXPECT_EQ(fs::last_write_time(P("stub.exe")), before);
    }
    EXPECT_EQ(Read("payload/README.TXT"), Bytes("read me"));
    for (const auto& entry : fs::recursive_directory_iterator(Dir))
        EXPECT_EQ(entry.path().string().find("mksetup-new"), std::string::npos) << entry.path();

    // Without the built uninstaller beside the stub, the payload must hold
    // one; a stub that is none is named first all the same.
    fs::remove(P("unzarn.exe"));
    std::string err;
    EXPECT_EQ(Run(Standard(), &err), 1);
    EXPECT_EQ(err, "mksetup: no unzarn.exe: put one in the payload directory or beside the stub\n");
    EXPECT_EQ(Run(with("--stub", d + "unmarked.exe"), &err), 1);
    EXPECT_EQ(err, "mksetup: " + d + "unmarked.exe is not a setup stub: it has no SETUPSTUB resource\n");
}

TEST_F(MkSetup, HelpExplainsAndSucceeds)
{
    for (const char* option : {"--help", "-h"}) {
        std::ostringstream out, err;
        EXPECT_EQ(RunMkSetup({option}, P("bin/mksetup"), out, err), 0);
        EXPECT_EQ(err.str(), "");
        EXPECT_EQ(out.str().rfind("Makes a setup program of the setup stub", 0), 0u);
        for (const char* word : {"--codepage", "SOURCE_DATE_EPOCH", "Status 0", "-s SETTINGS.ini"})
            EXPECT_NE(out.str().find(word), std::string::npos) << word;
    }
}

// Names and settings written in UTF-8 on the build machine reach the archive
// and the record in the target code page.
TEST_F(MkSetup, NamesAndSettingsInTheTargetCodePage)
{
    Write("payload/Z\xC3\xA4rn.txt", "umlaut");
    Write("settings.ini", Replace(SettingsFile, "ProgramName=ZarnFTP", "ProgramName=Z\xC3\xA4rnFTP") +
                              "Publisher=Z\xC3\xA4rn Software\nOrder=ZarnFTP.exe;Z\xC3\x84RN.TXT\n");
    std::string err;
    ASSERT_EQ(Run(Standard(), &err), 0) << err;
    const std::vector<uint8_t> image = Read("setup.exe");
    const std::vector<std::string> names = EntryNames(ReadPEResource(image, "ARCHIVE", "DATA"));
    ASSERT_GE(names.size(), 2u);
    EXPECT_EQ(names[1], "Z\xE4rn.txt"); // code page 1252's spelling, found by the Order line in another case
    const std::vector<uint8_t> record = ReadPEResource(image, "SETTINGS", "DATA");
    const TSetupControl settings = ParseSettingsText(std::string(record.begin(), record.end())).Settings;
    EXPECT_EQ(settings.ProgramName, "Z\xE4rnFTP");
    EXPECT_EQ(settings.Publisher, "Z\xE4rn Software");
    // The version information is UTF-16 whatever the code page.
    const std::vector<uint8_t> version = ReadPEResource(image, "#16", "#1");
    EXPECT_EQ(VersionString(version, "ProductName"), "Z\xC3\xA4rnFTP");
    EXPECT_EQ(VersionString(version, "CompanyName"), "Z\xC3\xA4rn Software");

    // A Japanese Windows: the name in code page 932, where the umlaut has no spelling.
    fs::remove(P("payload/Z\xC3\xA4rn.txt"));
    Write("settings.ini", SettingsFile);
    Write("payload/\xE6\x97\xA5\xE6\x9C\xAC.txt", "nihon");
    Write("payload/\xE3\x82\xBD\xE3\x83\x95\xE3\x83\x88.txt", "soft"); // ソフト: "\" as a second byte
    std::vector<std::string> japanese = Standard("ja.exe");
    japanese.insert(japanese.begin(), {"--codepage", "932"});
    ASSERT_EQ(Run(japanese, &err), 0) << err;
    const std::vector<std::string> ja = EntryNames(ReadPEResource(Read("ja.exe"), "ARCHIVE", "DATA"));
    EXPECT_NE(std::find(ja.begin(), ja.end(), "\x93\xFA\x96\x7B.txt"), ja.end());
    EXPECT_NE(std::find(ja.begin(), ja.end(), "\x83\x5C\x83\x74\x83\x67.txt"), ja.end());
    Write("payload/Z\xC3\xA4rn.txt", "umlaut");
    EXPECT_EQ(Run(japanese, &err), 1);
    EXPECT_EQ(err, "mksetup: payload file \"Z\xC3\xA4rn.txt\": its name cannot be written in code page 932 (--codepage)\n");
}

// Sets an environment variable ("" removes it) and lets the C library see the time zone.
void SetVariable(const char* name, const std::string& value)
{
#ifdef _WIN32
    _putenv_s(name, value.c_str());
    _tzset();
#else
    if (value.empty())
        unsetenv(name);
    else
        setenv(name, value.c_str(), 1);
    tzset();
#endif
}

// The same files give the same bytes in every time zone: entry dates are
// the files' times in UTC, clamped to SOURCE_DATE_EPOCH when it is set.
TEST_F(MkSetup, SameBytesInEveryTimeZone)
{
    // 2025-07-14 21:37:42 UTC: a summer evening, another day in Tokyo.
    const auto when = std::chrono::sys_seconds(std::chrono::seconds(1752529062));
    const auto older = std::chrono::sys_seconds(std::chrono::seconds(1000000000)); // 2001-09-09 01:46:40 UTC
    for (const auto& entry : fs::directory_iterator(Dir / "payload"))
        fs::last_write_time(entry.path(), std::chrono::file_clock::from_sys(when));
    fs::last_write_time(Dir / "payload/A.txt", std::chrono::file_clock::from_sys(older));
    fs::last_write_time(Dir / "unzarn.exe", std::chrono::file_clock::from_sys(when));
    const char* zone = std::getenv("TZ");
    const std::string savedZone = zone ? zone : "";
    std::vector<std::vector<uint8_t>> made;
    for (const char* tz : {"EST5EDT,M3.2.0,M11.1.0", "UTC0", "JST-9"}) {
        SetVariable("TZ", tz);
        std::string err;
        ASSERT_EQ(Run(Standard(), &err), 0) << err;
        made.push_back(Read("setup.exe"));
    }
    SetVariable("TZ", savedZone);
    EXPECT_EQ(made[0], made[1]);
    EXPECT_EQ(made[1], made[2]);
    const auto dates = [](const std::vector<uint8_t>& image) {
        std::map<std::string, uint32_t> byName;
        for (const auto& [name, file] : Expanded(ReadPEResource(image, "ARCHIVE", "DATA")))
            byName[name] = file.DosDateTime;
        return byName;
    };
    const auto dos = [](int y, int mo, int d, int h, int mi, int s) {
        return PackDosDateTime(TDosDateTimeParts{y, mo, d, h, mi, s});
    };
    const auto utc = dates(made[0]);
    EXPECT_EQ(utc.at("ZarnFTP.exe"), dos(2025, 7, 14, 21, 37, 42));
    EXPECT_EQ(utc.at("unzarn.exe"), dos(2025, 7, 14, 21, 37, 42));
    EXPECT_EQ(utc.at("A.txt"), dos(2001, 9, 9, 1, 46, 40));

    // SOURCE_DATE_EPOCH 2024-12-01 00:00:00 UTC: later files take it, earlier ones keep theirs.
    SetVariable("SOURCE_DATE_EPOCH", "1733011200");
    std::string err;
    const int status = Run(Standard("clamped.exe"), &err);
    SetVariable("SOURCE_DATE_EPOCH", "soon");
    const int badStatus = Run(Standard("bad.exe"), &err);
    SetVariable("SOURCE_DATE_EPOCH", "");
    ASSERT_EQ(status, 0);
    const auto clamped = dates(Read("clamped.exe"));
    EXPECT_EQ(clamped.at("ZarnFTP.exe"), dos(2024, 12, 1, 0, 0, 0));
    EXPECT_EQ(clamped.at("A.txt"), dos(2001, 9, 9, 1, 46, 40));
    EXPECT_EQ(badStatus, 1);
    EXPECT_EQ(err, "mksetup: SOURCE_DATE_EPOCH is \"soon\", not a number of seconds since 1970\n");
    EXPECT_FALSE(fs::exists(P("bad.exe")));
}

// The setup program and the uninstaller it carries say the release: its
// version, the product's name, the publisher and the copyright.
TEST_F(MkSetup, BothProgramsSayTheRelease)
{
    Write("settings.ini", Replace(SettingsFile, "ZarnFTP 2.8.0", "ZarnFTP 3.1.0") +
                              "Publisher=Zarn Software\nCopyright=Copyright 2026 Zarn Software\n"
                              "URL=https://zarn.example/ftp\n");
    std::string err;
    ASSERT_EQ(Run(Standard(), &err), 0) << err;
    const std::vector<uint8_t> image = Read("setup.exe");
    const std::vector<uint8_t> uninstaller = *Expanded(ReadPEResource(image, "ARCHIVE", "DATA")).at("unzarn.exe").Bytes;
    EXPECT_EQ(ReadPEResource(uninstaller, "MARK", "#1"), Bytes("the built uninstaller"));
    const std::vector<std::pair<std::vector<uint8_t>, std::vector<std::pair<std::string, std::string>>>> programs = {
        {ReadPEResource(image, "#16", "#1"),
         {{"FileDescription", "ZarnFTP 3.1.0 Setup"}, {"OriginalFilename", "setup.exe"}}},
        {ReadPEResource(uninstaller, "#16", "#1"),
         {{"FileDescription", "ZarnFTP 3.1.0 Uninstall"}, {"OriginalFilename", "unzarn.exe"}}},
    };
    for (const auto& [version, own] : programs) {
        ASSERT_GT(version.size(), 56u);
        EXPECT_EQ(version[50] | version[48] << 8, 3 | 1 << 8); // 3.1 in the fixed part
        std::vector<std::pair<std::string, std::string>> strings = {
            {"ProductName", "ZarnFTP"},
            {"ProductVersion", "3.1.0"},
            {"FileVersion", "3.1.0"},
            {"CompanyName", "Zarn Software"},
            {"LegalCopyright", "Copyright 2026 Zarn Software"}};
        strings.insert(strings.end(), own.begin(), own.end());
        for (const auto& [name, value] : strings)
            EXPECT_EQ(VersionString(version, name), value) << name;
    }
    const std::vector<uint8_t> record = ReadPEResource(image, "SETTINGS", "DATA");
    const TSetupControl settings = ParseSettingsText(std::string(record.begin(), record.end())).Settings;
    EXPECT_EQ(settings.Version, "3.1.0");
    EXPECT_EQ(settings.URL, "https://zarn.example/ftp");
}

} // namespace
