// driver_disk_ports_test.cpp: the Win32 ports of the driver disk under Wine: the section appended beside the profile functions, the shell's delete, folders, copies and full paths.
#include "win32/driver_disk_win32.h"
#include "win32/file_system_win32.h"
#include "win32/profile_files_win32.h"

#include "tests/support/test_support.h"
#include "tests/wine/support/driver.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace lt::wine;

namespace {

struct DiskPorts : ::testing::Test {
    lt::test::TempDir dir;
    std::string folder = windowsPath(dir.path().string());
    lt::win32::FileSystemWin32 files;
    lt::win32::ProfileFilesWin32 profiles;
    lt::win32::ShellFoldersWin32 shell;
};

// The profile functions keep a parsed copy of a file they wrote; a section appended as
// text right after such a write must survive their next write, however close in time.
TEST_F(DiskPorts, anAppendedSectionSurvivesTheProfileFunctionsNextWrite) {
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        const std::string inf = folder + "\\round" + std::to_string(round) + ".inf";
        ASSERT_TRUE(profiles.writeString(inf, "KorUsbEth", "DeviceID", "USB\\VID_8207&PID_6514"));
        ASSERT_TRUE(profiles.deleteSection(inf, "KORUMAC_DevID.ndi"));
        const std::string lines[] = {"HKR,Ndi,DeviceID,,USB\\VID_8207&PID_6514"};
        ASSERT_TRUE(profiles.appendSection(inf, "KORUMAC_DevID.ndi", lines));
        ASSERT_TRUE(profiles.writeString(inf, "strings", "USB\\VID_8207&PID_6514.DeviceDesc", "\"USB-Ethernet Adapter\""));
        const std::string text = readFile(inf).value_or("");
        EXPECT_NE(text.find("[KORUMAC_DevID.ndi]\r\nHKR,Ndi,DeviceID,,USB\\VID_8207&PID_6514\r\n"), std::string::npos)
            << text;
        EXPECT_EQ(profileString(inf, "strings", "USB\\VID_8207&PID_6514.DeviceDesc"), "USB-Ethernet Adapter");
    }
}

TEST_F(DiskPorts, appendingStartsOnANewLineAndNeedsAnExistingFile) {
    const std::string inf = folder + "\\open.inf";
    ASSERT_TRUE(writeFile(inf, "[A]\r\nx=1"));
    const std::string lines[] = {"HKR,Ndi,DeviceID,,USB\\VID_1&PID_2"};
    ASSERT_TRUE(profiles.appendSection(inf, "B", lines));
    EXPECT_EQ(readFile(inf).value_or(""), "[A]\r\nx=1\r\n[B]\r\nHKR,Ndi,DeviceID,,USB\\VID_1&PID_2\r\n");
    EXPECT_FALSE(profiles.appendSection(folder + "\\missing.inf", "B", lines));
}

TEST_F(DiskPorts, theShellDeleteRemovesAFolderWithItsContent) {
    const std::string disk = folder + "\\Drv_Disk_8207_6514";
    ASSERT_TRUE(files.createDirectory(disk));
    EXPECT_FALSE(files.createDirectory(disk));  // it exists
    ASSERT_TRUE(files.createDirectory(disk + "\\inner"));
    ASSERT_TRUE(writeFile(disk + "\\inner\\a.txt", "a"));
    ASSERT_TRUE(writeFile(disk + "\\b.txt", "b"));
    ASSERT_TRUE(SetFileAttributesA((disk + "\\b.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(shell.deleteFolder(disk));
    EXPECT_FALSE(files.directoryExists(disk));
    EXPECT_TRUE(files.directoryExists(folder));
}

TEST_F(DiskPorts, copiesReplaceAnExistingFile) {
    ASSERT_TRUE(writeFile(folder + "\\from.txt", "new"));
    ASSERT_TRUE(writeFile(folder + "\\to.txt", "old"));
    EXPECT_TRUE(files.copyFile(folder + "\\from.txt", folder + "\\to.txt"));
    EXPECT_EQ(readFile(folder + "\\to.txt").value_or(""), "new");
    EXPECT_FALSE(files.copyFile(folder + "\\none.txt", folder + "\\to.txt"));
}

TEST_F(DiskPorts, pathsBeyondThePathBufferFailWithoutHarm) {
    const std::string deep = folder + "\\" + std::string(300, 'd');
    EXPECT_FALSE(files.createDirectory(deep));
    EXPECT_FALSE(files.directoryExists(deep));
    EXPECT_FALSE(files.copyFile(folder + "\\x", deep));
    EXPECT_FALSE(shell.deleteFolder(deep));
    EXPECT_FALSE(shell.openFolder(deep));
    const std::string lines[] = {"x"};
    EXPECT_FALSE(profiles.appendSection(deep, "A", lines));
}

TEST_F(DiskPorts, fullPathsResolveDotsAndKeepTheLetterCase) {
    EXPECT_EQ(files.fullPath("C:\\Drv_Disk_8207_6514\\New\\..").value_or(""), "C:\\Drv_Disk_8207_6514");
    EXPECT_EQ(files.fullPath("c:\\drv_disk_8207_6514\\").value_or(""), "c:\\drv_disk_8207_6514\\");
    EXPECT_FALSE(files.fullPath("").has_value());
}

}  // namespace
