// shared_station.cpp: one operator's action on a training station that runs already in this Wine prefix and draws its lots from a ledger server, checked against the station's window, its bench and the server (tests/wine/progstation/shared_stations_e2e.sh runs it in each station's prefix).
//
// Usage:
//   shared-station schema NAME
//       makes the schema NAME afresh on the test server (LT_TEST_DATABASE) and prints the
//       connection string whose sessions work in it
//   shared-station bench BENCH ARGUMENT...
//       one benchctl command on the bench file
//   shared-station open
//       answers the station's start-up recommendation and waits for its window
//   shared-station press BENCH CARTON CONNECTION STATION START COUNT ADAPTERS EXPECT
//       attaches ADAPTERS fresh adapters, types the range (START as 00-1B-4E-7A-01-00 and
//       COUNT), presses Start, answers the message boxes and checks the outcome against
//       EXPECT: programmed, complete (the range-complete box), shipped (the ledger's "range
//       shipped" stop) or unreachable (the ledger's "server cannot be reached" stop). A lot
//       programmed must hold the addresses that the server issued to STATION's latest lot;
//       its adapters then go into CARTON (one address a line), as off the bench to the line.
//   shared-station verify CONNECTION START COUNT CARTON...
//       every address of the range in exactly one carton, and the server's shipped
//       addresses the same
//   shared-station exit
//       closes the station with Exit and waits for it to end
// Each action prints what it saw; a check that fails prints "FAILED: ..." and the exit code is 1.
// With LT_SHARED_STATION_PICTURES naming a folder, press also saves there a picture of each
// message box before answering it and of the window after the press (BMP files, named after
// the station and the time).
#include "bench/bench_control.h"
#include "bench/bench_file.h"
#include "bench/bench_model.h"
#include "common/adapter/mac_address.h"
#include "resources/progstation_ids.h"
#include "tests/database/test_database.h"
#include "tests/fakes/rc_file.h"
#include "tests/wine/support/driver.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using namespace lt::wine;

namespace {

constexpr const char* kCaption = "USB-Ethernet Diagnostics & EEPROM Programming Utility";
constexpr const char* kProgram = "ProgStation";  // the caption of the station's message boxes
constexpr DWORD kOpenWait = 60000;                // a first window of a prefix, under load
constexpr DWORD kPressWait = 60000;

int failures = 0;

void say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}
void check(bool ok, const std::string& what) {
    if (ok) return;
    say("FAILED: " + what);
    ++failures;
}
template <typename T>
void checkEqual(const T& seen, const T& expected, const std::string& what);
template <>
void checkEqual(const std::string& seen, const std::string& expected, const std::string& what) {
    check(seen == expected, what + ": \"" + seen + "\", expected \"" + expected + "\"");
}
std::string joined(const std::vector<std::string>& items) {
    std::string out;
    for (const auto& i : items) {
        if (!out.empty()) out += ' ';
        out += i;
    }
    return out;
}
template <>
void checkEqual(const std::vector<std::string>& seen, const std::vector<std::string>& expected,
                const std::string& what) {
    check(seen == expected, what + ": [" + joined(seen) + "], expected [" + joined(expected) + "]");
}

// A picture of the window when LT_SHARED_STATION_PICTURES names a folder.
void picture(HWND window, const std::string& station, const std::string& what) {
    char folder[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("LT_SHARED_STATION_PICTURES", folder, sizeof folder)) return;
    const std::string path =
        windowsPath(folder) + "\\" + station + "-" + std::to_string(GetTickCount()) + "-" + what + ".bmp";
    if (!saveWindowPicture(window, path, 300)) say("no picture " + path);
}

std::string text(uint32_t id) { return lt::test::RcStrings(lt::test::programResources("progstation.rc")).text(id); }

// True when `message` is `pattern` with each "%s" filled in by some text.
bool fitsPattern(const std::string& message, const std::string& pattern) {
    std::vector<std::string> pieces;
    std::size_t from = 0;
    for (std::size_t at; (at = pattern.find("%s", from)) != std::string::npos; from = at + 2)
        pieces.push_back(pattern.substr(from, at - from));
    pieces.push_back(pattern.substr(from));
    if (!message.starts_with(pieces.front()) || !message.ends_with(pieces.back())) return false;
    std::size_t at = pieces.front().size();
    for (std::size_t i = 1; i + 1 < pieces.size(); ++i) {
        at = message.find(pieces[i], at);
        if (at == std::string::npos) return false;
        at += pieces[i].size();
    }
    return at + pieces.back().size() <= message.size();
}

bool parseAddress(const std::string& text, lt::adapter::MacAddress& address) {
    unsigned b[6];
    if (std::sscanf(text.c_str(), "%2x-%2x-%2x-%2x-%2x-%2x", &b[0], &b[1], &b[2], &b[3], &b[4], &b[5]) != 6)
        return false;
    for (int i = 0; i < 6; ++i) address[i] = uint8_t(b[i]);
    return true;
}

std::vector<std::string> rangeAddresses(const lt::adapter::MacAddress& start, uint32_t count) {
    std::vector<std::string> out;
    for (uint32_t k = 0; k < count; ++k) out.push_back(lt::adapter::formatUpper(lt::adapter::stepAddress(start, k)));
    return out;
}

// ---- The bench.

bool benchctl(const std::string& bench, std::vector<std::string> command) {
    command.insert(command.begin(), bench);
    std::ostringstream out, err;
    const int status = lt::bench::runBenchctl(command, out, err);
    if (status != lt::bench::kBenchctlOk) say("FAILED: benchctl " + command[1] + ": " + err.str());
    return status == lt::bench::kBenchctlOk;
}

std::vector<std::string> benchAddresses(const std::string& bench) {
    lt::bench::Bench b;
    std::string problem;
    std::vector<std::string> out;
    if (lt::bench::readBenchFile(bench, b, problem) != lt::bench::BenchFileStatus::ok) {
        check(false, "the bench " + bench + " cannot be read: " + problem);
        return out;
    }
    for (const auto& a : b.adapters) out.push_back(lt::adapter::formatUpper(lt::bench::adapterAddress(a)));
    return out;
}

// ---- The server.

std::vector<std::string> column(const std::string& connection, const std::string& sql) {
    const lt::test::SqlResult r = lt::test::runSql(connection, sql, 1);
    check(r.result.ok, "the server: " + r.result.describe() + " in " + sql);
    std::vector<std::string> out;
    for (const auto& row : r.rows) out.push_back(row[0]);
    return out;
}

std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("''") : std::string(1, c);
    return out + "'";
}

// The addresses of `event` lines of the station's latest lot, device 1 first.
std::vector<std::string> latestLot(const std::string& connection, const std::string& station,
                                   const std::string& event) {
    const std::string who = "station = " + quoted(station);
    return column(connection, "SELECT mac FROM ledger_events WHERE " + who + " AND event = " + quoted(event) +
                                  " AND lot = (SELECT max(lot) FROM ledger_events WHERE " + who +
                                  " AND event = 'issued') ORDER BY device");
}

// ---- The station's window.

std::unique_ptr<Program> station(Dialog& main) {
    auto program = Program::attach(kCaption, kOpenWait);
    if (!program) {
        say("FAILED: no station window in this prefix");
        return nullptr;
    }
    if (auto found = program->waitForDialog(kCaption)) {
        main = *found;
        return program;
    }
    say("FAILED: the station's window went");
    return nullptr;
}

// The six address boxes from `first` as one address text.
std::string boxes(const Dialog& main, int first) {
    std::string out;
    for (int i = 0; i < 6; ++i) {
        if (i) out += '-';
        out += main.text(first + i);
    }
    return out;
}
std::string lastAssigned(const Dialog& main) { return boxes(main, IDC_LAST_BYTE1); }

int open() {
    auto program = Program::attach(kProgram, kOpenWait);
    if (!program) {
        say("FAILED: the station showed no start-up recommendation");
        return 1;
    }
    if (auto box = program->waitForMessageBox()) {
        checkEqual(box->text, text(IDS_RECOMMENDED_SYSTEM), "the start-up message");
        answer(*box, IDOK);
    }
    auto main = program->waitForDialog(kCaption, kOpenWait);
    if (!main) {
        say("FAILED: the station's window did not open");
        return 1;
    }
    say("counters: " + main->text(IDC_LEDGER_COUNTERS));
    if (auto box = program->messageBox()) check(false, "a message at the start: " + box->text);
    return failures ? 1 : 0;
}

struct Press {
    std::string bench, carton, connection, stationName;
    lt::adapter::MacAddress start{};
    uint32_t count = 0, adapters = 0;
    std::string expect;
};

int press(const Press& p) {
    Dialog main;
    auto program = station(main);
    if (!program) return 1;
    if (!benchctl(p.bench, {"create", std::to_string(p.adapters)})) return 1;
    const std::vector<std::string> fresh = benchAddresses(p.bench);
    const std::string recordsBefore = readFile(sharedFile("EpromData.ini")).value_or("");
    const std::string captionBefore = main.text(IDC_START);

    for (int i = 0; i < 6; ++i) {
        char byte[3];
        std::snprintf(byte, sizeof byte, "%02X", p.start[i]);
        main.setText(IDC_START_BYTE1 + i, byte);
    }
    main.setText(IDC_DEVICE_COUNT, std::to_string(p.count));
    const DWORD pressed = GetTickCount();
    main.click(IDC_START);

    // The press ends idle (Start enabled, status set); its message boxes come on the way.
    std::vector<std::string> messages;
    const bool ended = waitUntil(
        [&] {
            if (auto box = program->messageBox()) {
                messages.push_back(box->text);
                picture(box->hwnd, p.stationName, "message");
                answer(*box, box->buttons.empty() ? IDOK : box->buttons.front());
                return false;
            }
            return main.enabled(IDC_START) && !main.text(IDC_STATUS).empty() &&
                   main.text(IDC_STATUS) != text(IDS_PROGRAMMING) && !program->messageBox();
        },
        kPressWait);
    const DWORD took = GetTickCount() - pressed;
    picture(main.hwnd(), p.stationName, p.expect);
    check(ended, "the press did not end; status \"" + main.text(IDC_STATUS) + "\"");
    const std::vector<std::string> lot = benchAddresses(p.bench);
    for (const auto& m : messages) say("message: " + m);
    say("status: " + main.text(IDC_STATUS));
    say("inputs: start address " + boxes(main, IDC_START_BYTE1) + ", device count " + main.text(IDC_DEVICE_COUNT));
    say("button: " + main.text(IDC_START) + ", last assigned " + lastAssigned(main) + ", last device count " +
        main.text(IDC_LAST_COUNT));
    say("counters: " + main.text(IDC_LEDGER_COUNTERS));
    say("bench: " + joined(lot));
    std::printf("[ figure   ] %s, %u adapters, %s: the press took %lu ms\n", p.stationName.c_str(), p.adapters,
                p.expect.c_str(), static_cast<unsigned long>(took));

    // The station keeps its lots on the server only, never in a ledger file of its own.
    check(!fileExists(sharedFile("AddressLedger.csv")), "the station wrote " + sharedFile("AddressLedger.csv"));
    const std::string records = readFile(sharedFile("EpromData.ini")).value_or("");
    const std::string declared = profileString(sharedFile("EpromData.ini"), "INITIALDEVCOUNT", "COUNT");
    if (p.expect == "programmed" || p.expect == "complete") {
        check(messages.size() == (p.expect == "complete" ? 1u : 0u), "messages: " + joined(messages));
        if (p.expect == "complete" && !messages.empty())
            checkEqual(messages.front(), text(IDS_RANGE_COMPLETE), "the range-complete message");
        // Where the server placed the lot: its issued lines, and they are shipped.
        checkEqual(lot, latestLot(p.connection, p.stationName, "issued"), "the lot against the server's issue");
        checkEqual(lot, latestLot(p.connection, p.stationName, "shipped"), "the lot against the server's shipped");
        check(lot.size() == p.adapters && lot != fresh, "the adapters were not programmed");
        if (!lot.empty()) {
            std::string last = lot.back();
            std::transform(last.begin(), last.end(), last.begin(), [](char c) { return char(std::tolower(c)); });
            checkEqual(lastAssigned(main), last, "the last address assigned");
        }
        checkEqual(main.text(IDC_START), std::string(p.expect == "complete" ? "&Start" : "&Next"), "Start's caption");
        if (p.expect == "complete") checkEqual(declared, std::string(""), "the declared count after the range");
        std::ofstream carton(p.carton, std::ios::app);
        for (const auto& a : lot) carton << a << "\n";
    } else {
        const uint32_t id = p.expect == "shipped" ? IDS_LEDGER_RANGE_SHIPPED : IDS_LEDGER_UNREACHABLE;
        check(messages.size() == 1 && fitsPattern(messages.front(), text(id)),
              "expected one message of the pattern \"" + text(id) + "\", had: " + joined(messages));
        for (const auto& m : messages)
            check(m.find("Pwd=lt_test") == std::string::npos, "the server's password in a message: " + m);
        checkEqual(lot, fresh, "the bench after a refused press");
        if (p.expect == "shipped") {
            checkEqual(main.text(IDC_START), std::string("&Start"), "Start's caption");
            checkEqual(declared, std::string(""), "the declared count after the range");
        } else {
            checkEqual(main.text(IDC_START), captionBefore, "Start's caption");
            check(records == recordsBefore, "EpromData.ini changed: " + records);
        }
    }
    return failures ? 1 : 0;
}

int verify(const std::string& connection, const lt::adapter::MacAddress& start, uint32_t count,
           const std::vector<std::string>& cartons) {
    std::map<std::string, std::vector<std::string>> where;  // address -> the cartons it is in
    std::vector<std::string> all;
    for (const auto& carton : cartons) {
        std::ifstream in(carton);
        for (std::string line; std::getline(in, line);) {
            if (line.empty()) continue;
            where[line].push_back(carton);
            all.push_back(line);
        }
    }
    const std::vector<std::string> range = rangeAddresses(start, count);
    for (const auto& a : range)
        check(where[a].size() == 1, a + " is in " + std::to_string(where[a].size()) + " cartons: " + joined(where[a]));
    std::sort(all.begin(), all.end());
    checkEqual(all, range, "the adapters of both stations");
    checkEqual(column(connection, "SELECT ledger_mac_text(mac) FROM ledger_addresses WHERE state = 'shipped' "
                                  "ORDER BY mac"),
               range, "the server's shipped addresses");
    checkEqual(column(connection, "SELECT ledger_mac_text(mac) FROM ledger_addresses WHERE state <> 'shipped' "
                                  "ORDER BY mac"),
               std::vector<std::string>{}, "addresses left reserved or held");
    say("cartons: " + std::to_string(all.size()) + " adapters, each address of the range once");
    return failures ? 1 : 0;
}

int exitStation() {
    Dialog main;
    auto program = station(main);
    if (!program) return 1;
    main.click(IDC_EXIT);
    check(program->waitForExit(kPressWait).has_value(), "the station did not end");
    return failures ? 1 : 0;
}

int usage() {
    std::fprintf(stderr, "usage: shared-station schema NAME | bench BENCH ARG... | open | press BENCH CARTON "
                         "CONNECTION STATION START COUNT ADAPTERS EXPECT | verify CONNECTION START COUNT CARTON... "
                         "| exit\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return usage();
    const std::string& action = args[0];
    if (action == "schema" && args.size() == 2) {
        std::string why;
        const std::string connection = lt::test::freshSchema(args[1], why);
        if (connection.empty()) {
            say("FAILED: " + why);
            return 1;
        }
        say(connection);
        return 0;
    }
    if (action == "bench" && args.size() >= 3) return benchctl(args[1], {args.begin() + 2, args.end()}) ? 0 : 1;
    if (action == "open" && args.size() == 1) return open();
    if (action == "exit" && args.size() == 1) return exitStation();
    if (action == "press" && args.size() == 9) {
        Press p{args[1], args[2], args[3], args[4], {}, 0, 0, args[8]};
        const char* outcomes[] = {"programmed", "complete", "shipped", "unreachable"};
        if (!parseAddress(args[5], p.start) ||
            std::find(std::begin(outcomes), std::end(outcomes), p.expect) == std::end(outcomes))
            return usage();
        p.count = uint32_t(std::stoul(args[6]));
        p.adapters = uint32_t(std::stoul(args[7]));
        return press(p);
    }
    if (action == "verify" && args.size() >= 5) {
        lt::adapter::MacAddress start{};
        if (!parseAddress(args[2], start)) return usage();
        return verify(args[1], start, uint32_t(std::stoul(args[3])), {args.begin() + 4, args.end()});
    }
    return usage();
}
