// station_processes_test.cpp: four station processes (station-runner) drawing lots from one range on the ledger server, killed with SIGKILL and started again, until the range is complete in each: no address on two adapters, the server's shipped addresses exactly the adapters shipped, every reservation shipped, held or released.
//
// The seed (printed; LT_STATION_SEED=N replays the runners' choices with another or the same
// one) decides each runner's lots, faults and kill points and which runner is killed when;
// the moments of the kills depend on the machine's speed, so a run is replayed in its
// choices, not to the millisecond.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_model.h"
#include "odbc/odbc_database.h"
#include "progstation/ledger/server_ledger.h"
#include "tests/database/test_database.h"
#include "tests/fakes/fake_ledger_ports.h"
#include "tests/support/test_support.h"

using namespace lt;
using adapter::MacAddress;

namespace {

constexpr MacAddress kStart = {0x00, 0x1b, 0x4e, 0x7a, 0x20, 0x00};
constexpr uint32_t kRange = 400;    // addresses in the range
constexpr uint32_t kMaxLot = 5;     // adapters a runner attaches at most
constexpr uint32_t kFaults = 12;    // percent of the presses with a bench fault
// SIGKILLs from outside: each at a random moment (0-60 ms) after the server's shipped
// addresses pass a random mark between 5 % and 80 % of the range, so that all of them fall
// while the runners work, however fast the machine is.
constexpr int kKills = 10;
constexpr uint64_t kSeed = 20261210;

uint64_t number(const MacAddress& a) {
    uint64_t n = 0;
    for (uint8_t b : a) n = n << 8 | b;
    return n;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

struct Runner {
    std::string name;
    std::string folder;
    uint64_t seed = 0;
    pid_t pid = -1;
    bool done = false;
    std::string killAt;  // its own kill point, given to each run until it has killed itself there
    int starts = 0;
    int killedFromOutside = 0;
    int killedItself = 0;
    std::chrono::steady_clock::time_point startedAt;
};

pid_t spawn(Runner& r, const std::string& connection, const std::string& killAt) {
    std::vector<std::string> args = {LT_STATION_RUNNER,
                                     "--folder=" + r.folder,
                                     "--connection=" + connection,
                                     "--station=" + r.name,
                                     "--start=" + adapter::formatUpper(kStart),
                                     "--count=" + std::to_string(kRange),
                                     "--max-lot=" + std::to_string(kMaxLot),
                                     "--faults=" + std::to_string(kFaults),
                                     "--seed=" + std::to_string(r.seed)};
    if (!killAt.empty()) args.push_back("--kill-at=" + killAt);
    const std::string log = r.folder + "/runner.log";
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        const int fd = ::open(log.c_str(), O_WRONLY | O_APPEND | O_CREAT, 0644);
        if (fd >= 0) {
            dup2(fd, 1);
            dup2(fd, 2);
            close(fd);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    r.pid = pid;
    ++r.starts;
    r.startedAt = std::chrono::steady_clock::now();
    return pid;
}

// Every line "ADDRESS TAG" of a runner's file.
std::vector<std::pair<uint64_t, std::string>> adapterLines(const std::string& path) {
    std::vector<std::pair<uint64_t, std::string>> out;
    std::istringstream in(readFile(path));
    for (std::string line; std::getline(in, line);) {
        std::istringstream f(line);
        std::string mac, tag;
        MacAddress a{};
        if (!(f >> mac >> tag) || !bench::parseMacAddress(mac, a)) {
            ADD_FAILURE() << path << ": not an adapter line: " << line;
            continue;
        }
        out.push_back({number(a), tag});
    }
    return out;
}

std::string tailOf(const std::string& text, std::size_t lines) {
    std::size_t at = text.size();
    for (std::size_t n = 0; n <= lines && at > 0; ++n) at = text.rfind('\n', at - 1);
    return at == std::string::npos ? text : text.substr(at + 1);
}

int countOf(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

}  // namespace

TEST(StationProcesses, fourStationsKilledAndStartedAgainShipEveryAddressOfTheRangeOnce) {
    uint64_t seed = kSeed;
    if (const char* given = std::getenv("LT_STATION_SEED"); given && *given) seed = std::stoull(given);
    std::printf("station processes: seed %llu (LT_STATION_SEED=%llu replays its choices), range %u, lots of 1..%u, "
                "faults %u%%, %d kills from outside\n",
                (unsigned long long)seed, (unsigned long long)seed, kRange, kMaxLot, kFaults, kKills);
    RecordProperty("seed", std::to_string(seed));
    std::string why;
    const std::string connection = test::freshSchema("lt_station_processes", why);
    ASSERT_FALSE(connection.empty()) << why;

    test::TempDir dir;
    std::mt19937_64 rng(seed);
    auto pick = [&](uint64_t low, uint64_t high) { return std::uniform_int_distribution<uint64_t>(low, high)(rng); };
    // Each runner kills itself once in its first run at one of the points where a kill
    // leaves most to put right; the others come from outside at random moments.
    const char* points[] = {"request", "ship", "reported", "appended"};
    std::vector<Runner> runners(4);
    for (std::size_t i = 0; i < runners.size(); ++i) {
        runners[i].name = "LINE-" + std::to_string(i + 1);
        runners[i].folder = dir.file(runners[i].name);
        runners[i].seed = seed * 4 + i;
        std::filesystem::create_directories(runners[i].folder);
    }
    const auto began = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < runners.size(); ++i) {
        runners[i].killAt = std::string(points[i]) + ":" + std::to_string(pick(1, 4));
        spawn(runners[i], connection, runners[i].killAt);
    }

    std::vector<uint64_t> marks;
    for (int k = 0; k < kKills; ++k) marks.push_back(pick(kRange * 5 / 100, kRange * 80 / 100));
    std::sort(marks.begin(), marks.end(), std::greater<>());  // the next one last
    odbc::Connection watch;  // the shipped addresses, as the kills follow them
    ASSERT_TRUE(watch.open(connection, 10).ok);
    bool tables = false;
    auto shippedNow = [&]() -> int64_t {
        int64_t n = 0;
        // Until the first station has made the tables nothing is shipped (and a statement
        // on a missing table is not run: the ODBC driver keeps some of its error's memory).
        if (!tables) {
            watch.run("SELECT CASE WHEN to_regclass('ledger_addresses') IS NULL THEN 0 ELSE 1 END", {},
                      [&](odbc::Row& row) { tables = row.integer(1).value_or(0) == 1; });
            watch.commit();
            if (!tables) return 0;
        }
        const odbc::DbResult r = watch.run("SELECT count(*) FROM ledger_addresses WHERE state = 'shipped'", {},
                                           [&](odbc::Row& row) { n = row.integer(1).value_or(0); });
        EXPECT_TRUE(r.ok) << r.describe();
        watch.commit();
        return n;
    };
    int killsLeft = kKills;
    bool killDue = false;
    auto nextKill = began;
    const auto deadline = began + std::chrono::seconds(240);
    std::string failure;
    while (failure.empty()) {
        bool allDone = true;
        for (Runner& r : runners) {
            if (r.done) continue;
            allDone = false;
            int status = 0;
            const pid_t got = waitpid(r.pid, &status, WNOHANG);
            if (got == 0) continue;
            if (got != r.pid) {
                failure = r.name + ": waitpid failed";
                break;
            }
            r.pid = -1;
            if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
                r.done = true;
            } else if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) {
                // Started again in its folder; with its kill point while it has not reached it
                // (a kill from outside came first).
                if (countOf(readFile(r.folder + "/runner.log"), "kill: at ") > 0) r.killAt.clear();
                spawn(r, connection, r.killAt);
            } else {
                failure = r.name + " ended with " +
                          (WIFEXITED(status) ? "exit " + std::to_string(WEXITSTATUS(status))
                                             : "signal " + std::to_string(WTERMSIG(status)));
            }
        }
        if (allDone || !failure.empty()) break;
        const auto now = std::chrono::steady_clock::now();
        if (now > deadline) {
            failure = "the runners did not complete the range within 240 s";
            break;
        }
        if (killsLeft > 0 && !killDue && uint64_t(shippedNow()) >= marks.back()) {
            marks.pop_back();
            killDue = true;
            nextKill = now + std::chrono::milliseconds(pick(0, 60));
        }
        if (killDue && now >= nextKill) {
            std::vector<Runner*> live;
            for (Runner& r : runners)
                if (!r.done && r.pid > 0) live.push_back(&r);
            if (!live.empty()) {
                Runner& victim = *live[pick(0, live.size() - 1)];
                if (kill(victim.pid, SIGKILL) == 0) {
                    ++victim.killedFromOutside;
                    --killsLeft;
                }
            }
            killDue = false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (!failure.empty()) {
        for (Runner& r : runners)
            if (r.pid > 0) {
                kill(r.pid, SIGKILL);
                waitpid(r.pid, nullptr, 0);
            }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();

    // ---- What each runner did.
    std::map<uint64_t, std::vector<std::string>> onAdapters;  // address -> the shipped adapters' lots
    std::map<std::string, std::set<uint64_t>> shippedBy;
    int recovered = 0, unpluggedOnly = 0;
    for (Runner& r : runners) {
        const std::string log = readFile(r.folder + "/runner.log");
        r.killedItself = countOf(log, "kill: at ");
        recovered += countOf(log, "moved to shipped.txt");
        unpluggedOnly += countOf(log, "already in shipped.txt");
        std::printf("%s: %d runs (%d killed from outside, %d killed itself), %d presses, %d lots shipped, %d with a "
                    "bench fault, %d refused for want of room; %s",
                    r.name.c_str(), r.starts, r.killedFromOutside, r.killedItself, countOf(log, "\npress "),
                    countOf(log, "-> programmed"), countOf(log, ", fault: "), countOf(log, "[The range has no block"),
                    tailOf(log, 1).c_str());
        if (!failure.empty()) std::printf("---- %s, the end of its log:\n%s\n", r.name.c_str(), tailOf(log, 30).c_str());
        for (const auto& [mac, tag] : adapterLines(r.folder + "/shipped.txt")) {
            onAdapters[mac].push_back(r.name + " " + tag);
            shippedBy[r.name].insert(mac);
        }
    }
    std::printf("station processes: %.1f s; kills: %d from outside, lots put right after a kill: %d moved to "
                "shipped.txt, %d found already there\n",
                seconds, kKills - killsLeft, recovered, unpluggedOnly);
    ASSERT_TRUE(failure.empty()) << failure << " (seed " << seed << ")";
    // Every kill fell while the runners worked, and each kind of interrupted lot was put right.
    EXPECT_EQ(killsLeft, 0);
    for (const Runner& r : runners) EXPECT_EQ(r.killedItself, 1) << r.name;
    EXPECT_GE(recovered, 2) << "the kills after the ship (points ship and reported)";
    EXPECT_GE(unpluggedOnly, 1) << "the kill after the append (point appended)";

    // No address on two shipped adapters, across the four stations.
    for (const auto& [mac, lots] : onAdapters)
        EXPECT_EQ(lots.size(), 1u) << adapter::formatUpper(MacAddress{uint8_t(mac >> 40), uint8_t(mac >> 32),
                                                                     uint8_t(mac >> 24), uint8_t(mac >> 16),
                                                                     uint8_t(mac >> 8), uint8_t(mac)})
                                   << " on " << ::testing::PrintToString(lots);

    // The server's shipped addresses are exactly the shipped adapters', station by station,
    // and they are the whole range.
    const test::SqlResult shipped =
        test::runSql(connection, "SELECT mac, station FROM ledger_addresses WHERE state = 'shipped'", 2);
    ASSERT_TRUE(shipped.result.ok) << shipped.result.describe();
    std::map<std::string, std::set<uint64_t>> server;
    std::set<uint64_t> all;
    for (const auto& row : shipped.rows) {
        server[row[1]].insert(std::stoull(row[0]));
        all.insert(std::stoull(row[0]));
    }
    std::set<uint64_t> range;
    for (uint32_t k = 0; k < kRange; ++k) range.insert(number(adapter::stepAddress(kStart, k)));
    EXPECT_EQ(all, range);
    std::set<uint64_t> onAny;
    for (const auto& [mac, lots] : onAdapters) onAny.insert(mac);
    EXPECT_EQ(onAny, all);
    for (const Runner& r : runners) EXPECT_EQ(shippedBy[r.name], server[r.name]) << r.name;

    // Every reservation ended shipped, voided (held for the station's retry) or released.
    const test::SqlResult open = test::runSql(
        connection,
        "SELECT i.station, i.lot, i.mac FROM ledger_events i WHERE i.event = 'issued' AND NOT EXISTS (SELECT 1 FROM"
        " ledger_events e WHERE e.station = i.station AND e.lot = i.lot AND e.mac = i.mac AND e.event IN ('shipped',"
        " 'void', 'released'))",
        3);
    ASSERT_TRUE(open.result.ok) << open.result.describe();
    EXPECT_TRUE(open.rows.empty()) << ::testing::PrintToString(open.rows);
    const test::SqlResult kept = test::runSql(
        connection, "SELECT station, state, count(*) FROM ledger_addresses WHERE state <> 'shipped' GROUP BY 1, 2", 3);
    ASSERT_TRUE(kept.result.ok) << kept.result.describe();
    // With every address of the range shipped no station can hold one; should one, it is
    // released as for a station stopped for good.
    EXPECT_TRUE(kept.rows.empty()) << ::testing::PrintToString(kept.rows);
    test::FakeLedgerClock clock;
    ledger::ServerLedger admin(clock, connection, "CHECK");
    for (const auto& row : kept.rows) {
        const ledger::ReleaseResult released = admin.releaseStation(row[0]);
        EXPECT_TRUE(released.problem.ok()) << released.problem.reason;
        std::printf("released %u addresses of %s\n", released.addresses, row[0].c_str());
    }
    const test::SqlResult events = test::runSql(
        connection, "SELECT event, count(*) FROM ledger_events GROUP BY 1 ORDER BY 1", 2);
    std::string counts;
    for (const auto& row : events.rows) counts += " " + row[0] + " " + row[1];
    std::printf("server lines:%s\n", counts.c_str());
}
