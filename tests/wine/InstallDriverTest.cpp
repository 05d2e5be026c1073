// The whole install run on the real system: the driver installs the real
// payload from its own resource into Program Files, and the results are read
// back as the uninstaller and Windows would read them.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <string>
#include <vector>

#include "tests/wine/InstallChecks.h"
#include "tests/wine/WineSupport.h"

namespace {

int Install(const std::string& arguments)
{
    return RunAndWait("\"" + HostPath(ZARN_INSTALL_DRIVER) + "\" " + arguments);
}

class InstallDriver : public ::testing::Test {
protected:
    static void SetUpTestSuite() { CoInitialize(nullptr); }
    static void TearDownTestSuite() { CoUninitialize(); }
};

TEST_F(InstallDriver, FirstInstallWritesFilesLogRegistryAndLinks)
{
    ASSERT_EQ(Install("--shortcuts yes"), 0);
    ExpectFirstInstall();

    // The installed program starts from its link's target, with the
    // command line it is given.
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string record = std::string(temp) + "zarnftp-started.txt";
    DeleteFileA(record.c_str());
    EXPECT_EQ(RunAndWait("\"" + LoadLink(LinkFiles()[0]).Path + "\" ftp://host/a b", "ZARNFTP_RECORD=" + record), 0);
    EXPECT_EQ(ReadLines(record), std::vector<std::string>{"\"" + Dest + "ZarnFTP.exe\" ftp://host/a b"});
}

TEST_F(InstallDriver, ReinstallBacksUpAndKeepsTheUsersSites)
{
    if (!FileExists(Dest + "install.log")) {
        ASSERT_EQ(Install("--shortcuts yes"), 0);
    }
    const std::string sites = "; my own sites\r\n[Home]\r\nHost=ftp.home.example\r\n";
    WriteUserSites(sites);
    const std::vector<char> oldReadme = ReadWholeFile(Dest + "README.TXT");

    ASSERT_EQ(Install("--backup --shortcuts no"), 0);
    ExpectReinstall(sites, oldReadme);
}

} // namespace
