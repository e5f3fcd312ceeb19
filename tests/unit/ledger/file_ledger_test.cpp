// file_ledger_test.cpp: the ledger in AddressLedger.csv: the lines each event appends, start-up recovery, damage, the guard, lot numbers, counters and failed appends.
#include "progstation/ledger/file_ledger.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/fakes/fake_ledger_ports.h"

using namespace lt;
using namespace lt::ledger;

namespace {

const std::string kPath = "C:\\windows\\AddressLedger.csv";
constexpr MacAddress kStart = {0x00, 0x1b, 0x4e, 0x7a, 0x01, 0x00};
const std::string kHead = std::string(kHeader) + "\r\n";

MacAddress at(uint32_t k) { return adapter::stepAddress(kStart, k); }

struct FileLedgerTest : ::testing::Test {
    test::FakeLedgerFiles files;
    test::FakeLedgerClock clock;
    std::unique_ptr<FileLedger> ledger = make();

    std::unique_ptr<FileLedger> make() { return std::make_unique<FileLedger>(files, clock, kPath, "LINE-1"); }
    // A new ledger object on the file as it stands, as a restarted station has it.
    OpenResult reopen() {
        ledger = make();
        return ledger->open();
    }
    std::string& file() { return files.files[kPath]; }

    LotPlan plan(uint32_t first, uint32_t adapters, uint32_t rangeCount = 10) {
        LotPlan p;
        p.rangeStart = kStart;
        p.rangeCount = rangeCount;
        p.lotStart = at(first);
        p.adapters = adapters;
        p.vid = 0x8207;
        p.pid = 0x6514;
        p.detail = "diagnostics 0";
        return p;
    }
    std::vector<ShippedAdapter> readBack(uint32_t first, uint32_t adapters) {
        std::vector<ShippedAdapter> out;
        for (uint32_t k = 0; k < adapters; ++k) out.push_back({k + 1, at(first + k), "SN" + std::to_string(first + k)});
        return out;
    }
    // One lot issued and shipped; returns its number.
    uint64_t shipLot(uint32_t first, uint32_t adapters, uint32_t rangeCount = 10) {
        const IssueResult issued = ledger->issue(plan(first, adapters, rangeCount));
        EXPECT_TRUE(issued.problem.ok()) << issued.problem.reason;
        const auto back = readBack(first, adapters);
        EXPECT_TRUE(ledger->ship(issued.lot, back).ok());
        return issued.lot;
    }
    std::vector<std::string> lines() {
        std::vector<std::string> out;
        const std::string& f = file();
        for (std::size_t pos = 0; pos < f.size();) {
            const auto end = f.find("\r\n", pos);
            if (end == std::string::npos) {
                out.push_back(f.substr(pos));
                break;
            }
            out.push_back(f.substr(pos, end - pos));
            pos = end + 2;
        }
        return out;
    }
    int count(const std::string& what) {
        int n = 0;
        for (const std::string& l : lines())
            if (l.find(what) != std::string::npos) ++n;
        return n;
    }
};

}  // namespace

TEST_F(FileLedgerTest, aLotWritesItsIssuedLinesUnderTheHeaderThenItsShippedLines) {
    ASSERT_TRUE(ledger->open().ok());
    EXPECT_EQ(files.files.count(kPath), 0u);  // nothing is written before the first lot
    const IssueResult issued = ledger->issue(plan(0, 2));
    ASSERT_TRUE(issued.problem.ok());
    EXPECT_EQ(issued.lot, 1u);
    EXPECT_EQ(issued.lotStart, kStart);
    EXPECT_EQ(file(), kHead +
                          "2024-05-01T10:00:00Z,LINE-1,issued,1,1,00-1B-4E-7A-01-00,,8207,6514,00-1B-4E-7A-01-00,10,diagnostics 0\r\n"
                          "2024-05-01T10:00:00Z,LINE-1,issued,1,2,00-1B-4E-7A-01-01,,8207,6514,00-1B-4E-7A-01-00,10,diagnostics 0\r\n");
    EXPECT_EQ(files.appends, 1);  // written and flushed in one append, before the request

    clock.now += 5;
    ASSERT_TRUE(ledger->ship(issued.lot, readBack(0, 2)).ok());
    EXPECT_EQ(lines()[3], "2024-05-01T10:00:05Z,LINE-1,shipped,1,1,00-1B-4E-7A-01-00,SN0,8207,6514,00-1B-4E-7A-01-00,10,");
    EXPECT_EQ(lines()[4], "2024-05-01T10:00:05Z,LINE-1,shipped,1,2,00-1B-4E-7A-01-01,SN1,8207,6514,00-1B-4E-7A-01-00,10,");
    EXPECT_EQ(lines().size(), 5u);
    EXPECT_TRUE(reopen().interrupted.empty());
}

TEST_F(FileLedgerTest, aLotThatIsNotRecordedIsVoidedAddressByAddressWithTheReason) {
    ASSERT_TRUE(ledger->open().ok());
    const IssueResult issued = ledger->issue(plan(0, 3));
    ASSERT_TRUE(ledger->voidLot(issued.lot, "verification failed, descriptors").ok());
    EXPECT_EQ(lines()[4], "2024-05-01T10:00:00Z,LINE-1,void,1,1,00-1B-4E-7A-01-00,,8207,6514,00-1B-4E-7A-01-00,10,"
                          "\"verification failed, descriptors\"");
    EXPECT_EQ(count(",void,1,"), 3);
    EXPECT_EQ(ledger->voidLot(issued.lot, "again").status, LedgerStatus::UnknownLot);
    EXPECT_EQ(ledger->ship(issued.lot, readBack(0, 3)).status, LedgerStatus::UnknownLot);
    EXPECT_EQ(count(",void,1,"), 3);
}

TEST_F(FileLedgerTest, issuedAddressesThatNoAdapterReadBackAreVoidedWhenTheLotShips) {
    ASSERT_TRUE(ledger->open().ok());
    const IssueResult issued = ledger->issue(plan(0, 3));
    const std::vector<ShippedAdapter> two = {{1, at(0), "A"}, {3, at(2), "C"}};
    ASSERT_TRUE(ledger->ship(issued.lot, two).ok());
    EXPECT_EQ(count(",shipped,1,"), 2);
    EXPECT_EQ(lines().back(), "2024-05-01T10:00:00Z,LINE-1,void,1,2,00-1B-4E-7A-01-01,,8207,6514,00-1B-4E-7A-01-00,10,not read back");
    EXPECT_TRUE(reopen().interrupted.empty());
}

TEST_F(FileLedgerTest, anInterruptedLotIsReportedOnceAndClosedWithVoidLines) {
    ASSERT_TRUE(ledger->open().ok());
    shipLot(0, 4);
    ASSERT_TRUE(ledger->issue(plan(4, 3)).problem.ok());  // the station stops here

    const OpenResult opened = reopen();
    ASSERT_TRUE(opened.ok());
    ASSERT_EQ(opened.interrupted.size(), 1u);
    EXPECT_EQ(opened.interrupted[0].lot, 2u);
    EXPECT_EQ(opened.interrupted[0].adapters, 3u);
    EXPECT_EQ(opened.interrupted[0].first, at(4));
    EXPECT_EQ(opened.interrupted[0].last, at(6));
    ASSERT_TRUE(ledger->closeInterrupted().ok());
    EXPECT_EQ(count(",void,2,"), 3);
    EXPECT_EQ(count("interrupted"), 3);
    EXPECT_EQ(lines().back(), "2024-05-01T10:00:00Z,LINE-1,void,2,3,00-1B-4E-7A-01-06,,8207,6514,00-1B-4E-7A-01-00,10,interrupted");

    EXPECT_TRUE(reopen().interrupted.empty());
    ASSERT_TRUE(ledger->closeInterrupted().ok());
    EXPECT_EQ(count("interrupted"), 3);
}

TEST_F(FileLedgerTest, aLotStoppedPartWayThroughItsShippedLinesReportsOnlyItsOpenAddresses) {
    ASSERT_TRUE(ledger->open().ok());
    const IssueResult issued = ledger->issue(plan(0, 4));
    const auto back = readBack(0, 4);
    ASSERT_TRUE(ledger->ship(issued.lot, std::span(back).first(2)).ok());
    // Take the two void lines of that ship away again: as if the station stopped after two shipped lines.
    file().resize(file().size() - 2 * (lines().back().size() + 2));
    const OpenResult opened = reopen();
    ASSERT_EQ(opened.interrupted.size(), 1u);
    EXPECT_EQ(opened.interrupted[0].adapters, 2u);
    EXPECT_EQ(opened.interrupted[0].first, at(2));
    EXPECT_EQ(opened.interrupted[0].last, at(3));
}

TEST_F(FileLedgerTest, theGuardFindsShippedAddressesUntilTheyAreReissued) {
    ASSERT_TRUE(ledger->open().ok());
    clock.now = 1714557600;
    shipLot(0, 4);  // 0..3 shipped
    clock.now += 60;
    const IssueResult voided = ledger->issue(plan(4, 2));
    ASSERT_TRUE(ledger->voidLot(voided.lot, "refused").ok());  // 4, 5 issued and voided
    ASSERT_TRUE(ledger->issue(plan(6, 1)).problem.ok());       // 6 issued only

    const auto lot = lotAddresses(at(2), 6);  // 2..7
    GuardHit hit = ledger->shippedAmong(lot);
    ASSERT_TRUE(hit.problem.ok());
    EXPECT_EQ(hit.count, 2u);
    EXPECT_EQ(hit.first, at(2));
    EXPECT_EQ(hit.shippedAt, 1714557600);
    EXPECT_EQ(hit.station, "LINE-1");
    EXPECT_EQ(ledger->shippedAmong(lotAddresses(at(4), 4)).count, 0u);

    // The operator hands 2 and 3 out again: reissued lines, then shipped once more.
    LotPlan again = plan(2, 2);
    again.reissued = {at(2), at(3)};
    again.reissueDetail = "operator opusr";
    const IssueResult reissued = ledger->issue(again);
    ASSERT_TRUE(reissued.problem.ok());
    EXPECT_EQ(lines().back(), "2024-05-01T10:01:00Z,LINE-1,reissued,4,2,00-1B-4E-7A-01-03,,8207,6514,00-1B-4E-7A-01-00,10,operator opusr");
    EXPECT_EQ(ledger->shippedAmong(lot).count, 0u);
    ASSERT_TRUE(ledger->ship(reissued.lot, readBack(2, 2)).ok());
    EXPECT_EQ(ledger->shippedAmong(lot).count, 2u);

    // The same answers after a restart.
    ASSERT_TRUE(reopen().ok());
    hit = ledger->shippedAmong(lot);
    EXPECT_EQ(hit.count, 2u);
    EXPECT_EQ(hit.shippedAt, 1714557660);
}

TEST_F(FileLedgerTest, aReissueWhoseLotIsVoidedLeavesTheEarlierShipmentStanding) {
    ASSERT_TRUE(ledger->open().ok());
    clock.now = 1714557600;
    shipLot(0, 4);  // 0..3 shipped
    clock.now += 60;
    // 2 and 3 handed out again, but the lot fails: the units shipped first still carry them.
    LotPlan again = plan(2, 2);
    again.reissued = {at(2), at(3)};
    again.reissueDetail = "operator login";
    const IssueResult failed = ledger->issue(again);
    ASSERT_TRUE(failed.problem.ok());
    ASSERT_TRUE(ledger->voidLot(failed.lot, "descriptor verification failed").ok());
    const auto lot = lotAddresses(at(2), 2);
    for (int restarted = 0; restarted < 2; ++restarted) {
        SCOPED_TRACE(restarted ? "after a restart" : "the same ledger");
        const GuardHit hit = ledger->shippedAmong(lot);
        EXPECT_EQ(hit.count, 2u);
        EXPECT_EQ(hit.shippedAt, 1714557600);
        ASSERT_TRUE(reopen().ok());
    }
    // A re-issue that ships counts: the address is shipped once since it.
    again.reissued = {at(2)};
    const IssueResult shipped = ledger->issue(again);
    ASSERT_TRUE(ledger->ship(shipped.lot, readBack(2, 2)).ok());
    ASSERT_TRUE(reopen().ok());
    EXPECT_EQ(ledger->shippedAmong(lot).shippedAt, 1714557660);
}

TEST_F(FileLedgerTest, theGuardNamesTheStationThatShippedTheAddress) {
    file() = kHead + "2024-04-30T08:00:00Z,\"LINE,7\",shipped,9,1,00-1B-4E-7A-01-05,S,8207,6514,00-1B-4E-7A-01-00,10,\r\n";
    ASSERT_TRUE(ledger->open().ok());
    const GuardHit hit = ledger->shippedAmong(lotAddresses(at(3), 4));
    EXPECT_EQ(hit.count, 1u);
    EXPECT_EQ(hit.first, at(5));
    EXPECT_EQ(hit.station, "LINE,7");
    EXPECT_EQ(hit.shippedAt, *parseTime("2024-04-30T08:00:00Z"));
}

TEST_F(FileLedgerTest, lotNumbersGoOnFromTheHighestLotInTheFileAcrossRestarts) {
    ASSERT_TRUE(ledger->open().ok());
    EXPECT_EQ(shipLot(0, 2), 1u);
    EXPECT_EQ(shipLot(2, 2), 2u);
    ASSERT_TRUE(reopen().ok());
    EXPECT_EQ(shipLot(4, 2), 3u);
    file() += "2024-05-01T10:00:00Z,LINE-1,void,41,1,00-1B-4E-7A-01-06,,8207,6514,00-1B-4E-7A-01-00,10,x\r\n";
    ASSERT_TRUE(reopen().ok());
    EXPECT_EQ(shipLot(6, 2), 42u);
    // A lot whose issue failed keeps its number to itself.
    files.failAppends = 1;
    EXPECT_EQ(ledger->issue(plan(8, 2)).problem.status, LedgerStatus::WriteFailed);
    EXPECT_EQ(ledger->issue(plan(8, 2)).lot, 44u);
}

TEST_F(FileLedgerTest, countersFollowTheRangeAndToday) {
    clock.offset = 2 * 3600;  // local time two hours ahead of UTC
    clock.now = *parseTime("2024-05-01T21:30:00Z");  // 23:30 local
    ASSERT_TRUE(ledger->open().ok());
    LedgerCounters c = ledger->counters();
    EXPECT_FALSE(c.hasRange);
    EXPECT_EQ(c.adaptersShippedToday, 0u);

    shipLot(0, 4);
    c = ledger->counters();
    EXPECT_TRUE(c.hasRange);
    EXPECT_EQ(c.rangeStart, kStart);
    EXPECT_EQ(c.rangeCount, 10u);
    EXPECT_EQ(c.rangeProgrammed, 4u);
    EXPECT_EQ(c.rangeLeft, 6u);
    EXPECT_EQ(c.adaptersShippedToday, 4u);
    EXPECT_EQ(c.lotsShippedToday, 1u);

    clock.now = *parseTime("2024-05-01T22:10:00Z");  // 00:10 local: a new day
    const IssueResult failed = ledger->issue(plan(4, 4));
    ASSERT_TRUE(ledger->voidLot(failed.lot, "verification failed").ok());
    c = ledger->counters();
    EXPECT_EQ(c.rangeProgrammed, 4u);  // the failed lot gives its addresses again
    EXPECT_EQ(c.adaptersShippedToday, 0u);
    EXPECT_EQ(c.lotsShippedToday, 0u);
    EXPECT_EQ(c.lotsFailedToday, 1u);

    shipLot(4, 4);
    const IssueResult partly = ledger->issue(plan(8, 2));
    const std::vector<ShippedAdapter> one = {{1, at(8), "S"}};
    ASSERT_TRUE(ledger->ship(partly.lot, one).ok());  // the unread adapter's void does not fail the lot
    c = ledger->counters();
    EXPECT_EQ(c.rangeProgrammed, 9u);
    EXPECT_EQ(c.rangeLeft, 1u);
    EXPECT_EQ(c.adaptersShippedToday, 5u);
    EXPECT_EQ(c.lotsShippedToday, 2u);
    EXPECT_EQ(c.lotsFailedToday, 1u);

    // Read back from the file, the same figures.
    ASSERT_TRUE(reopen().ok());
    const LedgerCounters again = ledger->counters();
    EXPECT_EQ(again.rangeProgrammed, 9u);
    EXPECT_EQ(again.adaptersShippedToday, 5u);
    EXPECT_EQ(again.lotsShippedToday, 2u);
    EXPECT_EQ(again.lotsFailedToday, 1u);

    // A new range from the same start (the count typed below the count programmed) starts from nothing.
    shipLot(0, 3, 3);
    c = ledger->counters();
    EXPECT_EQ(c.rangeCount, 3u);
    EXPECT_EQ(c.rangeProgrammed, 3u);
    EXPECT_EQ(c.rangeLeft, 0u);
}

TEST_F(FileLedgerTest, aCutShortLastLineIsSkippedAndTheNextAppendStartsOnAFreshLine) {
    ASSERT_TRUE(ledger->open().ok());
    shipLot(0, 2);
    const std::string whole = file();
    const std::string next =
        "2024-05-01T10:00:00Z,LINE-1,shipped,7,1,00-1B-4E-7A-01-09,SN9,8207,6514,00-1B-4E-7A-01-00,10,diagnostics 0\r\n";
    for (std::size_t cut = 1; cut < next.size(); ++cut) {
        SCOPED_TRACE(next.substr(0, cut));
        file() = whole + next.substr(0, cut);
        const OpenResult opened = reopen();
        ASSERT_TRUE(opened.ok()) << opened.problem.reason;
        const bool taken = cut >= next.rfind(',') + 1;  // all twelve fields begun: the record stands
        EXPECT_EQ(opened.skippedLines, taken ? 0u : 1u);
        EXPECT_EQ(ledger->shippedAmong(lotAddresses(at(9), 1)).count, taken ? 1u : 0u);
        shipLot(3, 1);
        const OpenResult after = reopen();
        ASSERT_TRUE(after.ok()) << after.problem.reason << " at line " << after.problem.line;
        EXPECT_EQ(after.skippedLines, taken ? 0u : 1u);
        EXPECT_EQ(ledger->shippedAmong(lotAddresses(at(3), 1)).count, 1u);
        EXPECT_TRUE(file().ends_with(",SN3,8207,6514,00-1B-4E-7A-01-00,10,\r\n"));
    }
}

TEST_F(FileLedgerTest, aHeaderCutShortIsCompletedByTheFirstAppend) {
    for (std::size_t cut = 0; cut < kHead.size(); ++cut) {
        file() = kHead.substr(0, cut);
        ASSERT_TRUE(reopen().ok()) << cut;
        shipLot(0, 1);
        ASSERT_TRUE(reopen().ok()) << cut;
        EXPECT_TRUE(file().starts_with(kHead + "2024-05-01T10:00:00Z,LINE-1,issued,1,1,")) << cut;
    }
}

TEST_F(FileLedgerTest, aDamagedLedgerIsReportedWithItsLineAndNothingIsWritten) {
    const std::string line = "2024-05-01T10:00:00Z,LINE-1,shipped,1,1,00-1B-4E-7A-01-00,S,8207,6514,00-1B-4E-7A-01-00,10,\r\n";
    struct Case {
        std::string content;
        uint64_t line;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"time,station,event\r\n" + line, 1, "unknown header"},
        {"\xEF\xBB\xBF" + kHead + line, 1, "unknown header"},
        {"tim,", 1, "unknown header"},
        {kHead + line + "2024-05-01T10:00:00Z,LINE-1,sent,1,1,00-1B-4E-7A-01-00,S,8207,6514,00-1B-4E-7A-01-00,10,\r\n" + line,
         3, "unknown event \"sent\""},
        {kHead + "garbage\r\n" + line, 2, "bad time \"garbage\""},
        {kHead + line + "2024-05-01T10:00:00Z,LINE-1,void,1,1,00-1B-4E-7A-01-0G", 3, "bad mac \"00-1B-4E-7A-01-0G\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.content);
        file() = c.content;
        const OpenResult opened = reopen();
        EXPECT_EQ(opened.problem.status, LedgerStatus::Damaged);
        EXPECT_EQ(opened.problem.line, c.line);
        EXPECT_EQ(opened.problem.reason, c.reason);
        EXPECT_EQ(ledger->issue(plan(0, 2)).problem.status, LedgerStatus::Damaged);
        EXPECT_EQ(ledger->closeInterrupted().status, LedgerStatus::Damaged);
        EXPECT_EQ(ledger->shippedAmong(lotAddresses(kStart, 1)).problem.status, LedgerStatus::Damaged);
        EXPECT_EQ(file(), c.content);
    }
    // Mended, the ledger is read again and works.
    file() = kHead + line;
    ASSERT_TRUE(ledger->open().ok());
    EXPECT_EQ(ledger->shippedAmong(lotAddresses(kStart, 1)).count, 1u);
}

TEST_F(FileLedgerTest, anUnreadableLedgerStopsEveryOperationUntilItCanBeRead) {
    file() = kHead;
    files.failRead = true;
    const OpenResult opened = ledger->open();
    EXPECT_EQ(opened.problem.status, LedgerStatus::Unreadable);
    EXPECT_EQ(opened.problem.systemError, 5u);
    EXPECT_EQ(ledger->issue(plan(0, 1)).problem.status, LedgerStatus::Unreadable);
    EXPECT_EQ(file(), kHead);
    files.failRead = false;
    ASSERT_TRUE(ledger->open().ok());
    EXPECT_TRUE(ledger->issue(plan(0, 1)).problem.ok());
    EXPECT_EQ(make()->issue(plan(0, 1)).problem.status, LedgerStatus::NotOpen);
}

TEST_F(FileLedgerTest, aFailedIssueIsReportedAndItsLinesThatReachedTheFileAreVoided) {
    ASSERT_TRUE(ledger->open().ok());
    shipLot(0, 2);
    files.failAppends = 1;
    files.keepOnFailure = 250;  // two whole issued lines and the start of a third reach the file
    const IssueResult failed = ledger->issue(plan(2, 4));
    EXPECT_EQ(failed.problem.status, LedgerStatus::WriteFailed);
    EXPECT_EQ(failed.problem.systemError, 112u);
    EXPECT_EQ(count(",diagnostics 0"), 2 + 2);

    const IssueResult retried = ledger->issue(plan(2, 4));
    ASSERT_TRUE(retried.problem.ok());
    EXPECT_EQ(retried.lot, 3u);
    EXPECT_EQ(count(",void,2,"), 2);
    EXPECT_EQ(count("not programmed"), 2);
    ASSERT_TRUE(ledger->ship(retried.lot, readBack(2, 4)).ok());
    const OpenResult opened = reopen();
    ASSERT_TRUE(opened.ok()) << opened.problem.reason;
    EXPECT_EQ(opened.skippedLines, 1u);
    EXPECT_TRUE(opened.interrupted.empty());
}

TEST_F(FileLedgerTest, shippedLinesThatFailedAreWrittenByTheNextAppendAndCountForTheGuardMeanwhile) {
    ASSERT_TRUE(ledger->open().ok());
    const IssueResult issued = ledger->issue(plan(0, 4));
    files.failAppends = 1;
    files.keepOnFailure = 250;  // two shipped lines reach the file
    EXPECT_EQ(ledger->ship(issued.lot, readBack(0, 4)).status, LedgerStatus::WriteFailed);
    EXPECT_EQ(ledger->shippedAmong(lotAddresses(kStart, 4)).count, 4u);
    EXPECT_TRUE(ledger->open().interrupted.empty());  // read again: the lot waits, it was not interrupted

    ASSERT_TRUE(ledger->issue(plan(4, 2)).problem.ok());
    for (uint32_t k = 0; k < 4; ++k)
        EXPECT_EQ(count(",SN" + std::to_string(k) + ",8207,"), 1) << k;  // each exactly once
    const OpenResult opened = reopen();
    ASSERT_TRUE(opened.ok());
    EXPECT_EQ(ledger->shippedAmong(lotAddresses(kStart, 4)).count, 4u);
    ASSERT_EQ(opened.interrupted.size(), 1u);  // only the lot issued last
    EXPECT_EQ(opened.interrupted[0].lot, 2u);
}

TEST_F(FileLedgerTest, linesAppendedByAnotherProgramAreNeverWrittenOverAndAreReadBeforeTheNextAppend) {
    ASSERT_TRUE(ledger->open().ok());
    shipLot(0, 2);
    const std::string foreign =
        "2024-05-01T10:00:00Z,LINE-9,shipped,80,1,00-1B-4E-7A-01-07,X,8207,6514,00-1B-4E-7A-01-00,10,\r\n";
    file() += foreign;
    EXPECT_EQ(ledger->issue(plan(2, 2)).problem.status, LedgerStatus::WriteFailed);
    EXPECT_TRUE(file().ends_with(foreign));
    const IssueResult next = ledger->issue(plan(2, 2));
    ASSERT_TRUE(next.problem.ok());
    EXPECT_EQ(next.lot, 81u);  // past the other program's lot 80
    EXPECT_EQ(ledger->shippedAmong(lotAddresses(at(7), 1)).station, "LINE-9");
}

TEST_F(FileLedgerTest, aLedgerFileThatAppearsBeforeTheFirstLotIsNotCreatedOver) {
    ASSERT_TRUE(ledger->open().ok());
    file() = kHead;
    EXPECT_EQ(ledger->issue(plan(0, 1)).problem.status, LedgerStatus::WriteFailed);
    ASSERT_TRUE(ledger->issue(plan(0, 1)).problem.ok());
    EXPECT_EQ(lines().size(), 2u);
    EXPECT_EQ(lines()[0], kHeader);
}
