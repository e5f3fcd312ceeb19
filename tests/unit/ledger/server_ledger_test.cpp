// server_ledger_test.cpp: the ledger shared on the PostgreSQL test server: the tables, lots placed in one range by several stations at once, held and released addresses, killed stations, the constraints and a lost server.
#include "progstation/ledger/server_ledger.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <map>
#include <random>
#include <set>
#include <thread>

#include "tests/database/test_database.h"
#include "tests/fakes/fake_ledger_ports.h"

using namespace lt;
using namespace lt::ledger;

namespace {

constexpr MacAddress kStart = {0x00, 0x1b, 0x4e, 0x7a, 0x01, 0x00};

MacAddress at(uint32_t k, const MacAddress& start = kStart) { return adapter::stepAddress(start, k); }

int64_t number(const MacAddress& a) {
    int64_t n = 0;
    for (uint8_t b : a) n = n << 8 | b;
    return n;
}

struct ServerLedgerTest : ::testing::Test {
    test::FakeLedgerClock clock;
    std::string connection;

    void SetUp() override {
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
        std::string why;
        connection = test::freshSchema("lt_" + name.substr(0, 50), why);
        ASSERT_FALSE(connection.empty()) << why;
    }

    std::unique_ptr<ServerLedger> station(const std::string& name) {
        return std::make_unique<ServerLedger>(clock, connection, name);
    }
    std::unique_ptr<ServerLedger> opened(const std::string& name) {
        auto ledger = station(name);
        const OpenResult r = ledger->open();
        EXPECT_TRUE(r.ok()) << r.problem.reason;
        return ledger;
    }
    test::SqlResult sql(const std::string& statement, int columns = 0) {
        return test::runSql(connection, statement, columns);
    }
    std::string value(const std::string& statement) {
        const auto r = sql(statement, 1);
        EXPECT_TRUE(r.result.ok) << r.result.describe() << " in " << statement;
        return r.rows.empty() ? "" : r.rows[0][0];
    }

    static LotPlan plan(uint32_t adapters, uint32_t rangeCount = 10, const MacAddress& start = kStart) {
        return test::stationLotPlan(start, adapters, rangeCount);
    }
    static std::vector<ShippedAdapter> readBack(const IssueResult& issued, uint32_t adapters) {
        return test::readBackLot(issued, adapters, "SN", 1);
    }
    // One lot issued and shipped whole; returns what issue() said.
    IssueResult shipLot(ServerLedger& ledger, uint32_t adapters, uint32_t rangeCount = 10) {
        const IssueResult issued = ledger.issue(plan(adapters, rangeCount));
        EXPECT_TRUE(issued.problem.ok()) << issued.problem.reason;
        if (issued.problem.ok()) {
            EXPECT_TRUE(ledger.ship(issued.lot, readBack(issued, adapters)).ok());
        }
        return issued;
    }
};

}  // namespace

TEST_F(ServerLedgerTest, createsTheTablesOnceWhenStationsOpenAtTheSameMomentAndOpensOnThemAgain) {
    std::vector<std::unique_ptr<ServerLedger>> ledgers;
    for (int i = 0; i < 4; ++i) ledgers.push_back(station("LINE-" + std::to_string(i)));
    std::vector<OpenResult> results(ledgers.size());
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < ledgers.size(); ++i) threads.emplace_back([&, i] { results[i] = ledgers[i]->open(); });
    for (auto& t : threads) t.join();
    for (const OpenResult& r : results) EXPECT_TRUE(r.ok()) << r.problem.reason;
    EXPECT_EQ(value("SELECT count(*) FROM ledger_version"), "1");

    shipLot(*ledgers[0], 3);
    const OpenResult again = ledgers[0]->open();
    EXPECT_TRUE(again.ok()) << again.problem.reason;
    EXPECT_TRUE(again.interrupted.empty());
    EXPECT_TRUE(opened("LINE-9")->issue(plan(2)).problem.ok());
    EXPECT_EQ(value("SELECT count(*) FROM ledger_version"), "1");
    EXPECT_EQ(value("SELECT count(*) FROM ledger_events WHERE event = 'shipped'"), "3");

    // Tables of another version are not taken for this ledger's.
    sql("UPDATE ledger_version SET version = 7");
    const OpenResult newer = station("LINE-0")->open();
    EXPECT_EQ(newer.problem.status, LedgerStatus::Damaged);
    EXPECT_NE(newer.problem.reason.find("version 7"), std::string::npos) << newer.problem.reason;
}

TEST_F(ServerLedgerTest, placesEachLotAfterTheShippedAddressesAndSaysWhatTheRequestSends) {
    auto ledger = opened("LINE-1");
    EXPECT_EQ(ledger->issue(plan(0)).lot, 0u);

    const IssueResult first = ledger->issue(plan(4));
    ASSERT_TRUE(first.problem.ok()) << first.problem.reason;
    EXPECT_TRUE(first.placed);
    EXPECT_EQ(first.rangeOffset, 0u);
    EXPECT_EQ(first.lotStart, kStart);
    EXPECT_EQ(first.previousCount, 0u);  // the driver takes it as a new range from the start
    EXPECT_EQ(first.previousAddress, MacAddress{});
    EXPECT_EQ(first.lot, 1u);
    ASSERT_TRUE(ledger->ship(first.lot, readBack(first, 4)).ok());

    const IssueResult second = ledger->issue(plan(4));
    ASSERT_TRUE(second.problem.ok()) << second.problem.reason;
    EXPECT_EQ(second.lot, 2u);
    EXPECT_EQ(second.rangeOffset, 4u);
    EXPECT_EQ(second.lotStart, at(4));
    EXPECT_EQ(second.previousCount, 4u);
    EXPECT_EQ(second.previousAddress, at(3));  // the driver gives adapter k the previous address stepped k times
    // Three of four read back: the fourth's address is voided and held for this station.
    auto back = readBack(second, 3);
    back[1].serial = "with \"quotes\", and \\";
    ASSERT_TRUE(ledger->ship(second.lot, back).ok());

    const auto lines = sql("SELECT event, lot, device, mac, serial, vid, pid, range_start, range_count, detail,"
                           " station FROM ledger_events ORDER BY id", 11);
    ASSERT_TRUE(lines.result.ok) << lines.result.describe();
    ASSERT_EQ(lines.rows.size(), 16u);
    EXPECT_EQ(lines.rows[0], (std::vector<std::string>{"issued", "1", "1", "00-1B-4E-7A-01-00", "", "8207", "6514",
                                                       "00-1B-4E-7A-01-00", "10", "diagnostics 0", "LINE-1"}));
    EXPECT_EQ(lines.rows[4][0], "shipped");
    EXPECT_EQ(lines.rows[4][4], "SN1");
    EXPECT_EQ(lines.rows[12][0], "shipped");
    EXPECT_EQ(lines.rows[13][4], "with \"quotes\", and \\");
    EXPECT_EQ(lines.rows[15], (std::vector<std::string>{"void", "2", "4", "00-1B-4E-7A-01-07", "", "8207", "6514",
                                                        "00-1B-4E-7A-01-00", "10", "not read back", "LINE-1"}));

    LedgerCounters c = ledger->counters();
    ASSERT_TRUE(c.problem.ok()) << c.problem.reason;
    EXPECT_TRUE(c.hasRange);
    EXPECT_EQ(c.rangeStart, kStart);
    EXPECT_EQ(c.rangeProgrammed, 7u);
    EXPECT_EQ(c.rangeLeft, 3u);
    EXPECT_EQ(c.adaptersShippedToday, 7u);
    EXPECT_EQ(c.lotsShippedToday, 2u);
    EXPECT_EQ(c.lotsFailedToday, 0u);

    // The held address starts the next lot, which fills the range.
    const IssueResult third = ledger->issue(plan(3));
    ASSERT_TRUE(third.problem.ok()) << third.problem.reason;
    EXPECT_EQ(third.rangeOffset, 7u);
    ASSERT_TRUE(ledger->voidLot(third.lot, "verification failed").ok());
    EXPECT_EQ(ledger->voidLot(third.lot, "again").status, LedgerStatus::UnknownLot);
    EXPECT_EQ(ledger->counters().lotsFailedToday, 1u);
    const IssueResult retry = shipLot(*ledger, 3);
    EXPECT_EQ(retry.rangeOffset, 7u);

    c = ledger->counters();
    EXPECT_EQ(c.rangeProgrammed, 10u);
    EXPECT_EQ(c.rangeLeft, 0u);
    EXPECT_EQ(ledger->issue(plan(1)).problem.status, LedgerStatus::RangeComplete);
    EXPECT_EQ(ledger->ship(retry.lot, readBack(retry, 3)).status, LedgerStatus::UnknownLot);
    // Tomorrow the day's counts start again.
    clock.now += 86400;
    EXPECT_EQ(ledger->counters().adaptersShippedToday, 0u);
}

TEST_F(ServerLedgerTest, aFailedLotsAddressesGoToTheSameStationsNextLotGrownOrShrunk) {
    struct Case {
        const char* name;
        uint32_t retry;          // adapters of the retried lot
        bool otherTakesAfter;    // another station holds the addresses right after the failed lot
        uint32_t expectOffset;   // where the retry goes
        uint32_t expectReleased; // held addresses given back
    };
    const Case cases[] = {
        {"same size", 4, false, 2, 0},
        {"fewer adapters", 2, false, 2, 2},
        {"more adapters, room after", 6, false, 2, 0},
        {"more adapters, no room after", 6, true, 8, 4},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        sql("DELETE FROM ledger_events");
        sql("DELETE FROM ledger_addresses");
        sql("UPDATE ledger_ranges SET shipped_below = 0");
        auto a = opened("LINE-A");
        auto b = opened("LINE-B");
        const uint32_t range = 20;
        const IssueResult shipped = b->issue(plan(2, range));  // offsets 0, 1 shipped by B
        ASSERT_TRUE(b->ship(shipped.lot, readBack(shipped, 2)).ok());
        const IssueResult failed = a->issue(plan(4, range));
        ASSERT_EQ(failed.rangeOffset, 2u);
        ASSERT_TRUE(a->voidLot(failed.lot, "verification failed").ok());
        IssueResult after;
        if (k.otherTakesAfter) {
            after = b->issue(plan(2, range));  // B's next lot goes past A's held addresses
            ASSERT_EQ(after.rangeOffset, 6u);
        }
        const IssueResult retry = a->issue(plan(k.retry, range));
        ASSERT_TRUE(retry.problem.ok()) << retry.problem.reason;
        EXPECT_EQ(retry.rangeOffset, k.expectOffset);
        EXPECT_EQ(value("SELECT count(*) FROM ledger_events WHERE event = 'released'"),
                  std::to_string(k.expectReleased));
        EXPECT_EQ(value("SELECT count(*) FROM ledger_addresses WHERE state = 'held'"), "0");
        // What was given back is free for the other station.
        if (k.expectReleased > 0 && !k.otherTakesAfter) {
            const IssueResult taken = b->issue(plan(2, range));
            EXPECT_EQ(taken.rangeOffset, 4u);
        }
        if (k.otherTakesAfter) {
            const IssueResult taken = b->issue(plan(4, range));
            EXPECT_EQ(taken.rangeOffset, 2u);
        }
    }
}

TEST_F(ServerLedgerTest, stationsPressingAtTheSameMomentGetDisjointLotsUntilTheRangeCompletes) {
    constexpr uint32_t kRange = 400;
    constexpr int kStations = 4;
    struct Outcome {
        std::vector<int64_t> shipped;
        std::string problem;
        int lots = 0;
    };
    std::vector<Outcome> outcomes(kStations);
    std::vector<std::thread> threads;
    for (int s = 0; s < kStations; ++s) {
        threads.emplace_back([&, s] {
            Outcome& out = outcomes[std::size_t(s)];
            test::FakeLedgerClock own;
            ServerLedger ledger(own, connection, "LINE-" + std::to_string(s));
            if (const OpenResult r = ledger.open(); !r.ok()) {
                out.problem = r.problem.reason;
                return;
            }
            std::mt19937 random(uint32_t(1000 + s));
            for (int step = 0; step < 2000; ++step) {
                const auto adapters = uint32_t(std::uniform_int_distribution<int>(1, 12)(random));
                const IssueResult issued = ledger.issue(plan(adapters, kRange));
                if (issued.problem.status == LedgerStatus::RangeComplete) return;
                if (issued.problem.status == LedgerStatus::NoRoom) {
                    // The end of the range is in other stations' lots: take what fits.
                    const IssueResult one = ledger.issue(plan(1, kRange));
                    if (one.problem.status == LedgerStatus::RangeComplete) return;
                    if (!one.problem.ok()) {
                        std::this_thread::sleep_for(std::chrono::milliseconds(2));
                        continue;
                    }
                    if (const LedgerProblem p = ledger.ship(one.lot, readBack(one, 1)); !p.ok()) {
                        out.problem = p.reason;
                        return;
                    }
                    out.shipped.push_back(number(one.lotStart));
                    continue;
                }
                if (!issued.problem.ok()) {
                    out.problem = issued.problem.reason;
                    return;
                }
                ++out.lots;
                const int fate = std::uniform_int_distribution<int>(0, 9)(random);
                if (fate == 0) {
                    ledger.voidLot(issued.lot, "verification failed");
                    continue;
                }
                const uint32_t back = fate == 1 ? adapters - 1 : adapters;  // one adapter gone, sometimes
                const LedgerProblem p = ledger.ship(issued.lot, readBack(issued, back));
                if (!p.ok()) {
                    out.problem = p.reason;
                    return;
                }
                for (uint32_t k = 0; k < back; ++k) out.shipped.push_back(number(adapter::stepAddress(issued.lotStart, k)));
            }
            out.problem = "the range did not complete";
        });
    }
    for (auto& t : threads) t.join();

    std::multiset<int64_t> all;
    for (const Outcome& o : outcomes) {
        EXPECT_EQ(o.problem, "");
        EXPECT_GT(o.lots, 0);
        all.insert(o.shipped.begin(), o.shipped.end());
    }
    ASSERT_EQ(all.size(), kRange);
    EXPECT_EQ(std::set<int64_t>(all.begin(), all.end()).size(), std::size_t(kRange));
    for (uint32_t k = 0; k < kRange; ++k) EXPECT_EQ(all.count(number(at(k))), 1u) << k;

    // In the server's lines, each address went through lots one after the other: issued again
    // only after a void (by the same station) or a release, and never after it was shipped.
    const auto events = sql("SELECT mac, event, station FROM ledger_events ORDER BY id", 3);
    ASSERT_TRUE(events.result.ok);
    struct State {
        std::string event, station;
    };
    std::map<std::string, State> last;
    int shipped = 0;
    for (const auto& e : events.rows) {
        State& s = last[e[0]];
        if (e[1] == "issued") {
            EXPECT_TRUE(s.event == "" || s.event == "released" || (s.event == "void" && s.station == e[2]))
                << e[0] << " issued to " << e[2] << " after " << s.event << " by " << s.station;
        }
        if (e[1] == "shipped") ++shipped;
        if (s.event == "shipped") ADD_FAILURE() << e[0] << " has a line after it was shipped";
        s = {e[1], e[2]};
    }
    EXPECT_EQ(shipped, int(kRange));
    EXPECT_EQ(value("SELECT count(*) FROM ledger_addresses WHERE state = 'shipped'"), std::to_string(kRange));
    for (int s = 0; s < kStations; ++s) {
        auto ledger = opened("LINE-" + std::to_string(s));
        EXPECT_EQ(ledger->issue(plan(1, kRange)).problem.status, LedgerStatus::RangeComplete);
        EXPECT_EQ(ledger->counters().rangeLeft, 0u);
    }
}

TEST_F(ServerLedgerTest, aKilledStationsLotBlocksNobodyAndIsReportedWhenItStartsAgain) {
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        test::FakeLedgerClock own;
        ServerLedger ledger(own, connection, "LINE-K");
        if (!ledger.open().ok() || !ledger.issue(plan(4)).problem.ok()) _exit(1);
        raise(SIGKILL);  // in the middle of the lot: issued, neither shipped nor voided
        _exit(2);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the station ended with " << WEXITSTATUS(status);

    auto other = opened("LINE-O");
    const IssueResult elsewhere = other->issue(plan(4));
    ASSERT_TRUE(elsewhere.problem.ok());
    EXPECT_EQ(elsewhere.rangeOffset, 4u);
    ASSERT_TRUE(other->ship(elsewhere.lot, readBack(elsewhere, 4)).ok());

    auto restarted = station("LINE-K");
    const OpenResult reopened = restarted->open();
    ASSERT_TRUE(reopened.ok());
    ASSERT_EQ(reopened.interrupted.size(), 1u);
    EXPECT_EQ(reopened.interrupted[0].lot, 1u);
    EXPECT_EQ(reopened.interrupted[0].adapters, 4u);
    EXPECT_EQ(reopened.interrupted[0].first, at(0));
    EXPECT_EQ(reopened.interrupted[0].last, at(3));
    ASSERT_TRUE(restarted->closeInterrupted().ok());
    EXPECT_EQ(value("SELECT count(*) FROM ledger_events WHERE event = 'void' AND detail = 'interrupted'"), "4");
    EXPECT_TRUE(restarted->open().interrupted.empty());
    const IssueResult again = restarted->issue(plan(2));
    EXPECT_EQ(again.rangeOffset, 0u);
    EXPECT_EQ(again.lot, 2u);
}

TEST_F(ServerLedgerTest, releasingAStationStoppedForGoodGivesItsAddressesToTheOthers) {
    auto gone = opened("LINE-GONE");
    const IssueResult held = gone->issue(plan(3, 8));
    ASSERT_TRUE(gone->voidLot(held.lot, "failed record write").ok());
    const IssueResult open = gone->issue(plan(1, 8));  // takes offset 0 again, gives back 1 and 2
    ASSERT_TRUE(open.problem.ok());

    auto line = opened("LINE-2");
    const IssueResult rest = shipLot(*line, 7, 8);
    EXPECT_EQ(rest.rangeOffset, 1u);
    const IssueResult none = line->issue(plan(1, 8));
    EXPECT_EQ(none.problem.status, LedgerStatus::NoRoom);
    EXPECT_NE(none.problem.reason.find("1 reserved by LINE-GONE"), std::string::npos) << none.problem.reason;

    const ReleaseResult released = line->releaseStation("LINE-GONE");
    ASSERT_TRUE(released.problem.ok()) << released.problem.reason;
    EXPECT_EQ(released.addresses, 1u);
    const IssueResult last = line->issue(plan(1, 8));
    ASSERT_TRUE(last.problem.ok()) << last.problem.reason;
    EXPECT_EQ(last.rangeOffset, 0u);
    // The released station learns that its lot is gone.
    EXPECT_EQ(gone->ship(open.lot, readBack(open, 1)).status, LedgerStatus::UnknownLot);
}

TEST_F(ServerLedgerTest, theServerRefusesDuplicateAddressesWrittenBehindTheLedgersBack) {
    auto ledger = opened("LINE-1");
    const IssueResult lot = shipLot(*ledger, 4);
    const std::string range = value("SELECT id FROM ledger_ranges");
    const std::string mac = std::to_string(number(at(1)));
    const std::string columns =
        "INSERT INTO ledger_addresses (mac, range_id, range_offset, station, lot, device, state, vid, pid, changed) VALUES ";
    struct Case {
        const char* name;
        std::string sql;
        const char* state;
    };
    const Case cases[] = {
        {"the same address shipped again", columns + "(" + mac + ", " + range + ", 9, 'LINE-1', 9, 1, 'shipped', 1, 1, now())",
         "23505"},
        {"another address at the same offset of the range",
         columns + "(1, " + range + ", 1, 'LINE-1', 9, 1, 'reserved', 1, 1, now())", "23505"},
        {"a second address for one adapter of a lot",
         columns + "(2, " + range + ", 8, 'LINE-1', " + std::to_string(lot.lot) + ", 2, 'reserved', 1, 1, now())",
         "23505"},
        {"an address held by a station of no name", columns + "(3, " + range + ", 7, 'NOBODY', 9, 1, 'held', 1, 1, now())",
         "23503"},
        {"a state of no meaning", columns + "(4, " + range + ", 6, 'LINE-1', 9, 1, 'lost', 1, 1, now())", "23514"},
        {"a second shipped address through an update",
         "UPDATE ledger_addresses SET mac = " + std::to_string(number(at(2))) + " WHERE mac = " + mac, "23505"},
    };
    for (const Case& k : cases) {
        const auto r = sql(k.sql);
        EXPECT_FALSE(r.result.ok) << k.name;
        EXPECT_EQ(r.result.sqlState, k.state) << k.name << ": " << r.result.describe();
    }
    EXPECT_EQ(value("SELECT count(*) FROM ledger_addresses"), "4");
}

TEST_F(ServerLedgerTest, theGuardSeesEveryStationsShippedAddresses) {
    auto a = opened("LINE-A");
    auto b = opened("LINE-B");
    clock.now = 1714560000;
    shipLot(*a, 4);
    const std::vector<MacAddress> asked = {at(6), at(3), at(2), at(4)};
    const GuardHit hit = b->shippedAmong(asked);
    ASSERT_TRUE(hit.problem.ok()) << hit.problem.reason;
    EXPECT_EQ(hit.count, 2u);
    EXPECT_EQ(hit.first, at(3));
    EXPECT_EQ(hit.station, "LINE-A");
    EXPECT_EQ(hit.shippedAt, 1714560000);
    EXPECT_EQ(b->shippedAmong(std::vector<MacAddress>{at(7)}).count, 0u);
}

TEST_F(ServerLedgerTest, shippedAddressesAreHandedOutAgainOnlyWhenThePlanListsThem) {
    auto a = opened("LINE-A");
    shipLot(*a, 4, 4);
    EXPECT_EQ(a->issue(plan(2, 4)).problem.status, LedgerStatus::RangeComplete);
    // A wider range over the same addresses goes on after them.
    const IssueResult wider = a->issue(plan(2, 8));
    EXPECT_EQ(wider.rangeOffset, 4u);
    ASSERT_TRUE(a->voidLot(wider.lot, "refused").ok());

    LotPlan again = plan(2, 4);
    again.reissued = {at(2), at(3)};
    again.reissueDetail = "operator opusr";
    const IssueResult reissued = a->issue(again);
    ASSERT_TRUE(reissued.problem.ok()) << reissued.problem.reason;
    EXPECT_EQ(reissued.rangeOffset, 2u);
    EXPECT_EQ(value("SELECT string_agg(mac || ' ' || detail, ',' ORDER BY id) FROM ledger_events WHERE event = 'reissued'"),
              "00-1B-4E-7A-01-02 operator opusr,00-1B-4E-7A-01-03 operator opusr");
    ASSERT_TRUE(a->ship(reissued.lot, readBack(reissued, 2)).ok());
    EXPECT_EQ(value("SELECT count(*) FROM ledger_events WHERE event = 'shipped' AND mac = '00-1B-4E-7A-01-03'"), "2");
    // The wider range's lot keeps its held place; its mark was reset, the addresses stay shipped.
    const IssueResult widerAgain = a->issue(plan(2, 8));
    EXPECT_EQ(widerAgain.rangeOffset, 4u);
}

TEST_F(ServerLedgerTest, overlappingRangesNeverHandOutOneAddressTwice) {
    auto a = opened("LINE-A");
    auto b = opened("LINE-B");
    const IssueResult first = a->issue(plan(8, 10));
    ASSERT_TRUE(first.problem.ok());
    const IssueResult second = b->issue(plan(4, 10, at(5)));  // starts inside A's lot
    ASSERT_TRUE(second.problem.ok()) << second.problem.reason;
    EXPECT_EQ(second.rangeOffset, 3u);
    EXPECT_EQ(second.lotStart, at(8));
}

TEST_F(ServerLedgerTest, aSecondStationUnderTheSameNameStopsTheFirst) {
    auto first = opened("LINE-1");
    auto second = opened("LINE-1");
    EXPECT_EQ(first->issue(plan(2)).problem.status, LedgerStatus::NameInUse);
    EXPECT_TRUE(second->issue(plan(2)).problem.ok());
}

TEST_F(ServerLedgerTest, aServerThatCannotBeReachedIsAClearProblemAndTheNextOperationConnectsAgain) {
    // Nothing listens there: a clear problem at open(), and nothing else works until it opens.
    std::string nowhere = connection;
    const auto port = nowhere.find("Port=") + 5;
    nowhere.replace(port, nowhere.find(';', port) - port, "1");
    ServerLedger unreachable(clock, nowhere, "LINE-1");
    EXPECT_EQ(unreachable.issue(plan(1)).problem.status, LedgerStatus::NotOpen);
    const OpenResult refused = unreachable.open();
    EXPECT_EQ(refused.problem.status, LedgerStatus::Unreachable);
    EXPECT_NE(refused.problem.reason.find("cannot be reached: ["), std::string::npos) << refused.problem.reason;
    EXPECT_EQ(unreachable.issue(plan(1)).problem.status, LedgerStatus::Unreachable);

    // The connection cut after the request: ship() fails, the reservation stays for the retry.
    auto ledger = opened("LINE-1");
    const IssueResult issued = ledger->issue(plan(3));
    ASSERT_TRUE(issued.problem.ok());
    sql("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = current_database()"
        " AND pid <> pg_backend_pid()");
    const LedgerProblem cut = ledger->ship(issued.lot, readBack(issued, 3));
    EXPECT_EQ(cut.status, LedgerStatus::Unreachable);
    EXPECT_NE(cut.reason.find("lost while shipping lot 1"), std::string::npos) << cut.reason;
    EXPECT_EQ(value("SELECT count(*) FROM ledger_addresses WHERE state = 'reserved'"), "3");
    // The station then voids the lot (a failed record write); the next press takes its addresses.
    ASSERT_TRUE(ledger->voidLot(issued.lot, "failed record write").ok());
    const IssueResult retry = ledger->issue(plan(3));
    ASSERT_TRUE(retry.problem.ok()) << retry.problem.reason;
    EXPECT_EQ(retry.rangeOffset, 0u);

    // The server stopped: every operation says so; the void waits for the server.
    const std::string dir = std::getenv("LT_TEST_DATABASE");
    const std::string stop = "bash " LT_TEST_DATABASE_SCRIPT " pause '" + dir + "'";
    const std::string start = "bash " LT_TEST_DATABASE_SCRIPT " resume '" + dir + "'";
    ASSERT_EQ(std::system(stop.c_str()), 0);
    const LedgerProblem down = ledger->voidLot(retry.lot, "failed record write");
    EXPECT_EQ(down.status, LedgerStatus::Unreachable) << down.reason;
    EXPECT_EQ(ledger->issue(plan(3)).problem.status, LedgerStatus::Unreachable);
    EXPECT_EQ(ledger->counters().problem.status, LedgerStatus::Unreachable);
    ASSERT_EQ(std::system(start.c_str()), 0);
    // Asked again once the server is back, the void is done once, with the reason given last.
    const LedgerProblem again = ledger->voidLot(retry.lot, "diagnostics failed");
    EXPECT_TRUE(again.ok()) << again.reason;
    const IssueResult back = ledger->issue(plan(3));
    ASSERT_TRUE(back.problem.ok()) << back.problem.reason;
    EXPECT_EQ(back.rangeOffset, 0u);
    EXPECT_EQ(value("SELECT count(*) FROM ledger_events WHERE event = 'void' AND detail = 'diagnostics failed'"), "3");
    EXPECT_EQ(value("SELECT count(*) FROM ledger_events WHERE detail = 'failed record write'"), "3");  // the first lot's
}

// A kept connection cut while the station was idle (the server restarted, the network
// dropped) is replaced before the next operation: the first press after it goes through.
TEST_F(ServerLedgerTest, aConnectionCutWhileIdleIsReplacedBeforeTheNextPress) {
    auto ledger = opened("LINE-1");
    const IssueResult first = ledger->issue(plan(2));
    ASSERT_TRUE(first.problem.ok()) << first.problem.reason;
    ASSERT_TRUE(ledger->ship(first.lot, readBack(first, 2)).ok());
    sql("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = current_database()"
        " AND pid <> pg_backend_pid()");
    clock.now += ServerLedger::kIdleCheckSeconds;
    const IssueResult next = ledger->issue(plan(2));
    ASSERT_TRUE(next.problem.ok()) << next.problem.reason;
    EXPECT_EQ(next.rangeOffset, 2u);
    EXPECT_TRUE(ledger->ship(next.lot, readBack(next, 2)).ok());
}
