// profile_files_win32_test.cpp: the Win32 change of several keys while another program holds the file open without delete sharing: the rename is tried again for a while, succeeds when the holder lets go in time and otherwise fails with the file as it was.
#include "tests/support/test_support.h"
#include "win32/profile_files_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

using lt::settings::ProfileWrite;
using lt::win32::ProfileFilesWin32;

namespace {

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "<none>";
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void putBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Another program's handle on the file: read access, read and write sharing, no delete
// sharing (as a backup agent, a virus scanner or an editor opens it), closed after
// `holdMs` on a thread of its own.
class Holder {
public:
    Holder(const std::string& path, DWORD holdMs)
        : handle_(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr)) {
        if (handle_ != INVALID_HANDLE_VALUE) letGo_ = std::thread([this, holdMs] {
            Sleep(holdMs);
            CloseHandle(handle_);
            released_ = true;
        });
    }
    ~Holder() {
        if (letGo_.joinable()) letGo_.join();
    }
    bool holds() const { return handle_ != INVALID_HANDLE_VALUE; }
    bool released() const { return released_; }

private:
    HANDLE handle_;
    std::atomic<bool> released_{false};
    std::thread letGo_;
};

const std::string kBefore = "[PREVIOUSMACADDR]\r\nBYTE6=03\r\n[PREVIOUSDEVCOUNT]\r\nCOUNT=4\r\n";
const std::vector<ProfileWrite> kLot = {{"PREVIOUSMACADDR", "BYTE6", "07"}, {"PREVIOUSDEVCOUNT", "COUNT", "8"}};

}  // namespace

TEST(ProfileFilesWin32Replace, theRenameOverAHeldFileIsRefusedAsTheRetryExpects) {
    // What the retry waits out: the system refuses to replace a file held without delete
    // sharing (Windows: sharing violation, Wine: access denied).
    lt::test::TempDir dir;
    const std::string path = dir.file("EpromData.ini"), copy = dir.file("EpromData.ini.new");
    putBytes(path, kBefore);
    putBytes(copy, "[PREVIOUSMACADDR]\r\nBYTE6=07\r\n");
    Holder holder(path, 300);
    ASSERT_TRUE(holder.holds());
    EXPECT_FALSE(MoveFileExA(copy.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING));
    const DWORD error = GetLastError();
    EXPECT_TRUE(error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED) << error;
}

TEST(ProfileFilesWin32Replace, aChangeWaitsForAProgramThatLetsGoOfTheFileWithinTheRetryTime) {
    lt::test::TempDir dir;
    const std::string path = dir.file("EpromData.ini");
    putBytes(path, kBefore);
    ProfileFilesWin32 profiles;  // the programs' retry time
    Holder holder(path, 150);
    ASSERT_TRUE(holder.holds());
    EXPECT_TRUE(profiles.writeStrings(path, kLot));
    EXPECT_TRUE(holder.released()) << "the change waited for the holder";
    EXPECT_EQ(profiles.readString(path, "PREVIOUSMACADDR", "BYTE6", "", 10), "07");
    EXPECT_EQ(profiles.readString(path, "PREVIOUSDEVCOUNT", "COUNT", "", 10), "8");
    EXPECT_FALSE(std::filesystem::exists(path + ".new"));
}

TEST(ProfileFilesWin32Replace, withoutTheRetryTheSameChangeFails) {
    lt::test::TempDir dir;
    const std::string path = dir.file("EpromData.ini");
    putBytes(path, kBefore);
    ProfileFilesWin32 profiles(lt::win32::ReplaceRetry{0, 0});
    Holder holder(path, 150);
    ASSERT_TRUE(holder.holds());
    EXPECT_FALSE(profiles.writeStrings(path, kLot));
    EXPECT_FALSE(holder.released());
    EXPECT_EQ(fileBytes(path), kBefore);
}

TEST(ProfileFilesWin32Replace, aChangeFailsAfterTheRetryTimeAndLeavesTheFileAsItWasWhenTheHolderStays) {
    lt::test::TempDir dir;
    const std::string path = dir.file("EpromData.ini");
    putBytes(path, kBefore);
    ProfileFilesWin32 profiles;
    {
        Holder holder(path, 3000);
        ASSERT_TRUE(holder.holds());
        const DWORD start = GetTickCount();
        EXPECT_FALSE(profiles.writeStrings(path, kLot));
        std::printf("[ figure   ] the change gave up after %lu ms of tries\n", GetTickCount() - start);
        EXPECT_FALSE(holder.released()) << "it gave up while the holder still held the file";
        EXPECT_EQ(fileBytes(path), kBefore) << "none of the writes";
        EXPECT_FALSE(std::filesystem::exists(path + ".new")) << "the copy is removed";
        EXPECT_EQ(profiles.readString(path, "PREVIOUSMACADDR", "BYTE6", "", 10), "03");
    }
    // Once the holder has gone, the same change goes through.
    EXPECT_TRUE(profiles.writeStrings(path, kLot));
    EXPECT_EQ(profiles.readString(path, "PREVIOUSMACADDR", "BYTE6", "", 10), "07");
}
