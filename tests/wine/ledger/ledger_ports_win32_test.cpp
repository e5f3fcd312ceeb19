// ledger_ports_win32_test.cpp: the ledger's Win32 file and clock ports: new files only created, appends checked against the size, readers let in, writers kept out.
#include "win32/ledger_ports_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "progstation/ledger/file_ledger.h"
#include "tests/wine/support/driver.h"

using namespace lt;
using namespace lt::ledger;

namespace {

struct LedgerPortsWin32Test : ::testing::Test {
    void SetUp() override { DeleteFileA(path.c_str()); }
    void TearDown() override { DeleteFileA(path.c_str()); }

    std::string readAll(FileStatus expected = FileStatus::Ok) {
        std::string out;
        EXPECT_EQ(files.read(path, [&](std::string_view piece) { out.append(piece); }).status, expected);
        return out;
    }
    HANDLE openOther(DWORD access, DWORD share) {
        return CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    }

    win32::LedgerFilesWin32 files;
    win32::LedgerClockWin32 clock;
    std::string path = wine::sharedFile(std::string(kLedgerFileName));
};

}  // namespace

TEST_F(LedgerPortsWin32Test, createsOnlyNewFilesAndAppendsOnlyToTheSizeLastSeen) {
    readAll(FileStatus::Missing);
    EXPECT_EQ(files.append(path, "abc", 3).status, FileStatus::Missing);
    ASSERT_EQ(files.append(path, "head\r\n", std::nullopt).status, FileStatus::Ok);
    const FileResult again = files.append(path, "again", std::nullopt);
    EXPECT_EQ(again.status, FileStatus::Changed);
    EXPECT_EQ(again.error, uint32_t(ERROR_FILE_EXISTS));
    EXPECT_EQ(files.append(path, "x", 5).status, FileStatus::Changed);
    ASSERT_EQ(files.append(path, "line\r\n", 6).status, FileStatus::Ok);
    EXPECT_EQ(readAll(), "head\r\nline\r\n");
    EXPECT_EQ(wine::readFile(path), std::string("head\r\nline\r\n"));
}

TEST_F(LedgerPortsWin32Test, readersAreLetInWhileAWriterOrAnExclusiveReaderKeepsAppendsOut) {
    ASSERT_EQ(files.append(path, "head\r\n", std::nullopt).status, FileStatus::Ok);
    {
        // A viewer that lets writers in: the append goes on, and the file reads meanwhile.
        HANDLE viewer = openOther(GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
        ASSERT_NE(viewer, INVALID_HANDLE_VALUE);
        EXPECT_EQ(files.append(path, "one\r\n", 6).status, FileStatus::Ok);
        EXPECT_EQ(readAll(), "head\r\none\r\n");
        CloseHandle(viewer);
    }
    for (DWORD access : {DWORD(GENERIC_READ), DWORD(GENERIC_WRITE)}) {
        // A program that keeps writers out, or one that writes: the append fails and writes nothing.
        HANDLE other = openOther(access, access == GENERIC_READ ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_WRITE);
        ASSERT_NE(other, INVALID_HANDLE_VALUE);
        const FileResult r = files.append(path, "two\r\n", 11);
        EXPECT_EQ(r.status, FileStatus::Failed);
        EXPECT_EQ(r.error, uint32_t(ERROR_SHARING_VIOLATION));
        if (access == GENERIC_WRITE) {
            EXPECT_EQ(readAll(), "head\r\none\r\n");  // a writer that shares writing
        }
        CloseHandle(other);
    }
    EXPECT_EQ(wine::readFile(path), std::string("head\r\none\r\n"));
}

TEST_F(LedgerPortsWin32Test, readsAFileLargerThanOnePieceWhole) {
    std::string content;
    for (int i = 0; content.size() < 2 * (1 << 20) + 5; ++i) content += std::to_string(i) + "\r\n";
    ASSERT_TRUE(wine::writeFile(path, content));
    EXPECT_EQ(readAll(), content);
}

TEST_F(LedgerPortsWin32Test, theClockGivesUtcNowAndTheLocalOffset) {
    const int64_t expected = static_cast<int64_t>(std::time(nullptr));
    EXPECT_LE(std::abs(clock.utcNow() - expected), 2);
    EXPECT_LE(std::abs(clock.localOffset()), 14 * 3600);
}

TEST_F(LedgerPortsWin32Test, theFileLedgerKeepsItsLinesAcrossARestart) {
    constexpr MacAddress start = {0x00, 0x1b, 0x4e, 0x7a, 0x01, 0x00};
    LotPlan plan;
    plan.rangeStart = start;
    plan.rangeCount = 10;
    plan.lotStart = start;
    plan.adapters = 4;
    plan.vid = 0x8207;
    plan.pid = 0x6514;
    plan.detail = "diagnostics 0";
    {
        FileLedger ledger(files, clock, path, "LINE-1");
        ASSERT_TRUE(ledger.open().ok());
        const IssueResult issued = ledger.issue(plan);
        ASSERT_TRUE(issued.problem.ok()) << issued.problem.reason << " " << issued.problem.systemError;
        std::vector<ShippedAdapter> back;
        for (uint32_t k = 0; k < 3; ++k) back.push_back({k + 1, adapter::stepAddress(start, k), "S"});
        ASSERT_TRUE(ledger.ship(issued.lot, back).ok());
        ASSERT_TRUE(ledger.issue(plan).problem.ok());  // and the station stops
    }
    // A stop in the middle of an append leaves the start of a line.
    const std::string cut = "2024-05-01T10:00:00Z,LINE-1,shipped,2,1,00-1B";
    ASSERT_TRUE(wine::writeFile(path, *wine::readFile(path) + cut));

    FileLedger ledger(files, clock, path, "LINE-1");
    const OpenResult opened = ledger.open();
    ASSERT_TRUE(opened.ok()) << opened.problem.reason;
    EXPECT_EQ(opened.skippedLines, 1u);
    ASSERT_EQ(opened.interrupted.size(), 1u);
    EXPECT_EQ(opened.interrupted[0].adapters, 4u);
    ASSERT_TRUE(ledger.closeInterrupted().ok());
    EXPECT_EQ(ledger.shippedAmong(lotAddresses(start, 4)).count, 3u);
    const std::string text = *wine::readFile(path);
    EXPECT_TRUE(text.starts_with(std::string(kHeader) + "\r\n"));
    EXPECT_NE(text.find(cut + "\r\n"), std::string::npos);  // the next append started on a fresh line
    EXPECT_TRUE(text.ends_with(",void,2,4,00-1B-4E-7A-01-03,,8207,6514,00-1B-4E-7A-01-00,10,interrupted\r\n"));
}
