// portable_ledger_ports_test.cpp: the portable ledger file (read in pieces, create-new and size-checked appends) and clock, and the file ledger over them.
#include "portable/ledger_ports_portable.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>

#include "progstation/ledger/file_ledger.h"
#include "tests/support/test_support.h"

using namespace lt;
using namespace lt::ledger;

namespace {

std::string readAll(LedgerFiles& files, const std::string& path, FileStatus expected = FileStatus::Ok) {
    std::string out;
    EXPECT_EQ(files.read(path, [&](std::string_view piece) { out.append(piece); }).status, expected);
    return out;
}

}  // namespace

TEST(PortableLedgerFiles, createsOnlyNewFilesAndAppendsOnlyToTheSizeLastSeen) {
    test::TempDir dir;
    PortableLedgerFiles files;
    const std::string path = dir.file("AddressLedger.csv");
    readAll(files, path, FileStatus::Missing);
    EXPECT_EQ(files.append(path, "abc", 3).status, FileStatus::Missing);
    ASSERT_EQ(files.append(path, "head\r\n", std::nullopt).status, FileStatus::Ok);
    EXPECT_EQ(files.append(path, "again", std::nullopt).status, FileStatus::Changed);
    EXPECT_EQ(files.append(path, "x", 5).status, FileStatus::Changed);
    ASSERT_EQ(files.append(path, "line\r\n", 6).status, FileStatus::Ok);
    EXPECT_EQ(readAll(files, path), "head\r\nline\r\n");
}

TEST(PortableLedgerFiles, readsAFileLargerThanOnePieceWhole) {
    test::TempDir dir;
    PortableLedgerFiles files;
    const std::string path = dir.file("big.csv");
    std::string content;
    for (int i = 0; content.size() < 3 * (1 << 20) + 17; ++i) content += std::to_string(i) + "\n";
    std::ofstream(path, std::ios::binary) << content;
    int pieces = 0;
    std::string got;
    ASSERT_EQ(files.read(path, [&](std::string_view p) { ++pieces, got.append(p); }).status, FileStatus::Ok);
    EXPECT_EQ(got, content);
    EXPECT_EQ(pieces, 4);
}

TEST(PortableLedgerClock, givesUtcNowAndAnOffsetOfAtMostFourteenHours) {
    PortableLedgerClock clock;
    const int64_t expected =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
    EXPECT_LE(std::abs(clock.utcNow() - expected), 2);
    EXPECT_LE(std::abs(clock.localOffset()), 14 * 3600);
    EXPECT_EQ(clock.localOffset() % 60, 0);
}

TEST(PortableLedgerFiles, carryTheFileLedgerAcrossARestart) {
    test::TempDir dir;
    PortableLedgerFiles files;
    PortableLedgerClock clock;
    const std::string path = dir.file("AddressLedger.csv");
    constexpr MacAddress start = {0x00, 0x1b, 0x4e, 0x00, 0x00, 0xfe};
    LotPlan plan;
    plan.rangeStart = start;
    plan.rangeCount = 4;
    plan.lotStart = start;
    plan.adapters = 4;
    {
        FileLedger ledger(files, clock, path, "LINE-1");
        ASSERT_TRUE(ledger.open().ok());
        const IssueResult issued = ledger.issue(plan);
        ASSERT_TRUE(issued.problem.ok());
        std::vector<ShippedAdapter> back;
        for (uint32_t k = 0; k < 4; ++k) back.push_back({k + 1, adapter::stepAddress(start, k), ""});
        ASSERT_TRUE(ledger.ship(issued.lot, back).ok());
    }
    FileLedger ledger(files, clock, path, "LINE-1");
    const OpenResult opened = ledger.open();
    ASSERT_TRUE(opened.ok()) << opened.problem.reason;
    EXPECT_TRUE(opened.interrupted.empty());
    EXPECT_EQ(ledger.shippedAmong(lotAddresses(start, 4)).count, 4u);
    EXPECT_TRUE(readAll(files, path).find("00-1B-4E-00-01-01") != std::string::npos);
}
