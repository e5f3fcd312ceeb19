// station_runner.cpp: one station of a line run on its own, for the tests of several station processes on one ledger server: the real station dialog and press on the fixture's fake view, drive and bench, with a ServerLedger, pressing lots until the shared range is complete and moving each shipped lot's adapters into a file.
//
// station-runner --folder=DIR --connection=ODBC --station=NAME --start=AA-BB-CC-DD-EE-FF --count=N
//                [--max-lot=5] [--seed=S] [--faults=PERCENT] [--kill-at=POINT:K] [--max-presses=N]
//
// DIR holds everything of the station and is kept across its runs: drive C: (EpromData.ini,
// EthernetDiagnostic.ini naming the server and the station), the bench file, and
//   shipped.txt   append-only, one line "ADDRESS TAG" per adapter of a lot the station
//                 reported programmed, TAG naming the lot ("STATION/run/press"); each lot is
//                 one write, flushed to the disk (fsync) before its adapters leave the bench;
//   setaside.txt  adapters taken off the bench without being shipped (the station said to
//                 set them aside, or fewer adapters fit), same form;
//   starts.txt    one line per run (its number varies the run's random choices).
// Each press: when the bench is empty, 1 .. max-lot blank adapters are attached; now and
// then (PERCENT of the presses) one fault of the bench is set for the press (the programming
// request failing, a descriptor or vendor-part verification failing, a read, count or open
// request failing), and cleared after it; the start address and count are entered and Start
// (Next) is pressed. A fake operator answers the station's boxes: Ignore at the address
// conflict (the adapters of a failed lot are programmed again), OK otherwise. After a press
// the station reports as programmed (status "Programmed Successfully", or the range-complete
// box), the runner checks that the bench's adapters hold consecutive addresses that the
// server has as shipped by this station, appends them to shipped.txt and unplugs them. A
// press refused for want of room takes one adapter off (set aside) or, with one left, waits
// a moment. Failed lots leave their adapters on the bench for the retry. The runner ends
// (exit 0) when the station says the range is complete (its own last lot completed it, or
// its press found it shipped by the others).
//
// Started again in the same DIR after a kill, the runner first puts right what the kill
// left: the bench's lock (nobody else uses the bench), a line of shipped.txt cut short, and
// the adapters still on the bench: those whose addresses the server has as shipped by this
// station (the kill came after the ship and before they were moved) go to shipped.txt,
// unless they are of the lot shipped.txt ends with (the kill came between the append and
// the end of the unplugging); the others stay for the retry (the station holds their
// addresses for its next lot).
//
// --kill-at=POINT:K kills the runner (SIGKILL) the K-th time it reaches POINT in this run:
//   request   the programming request arrives (the lot reserved, nothing programmed yet);
//   ship      the server has shipped the lot, before the station's own records;
//   reported  the press reported the lot programmed, before shipped.txt;
//   appended  the lot is in shipped.txt, its adapters still on the bench.
// Exit: 0 range complete; 1 bad use or setup; 2 no complete range after --max-presses;
// 3 a lot reported programmed whose adapters are not what the server shipped.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_control.h"
#include "bench/bench_file.h"
#include "bench/bench_model.h"
#include "progstation/ledger/server_ledger.h"
#include "tests/database/test_database.h"
#include "tests/unit/progstation/station_fixture.h"

namespace fs = std::filesystem;
using namespace lt;
using adapter::MacAddress;

namespace {

constexpr MacAddress kBlank = {0xff, 0xff, 0xff, 0xff, 0xff, 0xff};

struct Options {
    fs::path folder;
    std::string connection, station;
    MacAddress start{};
    uint32_t count = 0;
    uint32_t maxLot = 5;
    uint64_t seed = 1;
    uint32_t faults = 10;  // percent of the presses
    std::string killPoint;
    int killAt = 0;
    int maxPresses = 5000;
};

void say(const char* format, ...) __attribute__((format(printf, 1, 2)));
void say(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::putchar('\n');
    std::fflush(stdout);
}

[[noreturn]] void fail(int code, const std::string& why) {
    say("runner: %s", why.c_str());
    std::_Exit(code);
}

Options parse(int argc, char** argv) {
    Options o;
    std::map<std::string, std::string> given;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const auto eq = a.find('=');
        if (a.rfind("--", 0) != 0 || eq == std::string::npos) fail(1, "bad argument " + a);
        given[a.substr(2, eq - 2)] = a.substr(eq + 1);
    }
    auto need = [&](const char* key) {
        const auto it = given.find(key);
        if (it == given.end() || it->second.empty()) fail(1, std::string("--") + key + "= is missing");
        return it->second;
    };
    auto number = [&](const char* key, uint64_t fallback) {
        const auto it = given.find(key);
        return it == given.end() ? fallback : std::stoull(it->second);
    };
    o.folder = need("folder");
    o.connection = need("connection");
    o.station = need("station");
    if (!bench::parseMacAddress(need("start"), o.start)) fail(1, "bad --start");
    o.count = uint32_t(std::stoul(need("count")));
    o.maxLot = uint32_t(number("max-lot", 5));
    o.seed = number("seed", 1);
    o.faults = uint32_t(number("faults", 10));
    o.maxPresses = int(number("max-presses", 5000));
    if (const auto it = given.find("kill-at"); it != given.end() && !it->second.empty()) {
        const auto colon = it->second.find(':');
        o.killPoint = it->second.substr(0, colon);
        o.killAt = colon == std::string::npos ? 1 : std::stoi(it->second.substr(colon + 1));
    }
    if (o.count == 0 || o.maxLot == 0) fail(1, "--count and --max-lot must be above 0");
    return o;
}

// ---- The kill points.

struct KillPoints {
    std::string point;
    int at = 0;
    int seen = 0;
    void reach(const char* name) {
        if (point != name || ++seen != at) return;
        say("kill: at %s (%d)", name, at);
        raise(SIGKILL);
    }
};
KillPoints kills;

// The ServerLedger with the `ship` kill point after a ship that reached the server.
class RunnerLedger final : public ledger::AddressLedger {
public:
    RunnerLedger(ledger::LedgerClock& clock, const std::string& connection, const std::string& station)
        : inner_(clock, connection, station) {}
    ledger::OpenResult open() override { return inner_.open(); }
    ledger::LedgerProblem closeInterrupted() override { return inner_.closeInterrupted(); }
    ledger::GuardHit shippedAmong(std::span<const MacAddress> a) override { return inner_.shippedAmong(a); }
    ledger::IssueResult issue(const ledger::LotPlan& plan) override { return inner_.issue(plan); }
    ledger::LedgerProblem ship(uint64_t lot, std::span<const ledger::ShippedAdapter> adapters) override {
        ledger::LedgerProblem p = inner_.ship(lot, adapters);
        if (p.ok()) kills.reach("ship");
        return p;
    }
    ledger::LedgerProblem voidLot(uint64_t lot, std::string_view reason) override {
        return inner_.voidLot(lot, reason);
    }
    ledger::LedgerCounters counters() override { return inner_.counters(); }
    bool placesLots() const override { return true; }

private:
    ledger::ServerLedger inner_;
};

// ---- Files.

// Appends `text` as one write and flushes it to the disk.
void appendSynced(const fs::path& path, const std::string& text) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT, 0644);
    if (fd < 0) fail(1, "cannot open " + path.string());
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n <= 0) fail(1, "cannot write " + path.string());
        done += std::size_t(n);
    }
    if (::fsync(fd) != 0) fail(1, "cannot flush " + path.string());
    ::close(fd);
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A line cut short by a kill while appending is dropped (its lot is written again).
void repairTail(const fs::path& path) {
    if (!fs::exists(path)) return;
    const std::string text = readFile(path);
    if (text.empty() || text.back() == '\n') return;
    const auto keep = text.find_last_of('\n');
    fs::resize_file(path, keep == std::string::npos ? 0 : keep + 1);
    say("recover: a line cut short in %s dropped", path.filename().c_str());
}

struct Line {
    std::string mac, tag;
};
std::vector<Line> lines(const fs::path& path) {
    std::vector<Line> out;
    std::istringstream in(readFile(path));
    for (std::string l; std::getline(in, l);) {
        std::istringstream f(l);
        Line x;
        if (f >> x.mac >> x.tag) out.push_back(x);
    }
    return out;
}

std::string lotText(const std::vector<MacAddress>& adapters, const std::string& tag) {
    std::string text;
    for (const MacAddress& a : adapters) text += adapter::formatUpper(a) + " " + tag + "\n";
    return text;
}

// ---- The bench (this runner's alone).

struct Bench {
    std::string path;
    void run(std::vector<std::string> command) {
        command.insert(command.begin(), path);
        std::ostringstream out, err;
        if (bench::runBenchctl(command, out, err) != bench::kBenchctlOk) fail(1, "benchctl: " + err.str());
    }
    std::vector<MacAddress> addresses() {
        bench::BenchLock lock(path);
        bench::Bench b;
        std::string problem;
        if (!lock.held() || bench::readBenchFile(path, b, problem) != bench::BenchFileStatus::ok)
            fail(1, "cannot read the bench: " + problem);
        std::vector<MacAddress> out;
        for (const auto& a : b.adapters) out.push_back(bench::adapterAddress(a));
        return out;
    }
};

// The addresses among `adapters` that the server has as shipped by `station`.
std::set<uint64_t> shippedByStation(const Options& o, const std::vector<MacAddress>& adapters) {
    std::string list;
    for (const MacAddress& a : adapters) list += (list.empty() ? "" : ",") + std::to_string(test::addressNumber(a));
    const std::string sql = "SELECT mac FROM ledger_addresses WHERE state = 'shipped' AND station = '" + o.station +
                            "' AND mac = ANY(CAST('{" + list + "}' AS bigint[]))";
    for (int attempt = 0;; ++attempt) {
        const test::SqlResult r = test::runSql(o.connection, sql, 1);
        if (r.result.ok) {
            std::set<uint64_t> out;
            for (const auto& row : r.rows) out.insert(std::stoull(row[0]));
            return out;
        }
        if (attempt == 50) fail(1, "cannot ask the server: " + r.result.describe());
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

std::array<std::string, 6> boxTexts(const MacAddress& a) {
    std::array<std::string, 6> t;
    for (std::size_t i = 0; i < 6; ++i) {
        char b[3];
        std::snprintf(b, sizeof b, "%02X", a[i]);
        t[i] = b;
    }
    return t;
}

// The fake operator: Ignore at the address conflict (the failed lot's adapters are
// programmed again), No to the re-issue guard, OK (the default) to everything else.
ui::Answer operatorAnswer(const test::ShownMessage& box) {
    if (box.buttons == ui::Buttons::AbortRetryIgnore) return ui::Answer::Ignore;
    return box.answer;
}

struct Fault {
    const char* name;
    std::vector<std::string> command;  // "K" stands for a random adapter of the bench
};
const Fault kFaults[] = {
    {"request fails", {"driver", "programfail=1"}},
    {"request fails once", {"driver", "fail=IOCTL_PROGRAM_EEPROM:1"}},
    {"descriptor read-back differs", {"set", "K", "badstring=1"}},
    {"descriptor read fails", {"set", "K", "readfail=1"}},
    {"vendor part wrong", {"set", "K", "badvendor=1"}},
    {"address read fails", {"driver", "fail=IOCTL_GET_MAC_ADDRESSES:1"}},
    {"adapter count fails", {"driver", "fail=IOCTL_GET_DEVICE_COUNT:1"}},
    {"an open fails", {"driver", "openfail=K5"}},
};

}  // namespace

int main(int argc, char** argv) {
    const Options o = parse(argc, argv);
    kills.point = o.killPoint;
    kills.at = o.killAt;
    fs::create_directories(o.folder);
    const fs::path shippedPath = o.folder / "shipped.txt", asidePath = o.folder / "setaside.txt",
                   startsPath = o.folder / "starts.txt";
    const std::size_t run = lines(startsPath).size();
    appendSynced(startsPath, "run " + std::to_string(run) + "\n");
    std::mt19937_64 rng(o.seed * 1000003u + run);
    auto pick = [&](uint32_t low, uint32_t high) { return std::uniform_int_distribution<uint32_t>(low, high)(rng); };
    say("start: %s run %zu seed %llu (range %s count %u, lots of 1..%u, faults %u%%%s%s)", o.station.c_str(), run,
        (unsigned long long)o.seed, adapter::formatUpper(o.start).c_str(), o.count, o.maxLot, o.faults,
        o.killPoint.empty() ? "" : ", kill at ", o.killPoint.empty() ? "" : (o.killPoint + ":" + std::to_string(o.killAt)).c_str());

    // ---- What a kill left.
    Bench bench{(o.folder / "bench.txt").string()};
    std::error_code ec;
    if (fs::remove(bench::BenchLock::lockPath(bench.path), ec)) say("recover: the bench's lock removed");
    repairTail(shippedPath);
    repairTail(asidePath);

    test::StationRig rig(o.folder);
    rig.profiles.log = nullptr;
    rig.files.log = nullptr;
    if (run == 0) bench.run({"unplug", "all"});  // the rig's new bench comes with four adapters
    rig.stationOptions(0, 0, 0);
    rig.installPackage();
    rig.write("EthernetDiagnostic.ini", "LEDGER", "Connection", o.connection);
    rig.write("EthernetDiagnostic.ini", "LEDGER", "StationName", o.station);
    rig.makeServerLedger = [&rig](const std::string& c, const std::string& s) {
        return std::make_unique<RunnerLedger>(rig.ledgerClock, c, s);
    };
    rig.decide = operatorAnswer;
    rig.device.onProgram = [] { kills.reach("request"); };

    {
        std::vector<MacAddress> programmed;
        for (const MacAddress& a : bench.addresses())
            if (a != kBlank) programmed.push_back(a);
        if (!programmed.empty()) {
            const std::set<uint64_t> shipped = shippedByStation(o, programmed);
            std::vector<MacAddress> ours;
            for (const MacAddress& a : programmed)
                if (shipped.count(test::addressNumber(a))) ours.push_back(a);
            if (!ours.empty()) {
                // Of the lot shipped.txt ends with: appended before the kill, not (or not all)
                // unplugged yet. The server ships an address once, so an adapter it has as
                // shipped by this station and that lot names is that lot's adapter.
                const std::vector<Line> file = lines(shippedPath);
                std::set<std::string> lastLot;
                for (auto it = file.rbegin(); it != file.rend() && it->tag == file.back().tag; ++it)
                    lastLot.insert(it->mac);
                bool inLastLot = true;
                for (const MacAddress& a : ours) inLastLot = inLastLot && lastLot.count(adapter::formatUpper(a));
                if (inLastLot) {
                    say("recover: %zu adapters of the lot %s already in shipped.txt, unplugged", ours.size(),
                        file.back().tag.c_str());
                } else {
                    appendSynced(shippedPath, lotText(ours, o.station + "/" + std::to_string(run) + "/recovered"));
                    say("recover: %zu adapters shipped by the server before the kill moved to shipped.txt (%s ..)",
                        ours.size(), adapter::formatUpper(ours.front()).c_str());
                }
                // All at once when they are the whole bench; else one by one from the highest
                // number down, so that the numbers left stay.
                const std::vector<MacAddress> now = bench.addresses();
                if (ours.size() == now.size()) {
                    bench.run({"unplug", "all"});
                } else {
                    for (std::size_t k = now.size(); k >= 1; --k)
                        if (shipped.count(test::addressNumber(now[k - 1]))) bench.run({"unplug", std::to_string(k)});
                }
            }
            if (ours.size() < programmed.size())
                say("recover: %zu programmed adapters not shipped stay on the bench for the retry",
                    programmed.size() - ours.size());
        }
    }

    const auto boxes = boxTexts(o.start);
    const std::string count = std::to_string(o.count);
    int lots = 0, adaptersShipped = 0, faults = 0, opens = 0, noRoom = 0;
    for (int press = 1; press <= o.maxPresses; ++press) {
        if (!rig.view || rig.view->ended()) {
            rig.start();
            ++opens;
            for (const auto& m : rig.view->messages()) say("open: %.90s", m.text.c_str());
        }
        std::vector<MacAddress> onBench = bench.addresses();
        if (onBench.empty()) {
            bench.run({"plug", std::to_string(pick(1, o.maxLot))});
            onBench = bench.addresses();
        }
        std::string faultName;
        if (pick(1, 100) <= o.faults) {
            const Fault& f = kFaults[pick(0, uint32_t(std::size(kFaults) - 1))];
            std::vector<std::string> command = f.command;
            for (std::string& part : command) {
                if (part == "K") part = std::to_string(pick(1, uint32_t(onBench.size())));
                if (part == "openfail=K5") part = "openfail=" + std::to_string(pick(1, 5));
            }
            bench.run(command);
            faultName = f.name;
            ++faults;
        }
        rig.device.requests.clear();
        rig.device.programRequests.clear();
        rig.pauses.taken.clear();
        rig.view->messages().clear();
        // The status line keeps the last press's text when this one ends early (a station
        // that closes at the driver check): only a lot programmed now sets it again.
        rig.view->setText(IDC_STATUS, "");
        rig.setStart(boxes);
        rig.view->setText(IDC_DEVICE_COUNT, count);
        rig.view->click(IDC_START);

        auto shown = [&](uint32_t id) {
            for (const auto& m : rig.view->messages())
                if (test::fitsPattern(m.text, rig.text(id))) return true;
            return false;
        };
        const bool completeHere = shown(IDS_RANGE_COMPLETE);
        const bool shippedByOthers = shown(IDS_LEDGER_RANGE_SHIPPED);
        const bool programmed = completeHere || rig.status() == rig.text(IDS_LOT_PROGRAMMED);
        if (!faultName.empty()) {
            bench.run({"driver", "programfail=0", "openfail=0", "fail=0"});
            bench.run({"set", "all", "badstring=0", "readfail=0", "badvendor=0"});
        }
        std::string first = rig.view->messages().empty() ? "" : rig.view->messages().front().text.substr(0, 70);
        say("press %d: %zu adapters%s%s -> %s%s", press, onBench.size(), faultName.empty() ? "" : ", fault: ",
            faultName.c_str(), programmed ? "programmed" : "not programmed",
            first.empty() ? "" : (" [" + first + "]").c_str());

        if (programmed) {
            // The lot: the bench's adapters, consecutive addresses that the server shipped for this station.
            const std::vector<MacAddress> lot = bench.addresses();
            if (lot.empty()) fail(3, "a lot reported programmed with no adapter on the bench");
            const std::set<uint64_t> shipped = shippedByStation(o, lot);
            for (std::size_t k = 0; k < lot.size(); ++k) {
                if (lot[k] == adapter::stepAddress(lot[0], uint32_t(k)) && shipped.count(test::addressNumber(lot[k])))
                    continue;
                for (const auto& m : rig.view->messages()) say("  box: %s", m.text.c_str());
                for (const std::string& r : rig.device.requests) say("  request: %s", r.c_str());
                for (const MacAddress& a : lot) say("  bench: %s", adapter::formatUpper(a).c_str());
                say("  last assigned: %s", (rig.lastBoxes()[0] + "-" + rig.lastBoxes()[5]).c_str());
                fail(3, "adapter " + std::to_string(k + 1) + " of the lot holds " + adapter::formatUpper(lot[k]) +
                            ", which is not the lot's or not shipped by the server");
            }
            kills.reach("reported");
            appendSynced(shippedPath, lotText(lot, o.station + "/" + std::to_string(run) + "/" + std::to_string(press)));
            kills.reach("appended");
            bench.run({"unplug", "all"});
            ++lots;
            adaptersShipped += int(lot.size());
        } else if (shown(IDS_LEDGER_NOT_SHIPPED)) {
            appendSynced(asidePath, lotText(onBench, o.station + "/" + std::to_string(run) + "/" + std::to_string(press)));
            bench.run({"unplug", "all"});
        } else if (shown(IDS_LEDGER_NO_ROOM)) {
            ++noRoom;
            if (onBench.size() > 1) {
                appendSynced(asidePath, lotText({onBench.back()}, "fewer/" + std::to_string(press)));
                bench.run({"unplug", std::to_string(onBench.size())});
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        } else if (shown(IDS_LEDGER_UNREACHABLE)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        } else if (shown(IDS_LEDGER_NAME_IN_USE)) {
            fail(1, "another station runs under the name " + o.station);
        }
        if (completeHere || shippedByOthers) {
            say("range complete%s: run %zu, presses %d, lots %d, adapters %d, faults %d, station opened %d times, no room %d",
                completeHere ? " (this station's last lot)" : " (shipped by the others)", run, press, lots,
                adaptersShipped, faults, opens, noRoom);
            return 0;
        }
    }
    fail(2, "the range was not complete after " + std::to_string(o.maxPresses) + " presses");
}
