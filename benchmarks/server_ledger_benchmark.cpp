// server_ledger_benchmark.cpp: prints what a press costs with the ledger shared on a PostgreSQL server, beside the station's own ledger file, and the lots per second four stations reach together on one range.
//
// A press, as the station makes it: the guard's look-up of the lot's addresses, issue(),
// ship() of every adapter and counters() for the main window. Measured for lots of 4 and
// 127 on the file ledger (AddressLedger.csv through the portable ports, in a temporary
// folder) and on the shared ledger, also with 100,000 addresses of the range shipped
// before; then four threads, each a station with a connection of its own, press lots of 4
// on one range for a few seconds. The server: LT_LEDGER_CONNECTION (an ODBC connection
// string), or the folder of scripts/test-database.sh in LT_TEST_DATABASE; the benchmark
// works in a schema of its own (lt_benchmark, made anew). Nothing is asserted.
// Usage: server-ledger-benchmark [PRESSES]   (default 100 per figure)
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "portable/ledger_ports_portable.h"
#include "progstation/ledger/file_ledger.h"
#include "progstation/ledger/server_ledger.h"
#include "tests/database/test_database.h"

namespace {

using namespace lt;
using namespace lt::ledger;
using Clock = std::chrono::steady_clock;

constexpr MacAddress kStart = {0x00, 0x1b, 0x4e, 0x00, 0x00, 0x00};
constexpr uint32_t kRange = 1000000;

LotPlan plan(uint32_t adapters, const MacAddress& start = kStart) {
    return lt::test::stationLotPlan(start, adapters, kRange);
}

struct Figures {
    std::vector<double> ms;
    std::vector<double> parts[4];  // guard, issue, ship, counters
    std::string problem;
};

double since(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }

// `presses` presses of `adapters` on `ledger`; the file ledger continues its lots itself.
Figures press(AddressLedger& ledger, uint32_t adapters, int presses, uint32_t& next) {
    Figures f;
    for (int i = 0; i < presses; ++i) {
        LotPlan p = plan(adapters);
        p.lotStart = adapter::stepAddress(kStart, next);
        const auto t0 = Clock::now();
        const auto addresses = lotAddresses(p.lotStart, adapters);
        const GuardHit hit = ledger.shippedAmong(addresses);
        f.parts[0].push_back(since(t0));
        const auto t1 = Clock::now();
        const IssueResult issued = ledger.issue(p);
        f.parts[1].push_back(since(t1));
        if (!hit.problem.ok() || !issued.problem.ok()) {
            f.problem = hit.problem.ok() ? issued.problem.reason : hit.problem.reason;
            return f;
        }
        std::vector<ShippedAdapter> back;
        for (uint32_t k = 0; k < adapters; ++k)
            back.push_back({k + 1, adapter::stepAddress(issued.lotStart, k), "SN" + std::to_string(next + k)});
        const auto t2 = Clock::now();
        const LedgerProblem shipped = ledger.ship(issued.lot, back);
        f.parts[2].push_back(since(t2));
        const auto t3 = Clock::now();
        const LedgerCounters c = ledger.counters();
        f.parts[3].push_back(since(t3));
        f.ms.push_back(since(t0));
        if (!shipped.ok() || !c.problem.ok()) {
            f.problem = shipped.ok() ? c.problem.reason : shipped.reason;
            return f;
        }
        next += adapters;
    }
    return f;
}

void print(const char* what, uint32_t adapters, Figures f) {
    if (!f.problem.empty()) {
        std::printf("%-40s lot of %3u: FAILED: %s\n", what, adapters, f.problem.c_str());
        return;
    }
    std::sort(f.ms.begin(), f.ms.end());
    const auto at = [&](double q) { return f.ms[std::size_t(q * double(f.ms.size() - 1))]; };
    std::printf("%-40s lot of %3u: median %6.2f ms, 90%% %6.2f ms, fastest %6.2f ms (%zu presses)\n", what, adapters,
                at(0.5), at(0.9), f.ms.front(), f.ms.size());
    if (f.parts[0].empty()) return;
    double median[4];
    for (int i = 0; i < 4; ++i) {
        std::sort(f.parts[i].begin(), f.parts[i].end());
        median[i] = f.parts[i][f.parts[i].size() / 2];
    }
    std::printf("%-40s   medians: guard %.2f ms, issue %.2f ms, ship %.2f ms, counters %.2f ms\n", "", median[0],
                median[1], median[2], median[3]);
}

}  // namespace

int main(int argc, char** argv) {
    const int presses = argc > 1 ? std::max(5, std::atoi(argv[1])) : 100;
    std::string why;
    std::string server;
    if (const char* direct = std::getenv("LT_LEDGER_CONNECTION"); direct && *direct) {
        server = direct;
    } else if (const auto found = test::testServer(why)) {
        server = *found;
    } else {
        std::fprintf(stderr, "server-ledger-benchmark: %s (or set LT_LEDGER_CONNECTION)\n", why.c_str());
        return 1;
    }
    const std::string connection = [&] {
        odbc::Connection admin;
        odbc::DbResult r = admin.open(server, 10);
        if (r.ok) r = admin.runOnce("DROP SCHEMA IF EXISTS lt_benchmark CASCADE");
        if (r.ok) r = admin.runOnce("CREATE SCHEMA lt_benchmark");
        if (r.ok) r = admin.commit();
        if (!r.ok) {
            std::fprintf(stderr, "server-ledger-benchmark: %s\n", r.describe().c_str());
            std::exit(1);
        }
        return server + ";ConnSettings=SET search_path TO lt_benchmark";
    }();

    // The station's own ledger file, for comparison.
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("lt-ledger-benchmark-" + std::to_string(std::rand()));
    std::filesystem::create_directories(folder);
    {
        PortableLedgerFiles files;
        PortableLedgerClock clock;
        FileLedger file(files, clock, (folder / "AddressLedger.csv").string(), "LINE-1");
        file.open();
        uint32_t next = 0;
        print("file ledger (portable ports)", 4, press(file, 4, presses, next));
        print("file ledger (portable ports)", 127, press(file, 127, std::max(5, presses / 4), next));
    }
    std::filesystem::remove_all(folder);

    {
        // What the server's disk costs: a press commits twice (issue, ship), each flushed.
        odbc::Connection db;
        db.open(connection, 10);
        db.runOnce("CREATE TABLE commit_probe (n integer)");
        db.commit();
        std::vector<double> ms;
        for (int i = 0; i < presses; ++i) {
            const auto t = Clock::now();
            db.run("INSERT INTO commit_probe VALUES (?)", {odbc::Param::integer(i)});
            db.commit();
            ms.push_back(since(t));
        }
        std::sort(ms.begin(), ms.end());
        std::string mode;
        db.run("SHOW synchronous_commit", {}, [&](odbc::Row& row) { mode = row.text(1).value_or("?"); });
        db.commit();
        std::printf("one row written and committed (synchronous_commit %s): median %.2f ms, fastest %.2f ms\n",
                    mode.c_str(), ms[ms.size() / 2], ms.front());
    }

    PortableLedgerClock clock;
    ServerLedger shared(clock, connection, "LINE-1");
    if (const OpenResult r = shared.open(); !r.ok()) {
        std::fprintf(stderr, "server-ledger-benchmark: %s\n", r.problem.reason.c_str());
        return 1;
    }
    uint32_t next = 0;
    print("shared ledger", 4, press(shared, 4, presses, next));
    print("shared ledger", 127, press(shared, 127, std::max(5, presses / 4), next));

    // 100,000 addresses of another range shipped before, written straight into the table.
    const MacAddress full = {0x00, 0x1b, 0x4f, 0x00, 0x00, 0x00};
    {
        ServerLedger filler(clock, connection, "LINE-F");
        filler.open();
        const IssueResult first = filler.issue(plan(1, full));  // makes the range and the station known
        const ShippedAdapter one{1, full, ""};
        filler.ship(first.lot, std::span(&one, 1));
        const auto r = test::runSql(
            connection,
            "INSERT INTO ledger_addresses (mac, range_id, range_offset, station, lot, device, state, vid, pid, changed)"
            " SELECT (SELECT range_start FROM ledger_ranges WHERE range_start = " +
                std::to_string(int64_t(0x001b4f000000)) + ") + g, (SELECT id FROM ledger_ranges WHERE range_start = " +
                std::to_string(int64_t(0x001b4f000000)) +
                "), g, 'LINE-F', 1000 + g, 1, 'shipped', 1, 1, now() FROM generate_series(1, 100000) AS g");
        if (!r.result.ok) std::fprintf(stderr, "filling: %s\n", r.result.describe().c_str());
        test::runSql(connection, "ANALYZE");
    }
    ServerLedger late(clock, connection, "LINE-2");
    late.open();
    {
        Figures f;
        uint32_t k = 0;
        for (int i = 0; i < presses; ++i) {
            const auto t0 = Clock::now();
            LotPlan p = plan(4, full);
            const IssueResult issued = late.issue(p);
            if (!issued.problem.ok()) {
                f.problem = issued.problem.reason;
                break;
            }
            std::vector<ShippedAdapter> back;
            for (uint32_t d = 0; d < 4; ++d) back.push_back({d + 1, adapter::stepAddress(issued.lotStart, d), ""});
            late.shippedAmong(lotAddresses(issued.lotStart, 4));
            late.ship(issued.lot, back);
            late.counters();
            f.ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
            k += 4;
        }
        // The first press moves the range's mark past the shipped addresses (one long look).
        if (!f.ms.empty()) std::printf("shared ledger, first press after 100,000 shipped: %.1f ms\n", f.ms.front());
        print("shared ledger, 100,000 shipped before", 4, f);
    }

    // Four stations on one range, each with its own connection.
    constexpr int kStations = 4;
    const MacAddress together = {0x00, 0x1b, 0x50, 0x00, 0x00, 0x00};
    std::atomic<bool> stop{false};
    std::atomic<int> lots{0}, failures{0};
    std::vector<std::thread> threads;
    const auto t0 = Clock::now();
    for (int s = 0; s < kStations; ++s) {
        threads.emplace_back([&, s] {
            PortableLedgerClock own;
            ServerLedger station(own, connection, "LINE-T" + std::to_string(s));
            if (!station.open().ok()) {
                ++failures;
                return;
            }
            while (!stop) {
                const IssueResult issued = station.issue(plan(4, together));
                if (!issued.problem.ok()) {
                    ++failures;
                    continue;
                }
                std::vector<ShippedAdapter> back;
                for (uint32_t d = 0; d < 4; ++d) back.push_back({d + 1, adapter::stepAddress(issued.lotStart, d), ""});
                if (station.ship(issued.lot, back).ok()) ++lots;
                else ++failures;
            }
        });
    }
    std::this_thread::sleep_for(std::chrono::seconds(3));
    stop = true;
    for (auto& t : threads) t.join();
    const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    std::printf("four stations on one range, lots of 4 (issue + ship): %.0f lots/s together (%d lots in %.1f s, %d failed)\n",
                lots / seconds, lots.load(), seconds, failures.load());
    return 0;
}
