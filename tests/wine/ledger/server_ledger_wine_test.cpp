// server_ledger_wine_test.cpp: the shared ledger under Wine, through odbc32 and the host's unixODBC to the test server: every ODBC call the ledger makes, and a lost connection.
//
// The calls and where they run here: SQLAllocHandle, SQLSetEnvAttr, SQLSetConnectAttrW
// (login timeout, automatic commits off) and SQLDriverConnectW at every open();
// SQLGetDiagRecW for a server that refuses and for a connection cut; SQLExecDirectW for
// the tables; SQLPrepareW, SQLBindParameter (integers and UTF-16 text), SQLExecute,
// SQLRowCount, SQLFetch, SQLGetData (integers, text read in several pieces) and SQLFreeStmt
// in every operation; SQLEndTran committing and rolling back; SQLDisconnect and
// SQLFreeHandle when a ledger goes or reconnects.
#include "progstation/ledger/server_ledger.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/database/test_database.h"
#include "tests/fakes/fake_ledger_ports.h"

using namespace lt;
using namespace lt::ledger;

namespace {

constexpr MacAddress kStart = {0x00, 0x1b, 0x4e, 0x7a, 0x02, 0x00};

LotPlan plan(uint32_t adapters, uint32_t rangeCount) { return test::stationLotPlan(kStart, adapters, rangeCount); }

// Serials with a character beyond ASCII, to carry text both ways through odbc32.
std::vector<ShippedAdapter> readBack(const IssueResult& issued, uint32_t adapters) {
    return test::readBackLot(issued, adapters, "S\xc3\xa9rie-", 0);
}

struct ServerLedgerWineTest : ::testing::Test {
    test::FakeLedgerClock clock;
    std::string connection;

    void SetUp() override {
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        for (char& c : name) c = char(std::tolower(static_cast<unsigned char>(c)));
        std::string why;
        connection = test::freshSchema("lt_wine_" + name.substr(0, 40), why);
        ASSERT_FALSE(connection.empty()) << why;
    }
    std::string value(const std::string& statement) {
        const auto r = test::runSql(connection, statement, 1);
        EXPECT_TRUE(r.result.ok) << r.result.describe() << " in " << statement;
        return r.rows.empty() ? "" : r.rows[0][0];
    }
};

}  // namespace

TEST_F(ServerLedgerWineTest, twoStationsShareARangeThroughOdbc32) {
    // Non-ASCII names and serials go both ways as UTF-16.
    const std::string south = "Linie-S\xc3\xbc" "d";
    ServerLedger a(clock, connection, south);
    ServerLedger b(clock, connection, "LINE-B");
    const OpenResult openedA = a.open();  // creates the tables
    ASSERT_TRUE(openedA.ok()) << openedA.problem.reason;
    ASSERT_TRUE(b.open().ok());
    EXPECT_EQ(value("SELECT max(version) FROM ledger_version"), "1");

    const IssueResult first = a.issue(plan(4, 10));
    ASSERT_TRUE(first.problem.ok()) << first.problem.reason;
    EXPECT_EQ(first.rangeOffset, 0u);
    const IssueResult second = b.issue(plan(4, 10));
    ASSERT_TRUE(second.problem.ok()) << second.problem.reason;
    EXPECT_EQ(second.rangeOffset, 4u);
    EXPECT_EQ(second.previousAddress, adapter::stepAddress(kStart, 3));
    ASSERT_TRUE(a.ship(first.lot, readBack(first, 3)).ok());  // the fourth is held for `a`
    ASSERT_TRUE(b.voidLot(second.lot, "verification failed").ok());

    const std::vector<MacAddress> asked = {adapter::stepAddress(kStart, 2)};
    const GuardHit hit = b.shippedAmong(asked);
    ASSERT_TRUE(hit.problem.ok()) << hit.problem.reason;
    EXPECT_EQ(hit.count, 1u);
    EXPECT_EQ(hit.station, south);
    EXPECT_EQ(value("SELECT serial FROM ledger_events WHERE event = 'shipped' AND device = 2"), "S\xc3\xa9rie-1");

    const IssueResult rest = a.issue(plan(2, 10));  // B's held four follow its held address: the last two
    ASSERT_TRUE(rest.problem.ok()) << rest.problem.reason;
    EXPECT_EQ(rest.rangeOffset, 8u);
    EXPECT_EQ(a.ship(rest.lot, readBack(rest, 2)).status, LedgerStatus::Ok);
    EXPECT_EQ(a.voidLot(rest.lot, "again").status, LedgerStatus::UnknownLot);  // a rollback

    const LedgerCounters c = a.counters();
    ASSERT_TRUE(c.problem.ok()) << c.problem.reason;
    EXPECT_EQ(c.rangeProgrammed, 5u);
    EXPECT_EQ(c.adaptersShippedToday, 5u);
    const ReleaseResult released = a.releaseStation("LINE-B");
    ASSERT_TRUE(released.problem.ok()) << released.problem.reason;
    EXPECT_EQ(released.addresses, 4u);

    // A text longer than one piece of SQLGetData.
    std::string long_;
    for (int i = 0; i < 1500; ++i) long_ += "ab";
    EXPECT_EQ(value("SELECT repeat('ab', 1500)"), long_);
}

TEST_F(ServerLedgerWineTest, aRefusedLoginAndACutConnectionAreClearProblemsAndTheLedgerConnectsAgain) {
    std::string wrong = connection;
    const auto password = wrong.find("Pwd=") + 4;
    wrong.replace(password, wrong.find(';', password) - password, "wrong");
    ServerLedger refused(clock, wrong, "LINE-1");
    const OpenResult r = refused.open();
    EXPECT_EQ(r.problem.status, LedgerStatus::Unreachable);
    EXPECT_NE(r.problem.reason.find("password authentication failed"), std::string::npos) << r.problem.reason;

    ServerLedger ledger(clock, connection, "LINE-1");
    ASSERT_TRUE(ledger.open().ok());
    const IssueResult issued = ledger.issue(plan(2, 10));
    ASSERT_TRUE(issued.problem.ok()) << issued.problem.reason;
    test::runSql(connection,
                 "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = current_database()"
                 " AND pid <> pg_backend_pid()");
    const LedgerProblem cut = ledger.ship(issued.lot, readBack(issued, 2));
    EXPECT_EQ(cut.status, LedgerStatus::Unreachable) << cut.reason;
    ASSERT_TRUE(ledger.ship(issued.lot, readBack(issued, 2)).ok());
    EXPECT_EQ(value("SELECT count(*) FROM ledger_addresses WHERE state = 'shipped'"), "2");
}
