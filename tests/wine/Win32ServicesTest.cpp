// The Win32 implementations against the real services: registry values read
// back with RegQueryValueExW, links read back through IShellLinkW, file
// dates and attributes, the regional date text, the Windows directory and
// the archive resource of a program.
#include <gtest/gtest.h>

#include <cstring>

#include <windows.h>
#include <objbase.h>

#include "archive/Archiver.h"
#include "installer/SetupControl.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/NativeServices.h"
#include "platform/Registry.h"
#include "platform/ShellLinks.h"
#include "platform/Stream.h"
#include "platform/SystemInfo.h"
#include "tests/wine/WineSupport.h"

namespace {

std::string TempDir()
{
    char path[MAX_PATH];
    GetTempPathA(MAX_PATH, path);
    return path;
}

TEST(Win32Registry, StringsAreStoredAsRegSzWithTheirNul)
{
    const std::unique_ptr<TRegistry> registry = MakeNativeRegistry();
    registry->SetRootKey(rkLocalMachine);
    ASSERT_TRUE(registry->OpenKey("\\Software\\ZarnTest\\Values", true));
    EXPECT_EQ(registry->CurrentPath(), "Software\\ZarnTest\\Values");
    registry->WriteString("DisplayName", "Zarn with blanks");
    registry->WriteString("", "C:\\Program Files\\ZarnFTP\\ZarnFTP.exe");
    // A path without "\" continues from the open key.
    ASSERT_TRUE(registry->OpenKey("Child", true));
    EXPECT_EQ(registry->CurrentPath(), "Software\\ZarnTest\\Values\\Child");
    registry->CloseKey();

    const TRegValue named = QueryValue(HKEY_LOCAL_MACHINE, "Software\\ZarnTest\\Values", "DisplayName");
    ASSERT_TRUE(named.Found);
    EXPECT_EQ(named.Type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(named.Data, std::string("Zarn with blanks", 17)); // the NUL is stored
    const TRegValue unnamed = QueryValue(HKEY_LOCAL_MACHINE, "Software\\ZarnTest\\Values", "");
    EXPECT_EQ(unnamed.Data, std::string("C:\\Program Files\\ZarnFTP\\ZarnFTP.exe") + '\0');
    EXPECT_TRUE(QueryValue(HKEY_LOCAL_MACHINE, "Software\\ZarnTest\\Values\\Child", "").Type == 0);

    std::string back;
    ASSERT_TRUE(registry->OpenKeyReadOnly("\\Software\\ZarnTest\\Values"));
    EXPECT_TRUE(registry->ReadString("DisplayName", back));
    EXPECT_EQ(back, "Zarn with blanks");
    EXPECT_FALSE(registry->ReadString("Missing", back));
    // A key opened for reading takes no writes.
    try {
        registry->WriteString("DisplayName", "x");
        ADD_FAILURE() << "a read-only key took a write";
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Message(), "Failed to set data for 'DisplayName'");
    }
    EXPECT_FALSE(registry->OpenKey("\\Software\\ZarnTest\\Absent", false));
    EXPECT_FALSE(registry->HasOpenKey());
}

// An undone install puts values back exactly: every type, bytes as stored.
TEST(Win32Registry, ValuesOfEveryTypeAreReadAndWrittenBackExactly)
{
    const char* const key = "Software\\ZarnTest\\Exact";
    HKEY handle = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr),
              ERROR_SUCCESS);
    const DWORD number = 0x01020304;
    RegSetValueExA(handle, "Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    RegSetValueExA(handle, "List", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>("a\0b\0\0"), 5);
    const std::string program = "%SystemRoot%\\x.exe"; // given without its NUL
    RegSetValueExA(handle, "", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(program.data()),
                   static_cast<DWORD>(program.size()));
    RegCloseKey(handle);

    // As the system stores them (its ANSI layer may add a NUL of its own).
    const char* const names[] = {"Number", "List", ""};
    std::vector<TRegValue> stored;
    for (const char* name : names)
        stored.push_back(QueryValue(HKEY_LOCAL_MACHINE, key, name));

    const std::unique_ptr<TRegistry> registry = MakeNativeRegistry();
    registry->SetRootKey(rkLocalMachine);
    ASSERT_TRUE(registry->OpenKeyReadOnly(std::string("\\") + key));
    std::vector<TRegValueData> values;
    ASSERT_TRUE(registry->ReadValues(values));
    ASSERT_EQ(values.size(), 3u);
    ASSERT_TRUE(registry->DeleteKey(std::string("\\") + key));
    ASSERT_TRUE(registry->OpenKey(std::string("\\") + key, true));
    for (const TRegValueData& value : values)
        EXPECT_TRUE(registry->WriteValueData(value)) << value.Name;
    registry->CloseKey();

    for (size_t i = 0; i < std::size(names); ++i) {
        const TRegValue back = QueryValue(HKEY_LOCAL_MACHINE, key, names[i]);
        EXPECT_TRUE(back.Found) << names[i];
        EXPECT_EQ(back.Type, stored[i].Type) << names[i];
        EXPECT_EQ(back.Data, stored[i].Data) << names[i];
    }
    EXPECT_EQ(stored[0].Type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(stored[0].Data, std::string("\x04\x03\x02\x01", 4));
    EXPECT_EQ(stored[1].Type, static_cast<DWORD>(REG_MULTI_SZ));
    EXPECT_EQ(stored[2].Type, static_cast<DWORD>(REG_EXPAND_SZ));
    registry->DeleteKey(std::string("\\") + key);
}

TEST(Win32ShellLinks, EveryFieldIsReadBackAndAFileIsReplaced)
{
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    const std::string linkFile = TempDir() + "Zarn Test.lnk";
    DeleteFileA(linkFile.c_str());
    TShellLinkInfo link;
    link.LinkFile = linkFile;
    link.Target = "C:\\windows\\unzarn.exe";
    link.Arguments = "C:\\Program Files\\ZarnFTP\\install.log";
    link.Description = "File Transfer Protocol Client";
    link.WorkingDir = "C:\\windows\\";
    NativeShellLinks().SaveLink(link);
    TLinkFields back = LoadLink(linkFile);
    ASSERT_TRUE(back.Loaded);
    EXPECT_EQ(back.Path, link.Target);
    EXPECT_EQ(back.Arguments, link.Arguments);
    EXPECT_EQ(back.WorkingDirectory, link.WorkingDir);
    EXPECT_EQ(back.Description, link.Description);
    EXPECT_EQ(back.ShowCmd, SW_SHOWNORMAL);
    EXPECT_EQ(back.IconFile, "");
    EXPECT_EQ(back.IconIndex, 0);

    link.Arguments = "";
    link.Description = "";
    NativeShellLinks().SaveLink(link);
    back = LoadLink(linkFile);
    EXPECT_EQ(back.Arguments, "");
    EXPECT_EQ(back.Description, "");

    // A folder that does not exist: nothing is written and nothing raised.
    link.LinkFile = TempDir() + "no such folder\\x.lnk";
    NativeShellLinks().SaveLink(link);
    EXPECT_FALSE(FileExists(link.LinkFile));
    CoUninitialize();
}

TEST(Win32FileSystem, DatesAttributesAndMoves)
{
    TFileSystem& files = NativeFileSystem();
    const std::string path = TempDir() + "zarn-dated.txt";
    const std::string moved = TempDir() + "zarn-moved.txt";
    files.SetAttributes(path, faArchive);
    files.RemoveFile(path);
    files.RemoveFile(moved);
    // 2026-12-08 13:05:08 as an MS-DOS date and time (seconds in twos).
    const uint32_t dos = ((2026u - 1980) << 25) | (12u << 21) | (8u << 16) | (13u << 11) | (5u << 5) | 4u;
    {
        auto file = files.CreateAlways(path);
        file->WriteBuffer("dated", 5);
        file->SetDosDateTime(dos);
    }
    EXPECT_EQ(files.GetDosDateTime(path), dos);
    ASSERT_TRUE(files.SetAttributes(path, faReadOnly | faArchive));
    EXPECT_EQ(files.GetAttributes(path) & (faReadOnly | faArchive | faDirectory), faReadOnly | faArchive);
    // What a file already has is only looked at; a missing file still fails.
    EXPECT_TRUE(files.SetAttributes(path, files.GetAttributes(path)));
    EXPECT_FALSE(files.SetAttributes(TempDir() + "zarn-no-such-file.txt", faArchive));
    EXPECT_FALSE(files.SetAttributes(TempDir() + "zarn-no-such-file.txt", -1));
    ASSERT_TRUE(files.SetAttributes(path, faArchive));
    EXPECT_EQ(files.GetAttributes(path) & faReadOnly, 0);
    EXPECT_TRUE(files.MoveFileReplacing(path, moved));
    EXPECT_FALSE(FileExists(path));
    EXPECT_EQ(ReadWholeFile(moved), std::vector<char>({'d', 'a', 't', 'e', 'd'}));
    EXPECT_TRUE(files.RemoveFile(moved));
}

// The engine replaces a read-only, hidden and system file, which Windows
// does not let be created over, and gives it the entry's attributes; an
// entry that fails leaves it as it was.
TEST(Win32FileSystem, TheEngineReplacesGuardedFiles)
{
    TFileSystem& files = NativeFileSystem();
    const std::string path = TempDir() + "zarn-guarded.txt";
    const auto archiveOf = [](const std::string& bytes, uint32_t checksum) {
        TEntryHeader entry;
        entry.NameLength = 16;
        entry.Attributes = faReadOnly | faArchive;
        entry.ExpandedSize = entry.StoredSize = static_cast<int32_t>(bytes.size());
        entry.Checksum = checksum;
        TArchiveHeader header;
        std::memcpy(header.CompressID, "NON", 3);
        header.TotalSize = entry.ExpandedSize;
        std::vector<uint8_t> archive;
        for (uint8_t b : header.Pack())
            archive.push_back(b);
        for (uint8_t b : entry.Pack())
            archive.push_back(b);
        for (char c : std::string("zarn-guarded.txt") + bytes)
            archive.push_back(static_cast<uint8_t>(c));
        return archive;
    };
    for (const bool beside : {false, true}) {
        SCOPED_TRACE(beside ? "written beside" : "written in place");
        files.SetAttributes(path, faArchive);
        files.RemoveFile(path);
        {
            auto file = files.CreateAlways(path);
            file->WriteBuffer("old", 3);
        }
        ASSERT_TRUE(files.SetAttributes(path, faReadOnly | faHidden | faSysFile));
        TArchiver comp(files);
        comp.SetTargetPath(TempDir());
        comp.ReplaceWhenChecked = beside;
        if (beside) {
            TMemoryStream bad(archiveOf("new", ByteSum("new", 3) + 1));
            EXPECT_THROW(comp.ExpandArchive(bad, nullptr), EBadChecksum);
            EXPECT_EQ(ReadWholeFile(path), std::vector<char>({'o', 'l', 'd'}));
            EXPECT_FALSE(FileExists(TempDir() + ".~vk0.tmp"));
        }
        TMemoryStream good(archiveOf("new", ByteSum("new", 3)));
        const std::vector<TEntryResult> results = comp.ExpandArchive(good, nullptr);
        ASSERT_EQ(results.size(), 1u);
        EXPECT_EQ(results[0].Outcome, TEntryOutcome::eoWritten) << results[0].Reason;
        EXPECT_EQ(ReadWholeFile(path), std::vector<char>({'n', 'e', 'w'}));
        EXPECT_EQ(files.GetAttributes(path) & (faReadOnly | faHidden | faSysFile | faArchive), faReadOnly | faArchive);
    }
    files.SetAttributes(path, faArchive);
    EXPECT_TRUE(files.RemoveFile(path));
}

TEST(Win32SystemServices, RegionalTextAndWindowsDirectory)
{
    TClock& clock = NativeClock();
    const TLocalTime midnight{2026, 12, 8, 0, 0, 0, 0};
    const TLocalTime afternoon{2026, 12, 8, 13, 5, 9, 0};
    const std::string date = clock.ShortDateText(midnight);
    EXPECT_NE(date.find("2026"), std::string::npos) << date;
    EXPECT_NE(date.find('8'), std::string::npos) << date;
    EXPECT_EQ(DateTimeText(clock, midnight), date);
    const std::string time = clock.LongTimeText(afternoon);
    EXPECT_NE(time.find("05"), std::string::npos) << time;
    EXPECT_NE(time.find("09"), std::string::npos) << time;
    EXPECT_EQ(DateTimeText(clock, afternoon), date + " " + time);
    const TLocalTime now = clock.Now();
    EXPECT_GE(now.Year, 2024);

    const std::string winDir = MakeWinDir(NativeSystemInfo().WindowsDirectory());
    EXPECT_EQ(CharUpperA(std::string(winDir).data()), std::string("C:\\WINDOWS\\"));
}

std::vector<std::string> EntryNames(TStream& stream)
{
    TArchiver comp;
    TStringList list;
    comp.ListArchiveContents(stream, list);
    std::vector<std::string> names;
    for (int i = 0; i < list.Count(); ++i)
        names.push_back(list[i]);
    return names;
}

TEST(Win32Resources, TheArchiveOfThisProgramAndOfALibrary)
{
    const std::vector<std::string> six = {"ZarnFTP.exe", "ZarnFTP.HLP", "README.TXT",
                                          "SITES.INI",   "unzarn.exe",  "whatsnew.txt"};
    TArchiver comp;
    EXPECT_EQ(EntryNames(*comp.OpenArchiveResource("data", "")), six);
    // Another module: loaded for the stream and kept while it lives.
    EXPECT_EQ(EntryNames(*comp.OpenArchiveResource("DATA", HostPath(ZARN_INSTALL_DRIVER))), six);
    try {
        comp.OpenArchiveResource("data", "nosuch.dll");
        ADD_FAILURE() << "a missing library was loaded";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Could not load nosuch.dll DLL");
    }
    EXPECT_THROW(comp.OpenArchiveResource("other", ""), EResNotFound);
    // The bytes are the archive the build made.
    auto stream = comp.OpenArchiveResource("data", "");
    const std::vector<char> made = ReadWholeFile(HostPath(ZARN_SETUP_ARCHIVE));
    std::vector<char> embedded(static_cast<size_t>(stream->Size()));
    stream->ReadBuffer(embedded.data(), static_cast<int32_t>(embedded.size()));
    EXPECT_EQ(embedded, made);
}

} // namespace
