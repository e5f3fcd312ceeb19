// ledger_benchmark.cpp: prints the station ledger's start-up cost for ledgers of 10,000 and 1,000,000 lines, and the cost of the guard and the appends of a lot of 127.
//
// The ledgers are written beforehand in the current directory as a station writes them:
// lots of 127 adapters, each with its 127 `issued` and 127 `shipped` lines, one lot in
// fifty voided instead. Start-up is FileLedger::open() on that file (reading it through
// the file port and building the index). A lot is then the guard's look-up of its 127
// addresses, issue() (127 `issued` lines, written and flushed) and ship() (127 `shipped`
// lines, written and flushed), on the ledger of 1,000,000 lines. The native tree uses the
// portable ports (its flush is std::fflush, which does not reach the disk); the Windows
// tree the Win32 ones (FlushFileBuffers). Nothing is asserted.
// Usage: ledger-benchmark [LOTS]   (default 20 lots measured)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "progstation/ledger/file_ledger.h"
#include "progstation/ledger/ledger_lines.h"
#ifdef LT_LEDGER_WIN32
#include "win32/ledger_ports_win32.h"
#else
#include "portable/ledger_ports_portable.h"
#endif

namespace {

using namespace lt;
using namespace lt::ledger;
using Clock = std::chrono::steady_clock;

#ifdef LT_LEDGER_WIN32
using Files = win32::LedgerFilesWin32;
using LineClock = win32::LedgerClockWin32;
constexpr const char* kPorts = "Win32";
#else
using Files = PortableLedgerFiles;
using LineClock = PortableLedgerClock;
constexpr const char* kPorts = "portable";
#endif

constexpr uint32_t kLot = 127;
constexpr MacAddress kStart = {0x00, 0x1b, 0x4e, 0x00, 0x00, 0x00};

// Bytes the heap has handed out, where the C library tells it (glibc), else -1.
double heapMiB() {
#ifdef __GLIBC__
    const auto info = mallinfo2();
    return (info.uordblks + info.hblkhd) / (1024.0 * 1024.0);
#else
    return -1;
#endif
}

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A ledger of about `lines` lines; returns the address after the last one handed out.
MacAddress writeLedger(Files& files, const std::string& path, uint64_t lines, int64_t now) {
    std::remove(path.c_str());
    std::string text = std::string(kHeader) + "\r\n";
    Record r;
    r.station = "LINE-1";
    r.vid = 0x8207;
    r.pid = 0x6514;
    r.rangeStart = kStart;
    r.rangeCount = 16000000;
    MacAddress next = kStart;
    uint64_t written = 1;
    for (uint64_t lot = 1; written < lines; ++lot) {
        const bool voided = lot % 50 == 0;
        r.lot = lot;
        r.time = now - int64_t(lines - written) * 2;
        for (int pass = 0; pass < 2; ++pass) {
            r.event = pass == 0 ? Event::Issued : voided ? Event::Void : Event::Shipped;
            r.detail = pass == 0 ? "diagnostics 0" : voided ? "verification failed" : "";
            for (uint32_t k = 0; k < kLot && written < lines; ++k, ++written) {
                r.device = k + 1;
                r.mac = adapter::stepAddress(next, k);
                r.serial = pass == 1 && !voided ? adapter::formatUpper(r.mac) : "";
                appendLine(text, r);
            }
        }
        if (!voided) next = adapter::stepAddress(next, kLot);
    }
    if (files.append(path, text, std::nullopt).status != FileStatus::Ok) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
    std::printf("  %s: %llu lines, %.1f MB\n", path.c_str(), static_cast<unsigned long long>(lines),
                text.size() / 1e6);
    return next;
}

struct Figures {
    double median = 0, max = 0;
};
Figures figures(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back()};
}

}  // namespace

int main(int argc, char** argv) {
    const int lots = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    Files files;
    LineClock clock;
    std::printf("ledger-benchmark (%s ports)\n", kPorts);

    MacAddress next{};
    std::string big;
    for (uint64_t lines : {uint64_t(10000), uint64_t(1000000)}) {
        const std::string path = "ledger-benchmark-" + std::to_string(lines) + ".csv";
        next = writeLedger(files, path, lines, clock.utcNow());
        std::vector<double> ms, cpu;
        for (int i = 0; i < 3; ++i) {
            FileLedger ledger(files, clock, path, "LINE-1");
            const auto start = Clock::now();
            const std::clock_t cpuStart = std::clock();
            const OpenResult opened = ledger.open();
            ms.push_back(msSince(start));
            cpu.push_back(1000.0 * double(std::clock() - cpuStart) / CLOCKS_PER_SEC);
            if (!opened.ok()) {
                std::fprintf(stderr, "open failed: %s\n", opened.problem.reason.c_str());
                return 1;
            }
        }
        const Figures f = figures(ms);
        std::printf("start-up, %7llu lines: %8.1f ms (median of 3, largest %.1f ms; processor time %.1f ms)\n",
                    static_cast<unsigned long long>(lines), f.median, f.max, figures(cpu).median);
        const double before = heapMiB();
        {
            FileLedger held(files, clock, path, "LINE-1");
            held.open();
            if (before >= 0) std::printf("  heap held by the open ledger: %.1f MiB\n", heapMiB() - before);
        }
        if (lines == 1000000) big = path;
        else std::remove(path.c_str());
    }

    FileLedger ledger(files, clock, big, "LINE-1");
    if (!ledger.open().ok()) return 1;
    std::vector<double> guard, issue, ship, total;
    for (int i = 0; i < lots; ++i) {
        const auto addresses = lotAddresses(next, kLot);
        // Every other lot is handed addresses that were shipped already, so the look-up hits.
        const auto asked = i % 2 ? lotAddresses(adapter::stepAddress(kStart, uint32_t(i) * kLot), kLot) : addresses;
        const auto t0 = Clock::now();
        const GuardHit hit = ledger.shippedAmong(asked);
        guard.push_back(msSince(t0));
        if ((i % 2 == 1) != (hit.count > 0)) std::fprintf(stderr, "unexpected guard answer: %u\n", hit.count);

        LotPlan plan;
        plan.rangeStart = kStart;
        plan.rangeCount = 16000000;
        plan.lotStart = next;
        plan.adapters = kLot;
        plan.vid = 0x8207;
        plan.pid = 0x6514;
        plan.detail = "diagnostics 0";
        const auto t1 = Clock::now();
        const IssueResult issued = ledger.issue(plan);
        issue.push_back(msSince(t1));
        std::vector<ShippedAdapter> back;
        for (uint32_t k = 0; k < kLot; ++k) back.push_back({k + 1, addresses[k], adapter::formatUpper(addresses[k])});
        const auto t2 = Clock::now();
        const LedgerProblem shipped = ledger.ship(issued.lot, back);
        ship.push_back(msSince(t2));
        total.push_back(msSince(t0));
        if (!issued.problem.ok() || !shipped.ok()) {
            std::fprintf(stderr, "append failed\n");
            return 1;
        }
        next = adapter::stepAddress(next, kLot);
    }
    std::printf("lot of %u on the 1,000,000-line ledger, %d lots (median, largest):\n", kLot, lots);
    for (auto [name, ms] : {std::pair{"guard look-up", &guard}, std::pair{"issue (write + flush)", &issue},
                            std::pair{"ship (write + flush)", &ship}, std::pair{"all three", &total}}) {
        const Figures f = figures(*ms);
        std::printf("  %-22s %8.3f ms  %8.3f ms\n", name, f.median, f.max);
    }
    std::remove(big.c_str());
    return 0;
}
