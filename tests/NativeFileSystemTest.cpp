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

} // namespace

#endif
