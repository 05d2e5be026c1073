// The machine's own file system where it refuses: a write to a full device
// and moves that cannot be made name the file and the system's reason.
#include <gtest/gtest.h>

#ifndef _WIN32

#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/FileSystem.h"

namespace {

TEST(NativeFileSystemTest, FullDeviceRefusesTheWriteNamingTheFile)
{
    // /dev/full takes no byte and answers ENOSPC, as a full disk does.
    const std::unique_ptr<TFileStream> full = NativeFileSystem().CreateAlways("/dev/full");
    const std::vector<uint8_t> bytes(100, 7);
    try {
        full->WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
        ADD_FAILURE() << "the write was taken";
    } catch (const EWriteError& e) {
        EXPECT_EQ(e.Message(), std::string("Cannot write \"/dev/full\": ") + std::strerror(ENOSPC));
    }
}

TEST(NativeFileSystemTest, MoveThatCannotBeMadeNamesTheFileAndTheReason)
{
    char pattern[] = "/tmp/zarn-move-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string dir = pattern;
    TFileSystem& files = NativeFileSystem();
    files.CreateAlways(dir + "/a");
    files.MakeDirectory(dir + "/d");

    struct TCase {
        std::string From, To, Reason;
    };
    const std::vector<TCase> cases = {
        {dir + "/missing", dir + "/b", "there is no such file"},
        {dir + "/a", dir + "/d", "a directory of that name is in the way"},
        {dir + "/a", dir + "/none/a", std::strerror(ENOENT)},
    };
    for (const TCase& c : cases) {
        try {
            files.MoveFileChecked(c.From, c.To);
            ADD_FAILURE() << c.To << ": moved";
        } catch (const EInOutError& e) {
            EXPECT_EQ(e.Message(), "Cannot move \"" + c.From + "\" to \"" + c.To + "\": " + c.Reason);
        }
    }
    EXPECT_TRUE(files.FileExists(dir + "/a"));
    files.MoveFileChecked(dir + "/a", dir + "/b");
    EXPECT_FALSE(files.FileExists(dir + "/a"));
    EXPECT_TRUE(files.FileExists(dir + "/b"));

    files.RemoveFile(dir + "/b");
    files.RemoveEmptyDirectory(dir + "/d");
    files.RemoveEmptyDirectory(dir);
}

// Acts by handle stay in the directory that was opened: a link on the way
// is refused, a link in a file's place is not followed, and a held folder
// moved elsewhere is still the one acted in.
TEST(NativeFileSystemTest, HandleActsNeverFollowALink)
{
    char pattern[] = "/tmp/zarn-held-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string dir = pattern;
    TFileSystem& files = NativeFileSystem();
    for (const char* sub : {"/d", "/d/sub", "/outside"})
        files.MakeDirectory(dir + sub);
    for (const char* file : {"/d/a", "/d/sub/b", "/outside/victim"})
        files.CreateAlways(dir + file);
    ASSERT_EQ(::symlink((dir + "/outside").c_str(), (dir + "/d/link").c_str()), 0);
    ASSERT_EQ(::symlink((dir + "/outside/victim").c_str(), (dir + "/d/victim").c_str()), 0);

    EXPECT_EQ(files.OpenDirectoryChain(dir + "/d/link"), nullptr);
    EXPECT_EQ(files.OpenDirectoryChain(dir + "/d/missing"), nullptr);
    EXPECT_EQ(files.OpenDirectoryChain(dir + "/d/a"), nullptr);
    const auto d = files.OpenDirectoryChain(dir + "/d");
    ASSERT_NE(d, nullptr);
    EXPECT_FALSE(files.FileExistsAt(*d, "victim"));
    EXPECT_FALSE(files.RemoveFileAt(*d, "victim"));
    EXPECT_FALSE(files.RemoveFileAt(*d, "sub"));
    EXPECT_FALSE(files.RemoveDirectoryAt(*d, "link"));
    EXPECT_FALSE(files.RemoveFileAt(*d, "../outside/victim"));
    EXPECT_EQ(files.ListDirectoryAt(*d).size(), 4u);
    EXPECT_TRUE(files.FileExists(dir + "/outside/victim"));

    // The folder moves and a link takes its place: the acts follow the folder.
    ASSERT_EQ(::rename((dir + "/d").c_str(), (dir + "/moved").c_str()), 0);
    ASSERT_EQ(::symlink((dir + "/outside").c_str(), (dir + "/d").c_str()), 0);
    files.CreateAlways(dir + "/outside/a");
    EXPECT_TRUE(files.RemoveFileAt(*d, "a"));
    EXPECT_TRUE(files.FileExists(dir + "/outside/a"));
    EXPECT_FALSE(files.FileExists(dir + "/moved/a"));
    EXPECT_FALSE(files.MoveFileAt(*d, "missing", *d, "c"));
    const auto sub = files.OpenDirectoryChain(dir + "/moved/sub");
    ASSERT_NE(sub, nullptr);
    EXPECT_TRUE(files.MoveFileAt(*sub, "b", *d, "b"));
    files.CreateAlways(dir + "/moved/sub/b");
    EXPECT_FALSE(files.MoveFileAt(*sub, "b", *d, "b")); // never over a file
    EXPECT_TRUE(files.RemoveFileAt(*sub, "b"));
    EXPECT_TRUE(files.RemoveDirectoryAt(*d, "sub"));

    for (const char* path : {"/d", "/moved/link", "/moved/victim", "/moved/b", "/outside/a", "/outside/victim"})
        ::unlink((dir + path).c_str());
    for (const char* path : {"/moved", "/outside", ""})
        ::rmdir((dir + path).c_str());
    EXPECT_FALSE(files.IsDirectory(dir));
}

} // namespace

#endif
