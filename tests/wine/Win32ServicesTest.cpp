// The Win32 implementations against the real services: registry values read
// back with RegQueryValueExW, links read back through IShellLinkW, file
// dates and attributes, the regional date text, the Windows directory and
// the archive resource of a program; names outside any ANSI code page
// checked through the system's own UTF-8 conversion and wide calls.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include <windows.h>
#include <objbase.h>

#include "archive/Archiver.h"
#include "installer/SetupControl.h"
#include "platform/Clock.h"
#include "platform/DriveSource.h"
#include "platform/FileSystem.h"
#include "platform/NativeServices.h"
#include "platform/Registry.h"
#include "platform/ShellLinks.h"
#include "platform/Stream.h"
#include "platform/SystemInfo.h"
#include "platform/WideText.h"
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

    // A folder that does not exist: nothing is written, and the caller hears of it.
    link.LinkFile = TempDir() + "no such folder\\x.lnk";
    try {
        NativeShellLinks().SaveLink(link);
        ADD_FAILURE() << "a link into a missing folder was reported saved";
    } catch (const ELinkNotSaved& e) {
        EXPECT_NE(e.Message().find(link.LinkFile), std::string::npos) << e.Message();
    }
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

// UTF-8 to UTF-16 by the system's own table: what the program's paths must
// name, independently of its own conversion.
std::wstring SystemWide(const std::string& utf8)
{
    std::wstring wide(utf8.size() + 1, L'\0');
    wide.resize(static_cast<size_t>(
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                            static_cast<int>(wide.size()))));
    return wide;
}

DWORD WideAttributes(const std::string& utf8Path)
{
    return GetFileAttributesW(SystemWide(utf8Path).c_str());
}

// Neither name fits code page 1252 (nor any other one code page).
const std::string PolishName = "Zarn \xC5\x81\xC3\xB3" "d\xC5\xBA"; // "Zarn Łódź"
const std::string ChineseName = "\xE5\xBC\xA0\xE4\xBC\x9F";     // "张伟"

// Names convert exactly or not at all; shown text converts whatever it holds,
// every valid character as it is.
TEST(Win32UnicodeNames, TextCrossesToTheWideCallsAndBack)
{
    const struct {
        std::string Utf8;
        bool IsName; // valid UTF-8
        std::wstring Before, After; // what shows around the bytes that are not UTF-8
    } rows[] = {
        {"ZarnFTP 2.7.4 Setup", true, L"", L""},
        {PolishName, true, L"", L""},
        {ChineseName, true, L"", L""},
        {"\xF0\x9F\x98\x80.txt", true, L"", L""}, // beyond the BMP: a surrogate pair
        {"", true, L"", L""},
        {"Donn\xE9" "es", false, L"Donn", L"es"}, // ANSI, not UTF-8
        {"\xC5", false, L"", L""},                // a sequence cut short
        {ChineseName + "\xED\xA0\x80" + PolishName, false, SystemWide(ChineseName), SystemWide(PolishName)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Utf8);
        std::wstring wide = L"untouched";
        SetLastError(0);
        EXPECT_EQ(WidePath(row.Utf8, wide), row.IsName);
        const std::wstring shown = WideText(row.Utf8);
        if (row.IsName) {
            EXPECT_EQ(wide, SystemWide(row.Utf8));
            EXPECT_EQ(shown, wide);
            EXPECT_EQ(Utf8Text(wide), row.Utf8);
        } else {
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME));
            ASSERT_GT(shown.size(), row.Before.size() + row.After.size());
            EXPECT_EQ(shown.substr(0, row.Before.size()), row.Before);
            EXPECT_EQ(shown.substr(shown.size() - row.After.size()), row.After);
        }
    }
    EXPECT_EQ(Utf8Text(std::wstring(L"a\xD800z")), "a\xEF\xBF\xBDz"); // an unpaired surrogate shows as U+FFFD
    EXPECT_TRUE(SameWideText(SystemWide(PolishName), L"ZARN \x0141\x00D3" L"D\x0179"));
    EXPECT_FALSE(SameWideText(SystemWide(PolishName), L"Zarn Lodz"));
}

TEST(Win32UnicodeNames, FilesAndFoldersAreMadeListedAndRemovedUnderTheirOwnNames)
{
    TFileSystem& files = NativeFileSystem();
    const std::string folder = TempDir() + PolishName + " " + ChineseName;
    const std::string file = ChineseName + ".txt";
    const std::string renamed = PolishName + ".txt";
    files.RemoveFile(folder + "\\" + file);
    files.RemoveFile(folder + "\\" + renamed);
    files.RemoveEmptyDirectory(folder);

    files.MakeDirectory(folder);
    ASSERT_NE(WideAttributes(folder), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(files.IsDirectory(folder));
    {
        auto stream = files.CreateAlways(folder + "\\" + file);
        stream->WriteBuffer("zarn", 4);
    }
    EXPECT_NE(WideAttributes(folder + "\\" + file), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(files.FileExists(folder + "\\" + file));
    EXPECT_NE(files.GetDosDateTime(folder + "\\" + file), 0u);
    char bytes[4] = {};
    files.OpenRead(folder + "\\" + file)->ReadBuffer(bytes, 4);
    EXPECT_EQ(std::string(bytes, 4), "zarn");

    const std::vector<TDirectoryEntry> listed = files.ListDirectory(folder);
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].Name, file);
    const std::vector<std::string> below = NativeDriveSource().Subdirectories(TempDir());
    EXPECT_NE(std::find(below.begin(), below.end(), PolishName + " " + ChineseName), below.end());
    EXPECT_TRUE(NativeDriveSource().IsDirectory(folder));

    // Held by handle: the system's name for the folder is the one asked for.
    std::unique_ptr<TDirectoryHandle> held = files.OpenDirectoryChain(folder);
    ASSERT_TRUE(held);
    EXPECT_TRUE(files.FileExistsAt(*held, file));
    EXPECT_TRUE(files.MoveFileAt(*held, file, *held, renamed));
    EXPECT_NE(WideAttributes(folder + "\\" + renamed), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(files.RemoveFileAt(*held, renamed));
    EXPECT_EQ(WideAttributes(folder + "\\" + renamed), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(files.ListDirectoryAt(*held).empty());
    held.reset(); // a held folder cannot be removed

    // Bytes that are no UTF-8 name nothing: refused, never spelled as something else.
    const std::string notUtf8 = TempDir() + "zarn-\xC5.txt";
    EXPECT_THROW(files.CreateAlways(notUtf8), EFCreateError);
    EXPECT_FALSE(files.FileExists(notUtf8));
    EXPECT_FALSE(files.RemoveFile(notUtf8));
    EXPECT_THROW(files.MakeDirectory(notUtf8), EInOutError);

    EXPECT_TRUE(files.RemoveEmptyDirectory(folder));
    EXPECT_EQ(WideAttributes(folder), INVALID_FILE_ATTRIBUTES);
}

TEST(Win32UnicodeNames, RegistryKeysValueNamesAndStringsKeepTheirCharacters)
{
    const std::string key = "Software\\ZarnTest\\" + PolishName;
    const std::string name = ChineseName;
    const std::string value = "C:\\Programy\\" + PolishName + "\\unzarn.exe";
    const std::unique_ptr<TRegistry> registry = MakeNativeRegistry();
    registry->SetRootKey(rkLocalMachine);
    ASSERT_TRUE(registry->OpenKey("\\" + key, true));
    registry->WriteString(name, value);
    registry->WriteInteger("Flag", 7);
    registry->CloseKey();

    // What another program reads: the UTF-16 text and its NUL, under the wide names.
    HKEY handle = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, SystemWide(key).c_str(), 0, KEY_READ, &handle), ERROR_SUCCESS);
    wchar_t data[MAX_PATH] = {};
    DWORD size = sizeof data, type = 0;
    EXPECT_EQ(RegQueryValueExW(handle, SystemWide(name).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &size),
              ERROR_SUCCESS);
    RegCloseKey(handle);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::wstring(data, size / sizeof(wchar_t)), SystemWide(value) + L'\0');

    std::string back;
    ASSERT_TRUE(registry->OpenKey("\\" + key, false));
    EXPECT_TRUE(registry->ReadString(name, back));
    EXPECT_EQ(back, value);
    std::vector<TRegValueData> values;
    ASSERT_TRUE(registry->ReadValues(values));
    ASSERT_EQ(values.size(), 2u);
    const auto named = std::find_if(values.begin(), values.end(), [&](const TRegValueData& v) { return v.Name == name; });
    ASSERT_NE(named, values.end());
    // Kept as stored and put back unchanged.
    EXPECT_TRUE(registry->DeleteValue(name));
    EXPECT_FALSE(registry->ReadString(name, back));
    EXPECT_TRUE(registry->WriteValueData(*named));
    EXPECT_TRUE(registry->ReadString(name, back));
    EXPECT_EQ(back, value);
    EXPECT_TRUE(registry->DeleteValue(name));
    EXPECT_TRUE(registry->DeleteValue("Flag"));
    EXPECT_TRUE(registry->DeleteKey("\\" + key));
    EXPECT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, SystemWide(key).c_str(), 0, KEY_READ, &handle), ERROR_SUCCESS);
}

TEST(Win32UnicodeNames, ALinkIsSavedAndReadBackWithItsPathAndTarget)
{
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    const std::string folder = TempDir() + ChineseName;
    CreateDirectoryW(SystemWide(folder).c_str(), nullptr);
    TShellLinkInfo link;
    link.LinkFile = folder + "\\" + PolishName + ".lnk";
    link.Target = "C:\\Programy\\" + PolishName + "\\ZarnFTP.exe";
    link.Arguments = "C:\\Programy\\" + PolishName + "\\install.log";
    link.WorkingDir = "C:\\Programy\\" + PolishName + "\\";
    link.Description = ChineseName;
    DeleteFileW(SystemWide(link.LinkFile).c_str());
    NativeShellLinks().SaveLink(link);
    EXPECT_NE(WideAttributes(link.LinkFile), INVALID_FILE_ATTRIBUTES);
    TShellLinkInfo back;
    ASSERT_TRUE(NativeShellLinks().LoadLink(link.LinkFile, back));
    EXPECT_EQ(back.LinkFile, link.LinkFile);
    EXPECT_EQ(back.Target, link.Target);
    EXPECT_EQ(back.Arguments, link.Arguments);

    // Into a folder that is not there: raised, naming the link, nothing made.
    const std::string missing = folder + "\\" + PolishName + "\\ZarnFTP.lnk";
    link.LinkFile = missing;
    try {
        NativeShellLinks().SaveLink(link);
        ADD_FAILURE() << "a link into a missing folder was reported saved";
    } catch (const ELinkNotSaved& e) {
        EXPECT_NE(e.Message().find(missing), std::string::npos) << e.Message();
    }
    EXPECT_EQ(WideAttributes(missing), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(NativeShellLinks().LoadLink(missing, back));

    EXPECT_TRUE(DeleteFileW(SystemWide(folder + "\\" + PolishName + ".lnk").c_str()));
    EXPECT_TRUE(RemoveDirectoryW(SystemWide(folder).c_str()));
    CoUninitialize();
}

} // namespace
