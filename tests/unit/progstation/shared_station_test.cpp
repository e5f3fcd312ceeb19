// shared_station_test.cpp: stations drawing lots from one range on the ledger server (the PostgreSQL test server): lots placed by the reservation, range completion in every station, a server lost at a press or before the ship, no room left and a station's name in use.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <functional>
#include <memory>
#include <set>

#include "progstation/ledger/server_ledger.h"
#include "tests/database/test_database.h"
#include "tests/unit/progstation/station_fixture.h"

using namespace lt;
using namespace lt::test;
using adapter::MacAddress;

namespace {

using Texts = std::array<std::string, 6>;
constexpr MacAddress kStart = {0x00, 0x1b, 0x4e, 0x7a, 0x01, 0x00};
const Texts kBoxes = StationTest::kRangeStart;  // kStart as the boxes hold it

MacAddress at(uint32_t k) { return adapter::stepAddress(kStart, k); }

// An address as EpromData.ini holds it ("%02x" each) and as the upper-case boxes show it.
Texts lower(const MacAddress& a) {
    Texts t;
    for (int i = 0; i < 6; ++i) {
        char b[3];
        std::snprintf(b, sizeof b, "%02x", a[std::size_t(i)]);
        t[std::size_t(i)] = b;
    }
    return t;
}
Texts upper(const MacAddress& a) {
    Texts t = lower(a);
    for (auto& s : t)
        for (char& c : s) c = char(std::toupper(static_cast<unsigned char>(c)));
    return t;
}

// One station of the line: its own drive, bench and EthernetDiagnostic.ini naming the
// ledger server and the station, its ledger a ServerLedger as main.cpp makes it.
struct SharedStation : StationRig {
    SharedStation(const std::string& connection, const std::string& name) {
        stationOptions(0, 0, 0);
        installPackage();
        write("EthernetDiagnostic.ini", "LEDGER", "Connection", connection);
        write("EthernetDiagnostic.ini", "LEDGER", "StationName", name);
        makeServerLedger = [this](const std::string& c, const std::string& s) {
            return std::make_unique<ledger::ServerLedger>(ledgerClock, c, s);
        };
        bench({"unplug", "all"});
    }
    // A press of the range (kStart, count) with `adapters` fresh adapters on the bench.
    void lot(int adapters, uint32_t count) {
        freshLot(adapters);
        press(kBoxes, std::to_string(count));
    }
    bool shown(uint32_t id) {
        for (const auto& m : view->messages())
            if (fitsPattern(m.text, text(id))) return true;
        return false;
    }
    std::string shownText(uint32_t id) {
        for (const auto& m : view->messages())
            if (fitsPattern(m.text, text(id))) return m.text;
        return "";
    }
    std::string caption() { return view->text(IDC_START); }
    int programmed() { return device.count("IOCTL_PROGRAM_EEPROM"); }
    // No ledger file anywhere: neither through the ledger's file port nor on the drive.
    bool noLedgerFile() {
        return ledgerFiles.files.empty() && !std::filesystem::exists(drive.host(kLedgerPath));
    }
    // The start address of the range record, a missing key as an empty one (a record put
    // back writes the keys it found missing as empty).
    Texts rangeStartRecord() {
        Texts t = epromAddress("INITIALMACADDR");
        for (auto& s : t)
            if (s == "<missing>") s.clear();
        return t;
    }
    bool benchBlank() {
        for (const MacAddress& a : benchAddresses())
            if (a != MacAddress{0xff, 0xff, 0xff, 0xff, 0xff, 0xff}) return false;
        return true;
    }
};

struct SharedLedgerTest : ::testing::Test {
    std::string base;
    std::string connection;
    int schemas = 0;

    void SetUp() override {
        base = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::transform(base.begin(), base.end(), base.begin(), [](unsigned char c) { return std::tolower(c); });
        base = "lt_st_" + base.substr(0, 40);
        fresh();
    }
    // A schema of its own for the test, or for each case of a table.
    void fresh() {
        std::string why;
        connection = freshSchema(base + "_" + std::to_string(schemas++), why);
        ASSERT_FALSE(connection.empty()) << why;
    }
    std::unique_ptr<SharedStation> station(const std::string& name, const std::string& conn = "") {
        auto s = std::make_unique<SharedStation>(conn.empty() ? connection : conn, name);
        s->start();
        return s;
    }
    std::string value(const std::string& statement) {
        const auto r = runSql(connection, statement, 1);
        EXPECT_TRUE(r.result.ok) << r.result.describe() << " in " << statement;
        return r.rows.empty() ? "" : r.rows[0][0];
    }
};

// The test server stopped (scripts/test-database.sh pause) and started again, at the latest
// when the object goes.
struct ServerStop {
    bool stopped = false;
    static std::string command(const char* what) {
        const char* dir = std::getenv("LT_TEST_DATABASE");
        return std::string("bash " LT_TEST_DATABASE_SCRIPT " ") + what + " '" + (dir ? dir : "") + "'";
    }
    void stop() {
        ASSERT_EQ(std::system(command("pause").c_str()), 0);
        stopped = true;
    }
    void resume() {
        if (!stopped) return;
        stopped = false;
        ASSERT_EQ(std::system(command("resume").c_str()), 0);
    }
    ~ServerStop() { resume(); }
};

// A port of 127.0.0.1 on which nothing listens (taken and let go).
int closedPort() {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t n = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &n);
    close(s);
    return ntohs(a.sin_port);
}

}  // namespace

// ---- Two stations on one range.

TEST_F(SharedLedgerTest, twoStationsDrawConsecutiveLotsOfOneRangeAndBothSeeItComplete) {
    struct Lot {
        int station;
        uint32_t adapters;
        uint32_t offset;  // where the reservation places it
    };
    struct Case {
        const char* what;
        uint32_t count;
        std::vector<Lot> lots;
        // The second lot is pressed on the other station while the first one is in its
        // programming request (reserved, not shipped yet).
        bool secondDuringFirst;
        int completes;  // the station that ships the range's last address
    };
    const Case cases[] = {
        {"alternating, the second station ships the last address", 10, {{0, 3, 0}, {1, 2, 3}, {0, 3, 5}, {1, 2, 8}},
         false, 1},
        {"alternating, the first station ships the last address", 10, {{0, 4, 0}, {1, 4, 4}, {0, 2, 8}}, false, 0},
        {"the second lot placed while the first is in its request", 7, {{0, 3, 0}, {1, 2, 3}, {1, 2, 5}}, true, 1},
        // The station whose lot completes the range did not ship its end.
        {"the first lot, placed first and shipped last, completes the range", 5, {{0, 3, 0}, {1, 2, 3}}, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (&c != &cases[0]) fresh();
        std::array<std::unique_ptr<SharedStation>, 2> st{station("LINE-A"), station("LINE-B")};
        const std::array<std::string, 2> names{"LINE-A", "LINE-B"};
        std::vector<std::set<uint64_t>> lotsOf(2);
        std::set<uint64_t> everyAddress;
        std::array<uint32_t, 2> lastEnd{0, 0};  // the end offset of each station's last lot

        // What a press of lot `i` must have done on its station (its checks, once pressed).
        auto check = [&](std::size_t i) {
            const Lot& lot = c.lots[i];
            SharedStation& s = *st[std::size_t(lot.station)];
            SCOPED_TRACE("lot " + std::to_string(i + 1) + " of " + names[std::size_t(lot.station)]);
            ASSERT_FALSE(s.device.programRequests.empty());
            const adapter::ProgramRequest& request = s.device.programRequests.back();
            // The request carries the reservation's previous fields, whatever the local records say.
            EXPECT_EQ(request.previousCount, lot.offset);
            EXPECT_EQ(request.previousAddress, lot.offset ? at(lot.offset - 1) : MacAddress{});
            EXPECT_EQ(request.deviceCount, c.count);
            const std::vector<MacAddress> bench = s.benchAddresses();
            EXPECT_EQ(bench, ledger::lotAddresses(at(lot.offset), lot.adapters));
            for (const MacAddress& a : bench) {
                EXPECT_TRUE(everyAddress.insert(addressNumber(a)).second) << adapter::formatUpper(a) << " twice";
                lotsOf[std::size_t(lot.station)].insert(addressNumber(a));
            }
            // The station's own records show its own last lot: how far its lots reached.
            EXPECT_EQ(s.epromAddress("PREVIOUSMACADDR"), lower(at(lot.offset + lot.adapters - 1)));
            lastEnd[std::size_t(lot.station)] = lot.offset + lot.adapters;
        };

        for (std::size_t i = 0; i < c.lots.size(); ++i) {
            if (c.secondDuringFirst && i == 1) continue;  // pressed within lot 1's request
            const Lot& lot = c.lots[i];
            SharedStation& s = *st[std::size_t(lot.station)];
            bool nestedPressed = false;
            if (c.secondDuringFirst && i == 0) {
                s.device.onProgram = [&] {
                    if (nestedPressed) return;  // once, in lot 1's request
                    nestedPressed = true;
                    const Lot& inner = c.lots[1];
                    st[std::size_t(inner.station)]->lot(int(inner.adapters), c.count);
                    check(1);
                    EXPECT_EQ(st[std::size_t(inner.station)]->caption(), progstation::kNextCaption);
                };
            }
            s.lot(int(lot.adapters), c.count);
            if (c.secondDuringFirst && i == 0) {
                EXPECT_TRUE(nestedPressed);
            }
            check(i);
            // The lot that finishes last ships the range's last address (a lot pressed within
            // the first one's request finishes before it).
            const bool last = i + 1 == c.lots.size() || (c.secondDuringFirst && c.lots.size() == 2);
            if (!last) {
                EXPECT_EQ(s.caption(), progstation::kNextCaption);
                EXPECT_EQ(s.status(), s.text(IDS_LOT_PROGRAMMED));
                EXPECT_EQ(s.eprom("PREVIOUSDEVCOUNT"), std::to_string(lot.offset + lot.adapters));
                EXPECT_FALSE(s.shown(IDS_RANGE_COMPLETE));
            }
        }

        // The lots together are the range, each address once.
        std::set<uint64_t> range;
        for (uint32_t k = 0; k < c.count; ++k) range.insert(addressNumber(at(k)));
        EXPECT_EQ(everyAddress, range);
        EXPECT_EQ(value("SELECT count(*) FROM ledger_addresses WHERE state = 'shipped'"), std::to_string(c.count));
        EXPECT_EQ(value("SELECT count(*) FROM ledger_addresses WHERE state <> 'shipped'"), "0");

        // The station that shipped the last address: the range-complete box, counts emptied,
        // caption back to Start, the boxes offering the first address after the range.
        SharedStation& done = *st[std::size_t(c.completes)];
        SharedStation& other = *st[std::size_t(1 - c.completes)];
        {
            SCOPED_TRACE("the station that completed the range");
            EXPECT_TRUE(done.shown(IDS_RANGE_COMPLETE));
            EXPECT_EQ(done.caption(), progstation::kStartCaption);
            EXPECT_EQ(done.eprom("INITIALDEVCOUNT"), "");
            EXPECT_EQ(done.eprom("PREVIOUSDEVCOUNT"), "");
            EXPECT_EQ(done.startBoxes(), upper(at(c.count)));
            EXPECT_EQ(done.view->text(IDC_DEVICE_COUNT), "");
        }
        // The other one learns it at its next press: nothing programmed, the range complete here too.
        {
            SCOPED_TRACE("the other station's next press");
            const int before = other.programmed();
            EXPECT_EQ(other.caption(), progstation::kNextCaption);
            other.lot(2, c.count);
            EXPECT_TRUE(other.shown(IDS_LEDGER_RANGE_SHIPPED)) << ::testing::PrintToString(other.messageTexts());
            EXPECT_FALSE(other.shown(IDS_RANGE_COMPLETE));
            EXPECT_EQ(other.programmed(), before);
            EXPECT_TRUE(other.benchBlank());
            EXPECT_EQ(other.caption(), progstation::kStartCaption);
            EXPECT_EQ(other.eprom("INITIALDEVCOUNT"), "");
            EXPECT_EQ(other.eprom("PREVIOUSDEVCOUNT"), "");
            EXPECT_EQ(other.startBoxes(), upper(at(c.count)));
            EXPECT_EQ(other.status(), other.text(IDS_ENTER_INPUTS));
        }
        for (int s = 0; s < 2; ++s) {
            SCOPED_TRACE(names[std::size_t(s)]);
            // Each station's records still show its own last lot.
            EXPECT_EQ(st[std::size_t(s)]->epromAddress("PREVIOUSMACADDR"), lower(at(lastEnd[std::size_t(s)] - 1)));
            EXPECT_EQ(value("SELECT count(*) FROM ledger_addresses WHERE station = '" + names[std::size_t(s)] + "'"),
                      std::to_string(lotsOf[std::size_t(s)].size()));
            EXPECT_TRUE(st[std::size_t(s)]->noLedgerFile());
        }
        // A station started again on the complete range refuses it too, and so does one that
        // never pressed it (its records of no range, or of another one).
        SharedStation& again = *st[0];
        again.exit();
        again.lot(1, c.count);
        EXPECT_TRUE(again.shown(IDS_LEDGER_RANGE_SHIPPED));
        for (const bool otherRange : {false, true}) {
            SCOPED_TRACE(otherRange ? "a third station whose records hold another range" : "a third station");
            auto third = station(otherRange ? "LINE-D" : "LINE-C");
            if (otherRange) {
                third->rangeInProgress({"00", "1B", "4E", "7B", "00", "00"}, "20", {"00", "1B", "4E", "7B", "00", "03"},
                                       "4");
                third->exit();
                third->start();
            }
            third->lot(1, c.count);
            EXPECT_TRUE(third->shown(IDS_LEDGER_RANGE_SHIPPED)) << ::testing::PrintToString(third->messageTexts());
            EXPECT_EQ(third->programmed(), 0);
            EXPECT_EQ(third->caption(), progstation::kStartCaption);
            EXPECT_EQ(third->startBoxes(), upper(at(c.count)));
            EXPECT_EQ(third->view->text(IDC_DEVICE_COUNT), "");
            EXPECT_EQ(third->eprom("INITIALDEVCOUNT"), "");
            EXPECT_EQ(third->eprom("PREVIOUSDEVCOUNT"), "");
        }
    }
}

// ---- The server not reached at a press.

TEST_F(SharedLedgerTest, aServerThatCannotBeReachedRefusesThePressAndTheStationNeverFallsBackToAFile) {
    struct Case {
        const char* what;
        bool stopBeforeStart;  // the server stops before the station opens (else after)
        bool closedPort;       // the connection string names a port nobody listens on
    };
    const Case cases[] = {
        {"server stopped after the station opened", false, false},
        {"server stopped before the station opened", true, false},
        {"nothing listens on the port", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (&c != &cases[0]) fresh();
        std::string conn = connection;
        if (c.closedPort) {
            const std::size_t port = conn.find("Port=");
            const std::size_t end = conn.find(';', port);
            conn = conn.substr(0, port) + "Port=" + std::to_string(closedPort()) + conn.substr(end);
        }
        ServerStop server;
        if (c.stopBeforeStart) server.stop();
        auto s = std::make_unique<SharedStation>(conn, "LINE-A");
        s->start();
        const bool reachedAtOpening = !c.stopBeforeStart && !c.closedPort;
        EXPECT_EQ(s->shown(IDS_LEDGER_UNREACHABLE), !reachedAtOpening);
        if (!c.stopBeforeStart && !c.closedPort) server.stop();

        s->freshLot(3);
        const auto before = s->rangeStartRecord();
        s->press(kBoxes, "10");
        ASSERT_EQ(s->view->messages().size(), 1u) << ::testing::PrintToString(s->messageTexts());
        const ShownMessage& m = s->view->messages()[0];
        EXPECT_TRUE(fitsPattern(m.text, s->text(IDS_LEDGER_UNREACHABLE))) << m.text;
        EXPECT_EQ(m.icon, ui::Icon::Stop);
        // The server as the station names it, its password not shown.
        EXPECT_NE(m.text.find(progstation::ledgerServerName(conn)), std::string::npos) << m.text;
        EXPECT_NE(m.text.find("Pwd=***"), std::string::npos) << m.text;
        EXPECT_EQ(m.text.find("Pwd=lt_test"), std::string::npos) << m.text;
        EXPECT_EQ(s->programmed(), 0);
        EXPECT_TRUE(s->benchBlank());
        EXPECT_TRUE(s->noLedgerFile());
        EXPECT_EQ(s->status(), s->text(IDS_ENTER_INPUTS));
        EXPECT_EQ(s->caption(), progstation::kStartCaption);
        EXPECT_EQ(s->rangeStartRecord(), before) << "the range's record is put back";
        EXPECT_EQ(s->view->text(IDC_LEDGER_COUNTERS), s->text(IDS_LEDGER_COUNTERS_UNREADABLE));
        if (c.closedPort) continue;

        // The server back: the next press works, from the range's start.
        server.resume();
        s->press(kBoxes, "10");
        EXPECT_EQ(s->status(), s->text(IDS_LOT_PROGRAMMED)) << ::testing::PrintToString(s->messageTexts());
        EXPECT_EQ(s->benchAddresses(), ledger::lotAddresses(at(0), 3));
        EXPECT_EQ(s->caption(), progstation::kNextCaption);
        EXPECT_EQ(value("SELECT count(*) FROM ledger_addresses WHERE state = 'shipped'"), "3");
        EXPECT_TRUE(s->noLedgerFile());
    }
}

// ---- The connection lost after the programming request, before the ship.

TEST_F(SharedLedgerTest, aLotTheServerCouldNotRecordIsNotShownProgrammedAndItsAddressesComeBackToTheStation) {
    struct Case {
        const char* what;
        bool stopServer;  // else the server ends the station's connection (and stays up)
    };
    const Case cases[] = {{"server stopped", true}, {"connection cut by the server", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (&c != &cases[0]) fresh();
        auto a = station("LINE-A");
        ServerStop server;
        a->freshLot(3);
        bool cut = false;
        a->device.onProgram = [&] {
            if (cut) return;  // the first request only
            cut = true;
            if (c.stopServer) {
                server.stop();
            } else {
                const auto ended = runSql(connection,
                                          "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname ="
                                          " current_database() AND pid <> pg_backend_pid()");
                EXPECT_TRUE(ended.result.ok) << ended.result.describe();
            }
        };
        a->press(kBoxes, "10");
        EXPECT_EQ(a->programmed(), 1);
        const std::string notShipped = a->shownText(IDS_LEDGER_NOT_SHIPPED);
        ASSERT_FALSE(notShipped.empty()) << ::testing::PrintToString(a->messageTexts());
        // The message names the lot's addresses: set these adapters aside.
        EXPECT_NE(notShipped.find(adapter::formatLower(at(0)) + " to " + adapter::formatLower(at(2))), std::string::npos)
            << notShipped;
        EXPECT_NE(a->status(), a->text(IDS_LOT_PROGRAMMED));
        EXPECT_EQ(a->status(), a->text(IDS_ENTER_INPUTS));
        EXPECT_EQ(a->caption(), progstation::kStartCaption);
        // No record of the lot in EpromData.ini.
        EXPECT_EQ(a->eprom("PREVIOUSDEVCOUNT"), "");
        EXPECT_EQ(a->eprom("PREVIOUSMACADDR", "BYTE6"), "<missing>");
        EXPECT_EQ(a->lastBoxes(), (Texts{"", "", "", "", "", ""}));
        EXPECT_TRUE(a->noLedgerFile());
        server.resume();

        // Another station meanwhile places its lot after the addresses the first one holds.
        auto b = station("LINE-B");
        b->lot(2, 10);
        EXPECT_EQ(b->benchAddresses(), ledger::lotAddresses(at(3), 2));

        // The first station's next lot (the adapters set aside, fresh ones on) gets the same addresses.
        a->freshLot(3);
        a->press(kBoxes, "10");
        EXPECT_EQ(a->status(), a->text(IDS_LOT_PROGRAMMED)) << ::testing::PrintToString(a->messageTexts());
        ASSERT_EQ(a->device.programRequests.size(), 2u);
        EXPECT_EQ(a->device.programRequests[1].previousCount, 0u);
        EXPECT_EQ(a->benchAddresses(), ledger::lotAddresses(at(0), 3));
        EXPECT_EQ(a->epromAddress("PREVIOUSMACADDR"), lower(at(2)));
        EXPECT_EQ(a->eprom("PREVIOUSDEVCOUNT"), "3");
        // In the server: the first lot voided for that reason, the second one shipped.
        EXPECT_EQ(value("SELECT count(*) FROM ledger_events WHERE station = 'LINE-A' AND lot = 1 AND event = 'void'"
                        " AND detail = 'not recorded by the ledger server'"),
                  "3");
        EXPECT_EQ(value("SELECT count(*) FROM ledger_events WHERE station = 'LINE-A' AND lot = 2 AND event = 'shipped'"),
                  "3");
        EXPECT_EQ(value("SELECT count(*) FROM ledger_addresses WHERE state = 'shipped'"), "5");
        EXPECT_EQ(value("SELECT count(*) FROM ledger_addresses WHERE state <> 'shipped'"), "0");
    }
}

// The server recorded the lot, but the station's own records could not be written (another
// program holds EpromData.ini): the lot is not shown as programmed, the message says the
// devices may go on, and no address of the lot is handed out again.
TEST_F(SharedLedgerTest, aLotTheServerShippedButTheStationCouldNotRecordIsNeverGivenAgain) {
    auto a = station("LINE-A");
    a->freshLot(3);
    a->profiles.holdAfter(1);  // the range's record goes through, the lot's record is refused
    a->press(kBoxes, "10");
    EXPECT_EQ(a->programmed(), 1);
    const std::string message = a->shownText(IDS_LEDGER_LOCAL_NOT_RECORDED);
    ASSERT_FALSE(message.empty()) << ::testing::PrintToString(a->messageTexts());
    EXPECT_NE(message.find(adapter::formatLower(at(0)) + " to " + adapter::formatLower(at(2))), std::string::npos)
        << message;
    EXPECT_FALSE(a->shown(IDS_LOT_NOT_RECORDED)) << "the devices need not be set aside";
    EXPECT_NE(a->status(), a->text(IDS_LOT_PROGRAMMED));
    EXPECT_EQ(value("SELECT count(*) FROM ledger_addresses WHERE state = 'shipped'"), "3");
    EXPECT_EQ(a->eprom("PREVIOUSDEVCOUNT"), "");

    // The file free again: the next lot lies after the shipped one.
    a->profiles.hold.reset();
    a->freshLot(2);
    a->press(kBoxes, "10");
    EXPECT_EQ(a->status(), a->text(IDS_LOT_PROGRAMMED)) << ::testing::PrintToString(a->messageTexts());
    EXPECT_EQ(a->benchAddresses(), ledger::lotAddresses(at(3), 2));
    EXPECT_EQ(a->epromAddress("PREVIOUSMACADDR"), lower(at(4)));
    EXPECT_EQ(value("SELECT count(*) FROM ledger_addresses WHERE state <> 'shipped'"), "0");
}

// ---- No room left for the lot, and a station's name in use.

TEST_F(SharedLedgerTest, aPressTheServerRefusesProgramsNothingAndSaysWhy) {
    struct Case {
        const char* what;
        // Before the press of station A with `adapters`: what the others did.
        std::function<void(SharedLedgerTest&, std::unique_ptr<SharedStation>& other)> arrange;
        int adapters;
        uint32_t message;
        std::string reason;  // in the message
        // After: station A (and the other) go on, in a way that works.
        std::function<void(SharedLedgerTest&, SharedStation& a, std::unique_ptr<SharedStation>& other)> after;
    };
    const Case cases[] = {
        {"another station shipped most of the range",
         [](SharedLedgerTest& t, std::unique_ptr<SharedStation>& o) {
             o = t.station("LINE-B");
             o->lot(3, 6);
         },
         4, IDS_LEDGER_NO_ROOM, "no 4 consecutive addresses of the range 00-1B-4E-7A-01-00 (count 6) are free: 3 free, 3 shipped",
         [](SharedLedgerTest&, SharedStation& a, std::unique_ptr<SharedStation>&) {
             a.lot(3, 6);  // fewer adapters: they fit, and the range is complete
             EXPECT_TRUE(a.shown(IDS_RANGE_COMPLETE)) << ::testing::PrintToString(a.messageTexts());
             EXPECT_EQ(a.benchAddresses(), ledger::lotAddresses(at(3), 3));
         }},
        {"another station holds the addresses of its failed lot",
         [](SharedLedgerTest& t, std::unique_ptr<SharedStation>& o) {
             o = t.station("LINE-B");
             o->freshLot(4);
             o->bench({"set", "2", "badvendor=1"});
             o->press(kBoxes, "6");
             EXPECT_TRUE(o->view->ended()) << "a vendor part that fails closes the station";
         },
         3, IDS_LEDGER_NO_ROOM, "2 free, 0 shipped, 4 reserved by LINE-B",
         [](SharedLedgerTest& t, SharedStation& a, std::unique_ptr<SharedStation>& o) {
             a.lot(2, 6);
             EXPECT_EQ(a.benchAddresses(), ledger::lotAddresses(at(4), 2));
             // The failed lot's station started again takes its own addresses back.
             o->bench({"set", "all", "badvendor=0"});
             o->freshLot(4);
             o->press(kBoxes, "6");
             EXPECT_EQ(o->benchAddresses(), ledger::lotAddresses(at(0), 4));
             EXPECT_TRUE(o->shown(IDS_RANGE_COMPLETE)) << ::testing::PrintToString(o->messageTexts());
             EXPECT_EQ(t.value("SELECT count(*) FROM ledger_addresses WHERE state = 'shipped'"), "6");
         }},
        {"another station opened the ledger under this station's name",
         [](SharedLedgerTest& t, std::unique_ptr<SharedStation>& o) { o = t.station("LINE-A"); },
         3, IDS_LEDGER_NAME_IN_USE, "another station opened the ledger under the name \"LINE-A\" after this one",
         [](SharedLedgerTest& t, SharedStation& a, std::unique_ptr<SharedStation>& o) {
             // Refused until it is started again (under a name of its own): it does not take
             // the name back from the other station at its next press.
             a.freshLot(3);
             a.press(kBoxes, "10");
             EXPECT_TRUE(a.shown(IDS_LEDGER_NAME_IN_USE)) << ::testing::PrintToString(a.messageTexts());
             EXPECT_EQ(a.programmed(), 0);
             o->lot(3, 10);
             EXPECT_EQ(o->status(), o->text(IDS_LOT_PROGRAMMED)) << ::testing::PrintToString(o->messageTexts());
             EXPECT_EQ(o->benchAddresses(), ledger::lotAddresses(at(0), 3));
             EXPECT_EQ(t.value("SELECT count(*) FROM ledger_addresses WHERE state = 'shipped'"), "3");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (&c != &cases[0]) fresh();
        auto a = station("LINE-A");
        std::unique_ptr<SharedStation> other;
        c.arrange(*this, other);
        a->freshLot(c.adapters);
        const auto before = a->rangeStartRecord();
        const std::string count = c.message == IDS_LEDGER_NAME_IN_USE ? "10" : "6";
        a->press(kBoxes, count);
        ASSERT_EQ(a->view->messages().size(), 1u) << ::testing::PrintToString(a->messageTexts());
        const ShownMessage& m = a->view->messages()[0];
        EXPECT_TRUE(fitsPattern(m.text, a->text(c.message))) << m.text;
        EXPECT_NE(m.text.find(c.reason), std::string::npos) << m.text;
        EXPECT_EQ(m.icon, ui::Icon::Stop);
        EXPECT_EQ(a->programmed(), 0);
        EXPECT_TRUE(a->benchBlank());
        EXPECT_FALSE(a->view->ended());
        EXPECT_EQ(a->status(), a->text(IDS_ENTER_INPUTS));
        EXPECT_EQ(a->caption(), progstation::kStartCaption);
        EXPECT_EQ(a->rangeStartRecord(), before) << "the range's record is put back";
        EXPECT_EQ(value("SELECT count(*) FROM ledger_addresses WHERE station = 'LINE-A'"), "0");
        c.after(*this, *a, other);
        EXPECT_TRUE(a->noLedgerFile());
    }
}
