// random_sessions_test.cpp: thousands of random operator steps at the station (the real dialog logic on the fake view, real record files, the bench), checking after each step that no address is handed out twice.
//
// Steps: presses of Start on lots of random size (now and then 127 adapters, now and then
// more than the range has left), new ranges typed with random start and count, the same
// adapters pressed again or a fresh lot plugged, random bench faults (descriptor and vendor
// read-back, conflicts, failing requests), EpromData.ini held by another program from a
// random change of a press on (its range, lot or completion record refused), random
// answers at the prompts (the re-issue guard's Yes with a login that passes or not), the
// guard now and then switched off, station restarts, and the settings editor's Save and
// Clear of the last address.
// Invariants after every step:
// - the records parse (every address byte two hexadecimal digits, counts decimal);
// - a recorded lot's adapters hold consecutive addresses ending at the recorded last address;
// - a lot continuing a range starts right after the range's last recorded address;
// - the first lot of a new range starts at the range's start address;
// - no address of a recorded lot was handed out before, unless the operator reopened it (a
//   range typed over handed-out addresses, or the editor's Save or Clear during the range)
//   and, in that press, answered the re-issue guard's question Yes and passed the login (or
//   the guard was off): those are counted;
// - every address on a bench adapter that a recorded lot programmed has exactly one
//   `shipped` line in the ledger since its last `reissued` line, and so has every address
//   a recorded lot handed out;
// - a range whose count is reached is complete (both count records empty), unless the
//   completion was refused, which the station then reported;
// - a press whose record was refused reports it with its stop-icon message and never shows
//   "Programmed Successfully" or message 9, and what the station says about the lot agrees
//   with the records.
// A failure prints the seed and the shortest list of its steps found that still fails, with
// what each step did. LT_TRUST_SEED and LT_TRUST_STEPS choose another seed and length (the
// long run, on demand); LT_TRUST_STEP_LIST replays a list; CI runs the fixed budget.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <sstream>

#include "bench/bench_file.h"
#include "common/adapter/mac_address.h"
#include "tests/unit/progstation/station_fixture.h"

using namespace lt;
using namespace lt::test;
using adapter::MacAddress;

namespace {

using Texts = std::array<std::string, 6>;


std::string hex2(unsigned v) {
    char t[3];
    std::snprintf(t, sizeof t, "%02X", v & 0xFF);
    return t;
}

Texts textsOf(uint64_t n) {
    Texts t;
    for (int i = 5; i >= 0; --i, n >>= 8) t[i] = hex2(unsigned(n & 0xFF));
    return t;
}

std::optional<uint64_t> parseRecord(const Texts& t) {
    uint64_t n = 0;
    for (const auto& byte : t) {
        if (byte.size() != 2 || !std::isxdigit(uint8_t(byte[0])) || !std::isxdigit(uint8_t(byte[1]))) return std::nullopt;
        n = n << 8 | std::stoul(byte, nullptr, 16);
    }
    return n;
}

constexpr uint64_t kVendor = 0x001B4E000000ull;
constexpr uint64_t kWindow = 0x2000;  // new ranges start in a small window, so they meet old ones

struct Session : StationTest {
    std::mt19937 random;
    std::vector<std::string> steps;
    std::map<uint64_t, std::size_t> handedOut;  // address -> the step that recorded it
    bool reopened = false;                      // the current range may repeat handed-out addresses
    int repeats = 0;                            // addresses handed out again by the operator's choice
    int recordedLots = 0;
    int adapters = 0;
    std::vector<uint64_t> onBench;  // the bench adapters' addresses, when a recorded lot programmed them
    int guardAsked = 0;

    uint32_t seed;

    explicit Session(uint32_t seed_) : random(seed_), seed(seed_) {
        stationOptions(0, 0, 0);
        installPackage();
    }
    void TestBody() override {}  // the fixture is used as a plain object here

    int pick(int from, int to) { return std::uniform_int_distribution<int>(from, to)(random); }
    bool chance(int percent) { return pick(1, 100) <= percent; }
    void note(const std::string& s) { steps.push_back(s); }

    // Records the first broken invariant; the test reports it with the shortest step list
    // that still breaks it.
    std::string problem;
    std::string failure(const std::string& what) {
        if (problem.empty()) problem = what;
        return what;
    }


    std::optional<uint64_t> recorded(const std::string& section) {
        Texts t = epromAddress(section);
        if (t[0] == "<missing>") return std::nullopt;
        return parseRecord(t);
    }

    // Checks the records parse; returns false (after a test failure) when they do not.
    bool recordsParse() {
        for (const char* section : {"INITIALMACADDR", "PREVIOUSMACADDR", "NEXTMACADDR"}) {
            const Texts t = epromAddress(section);
            const bool absent = t[0] == "<missing>" || t[0].empty();
            if (!absent && !parseRecord(t)) {
                failure(std::string("unreadable ") + section);
                return false;
            }
        }
        for (const char* section : {"INITIALDEVCOUNT", "PREVIOUSDEVCOUNT"}) {
            const std::string c = eprom(section);
            if (c != "<missing>" && c.find_first_not_of("0123456789") != std::string::npos) {
                failure(std::string("unreadable ") + section + " \"" + c + "\"");
                return false;
            }
        }
        return true;
    }

    void restart() {
        view.reset();
        station.reset();
        start();
    }

    // One press with whatever the step chose; returns false when an invariant broke.
    bool press() {
        std::ostringstream step;
        // The adapters: the same ones again (a retry) or a fresh lot.
        if (adapters == 0 || chance(70)) {
            adapters = chance(3) ? 127 : pick(1, 6);
            bench({"create", std::to_string(adapters)});
            onBench.clear();
            step << "fresh lot of " << adapters;
        } else {
            step << "same " << adapters << " adapters";
        }
        bench({"set", "all", "badstring=0", "badvendor=0"});
        bench({"driver", "fail=0", "programfail=0", "openfail=0"});

        // The inputs: as the station restored them, or a range typed anew.
        const uint64_t before = recorded("PREVIOUSMACADDR").value_or(0);
        const std::string countBefore = eprom("PREVIOUSDEVCOUNT");
        const std::string declaredBefore = eprom("INITIALDEVCOUNT");
        uint64_t typedStart = 0;
        int typedCount = 0;
        if (view->text(IDC_DEVICE_COUNT).empty() || chance(15)) {
            const bool sameStart = chance(10) && recorded("INITIALMACADDR");
            typedStart = sameStart ? *recorded("INITIALMACADDR") : kVendor + uint64_t(pick(0, int(kWindow) - 1));
            typedCount = chance(5) ? pick(1, 2) : pick(1, 400);
            setStart(textsOf(typedStart));
            view->setText(IDC_DEVICE_COUNT, std::to_string(typedCount));
            step << ", range typed " << textsOf(typedStart)[3] << textsOf(typedStart)[4] << textsOf(typedStart)[5]
                 << " count " << typedCount;
        }
        // A fault of the bench.
        switch (chance(35) ? pick(1, 6) : 0) {
            case 1: bench({"set", std::to_string(pick(1, adapters)), "badstring=1"}); step << ", bad string"; break;
            case 2: bench({"set", std::to_string(pick(1, adapters)), "badvendor=1"}); step << ", bad vendor"; break;
            case 3: bench({"driver", "programfail=1"}); step << ", programming fails"; break;
            case 4: {
                const int k = pick(1, adapters);
                bench({"driver", "fail=IOCTL_READ_EEPROM:" + std::to_string(k)});
                step << ", read-back " << k << " fails";
                break;
            }
            case 5: bench({"driver", "fail=IOCTL_GET_MAC_ADDRESSES:1"}); step << ", address read fails"; break;
            case 6: {
                // An adapter already holding an address (one handed out, or any of the window).
                uint64_t a = kVendor + uint64_t(pick(0, int(kWindow) - 1));
                if (!handedOut.empty() && chance(50)) {
                    auto it = handedOut.begin();
                    std::advance(it, pick(0, int(handedOut.size()) - 1));
                    a = it->first;
                }
                const Texts t = textsOf(a);
                bench({"set", std::to_string(pick(1, adapters)),
                       "mac=" + t[0] + "-" + t[1] + "-" + t[2] + "-" + t[3] + "-" + t[4] + "-" + t[5]});
                step << ", conflicting address";
                break;
            }
            default: break;
        }
        // The station continues its range when the start boxes hold the recorded start
        // address and the count is above the count programmed so far.
        const uint64_t programmedBefore = std::strtoull(countBefore.c_str(), nullptr, 10);
        const bool continuing = countBefore != "<missing>" && programmedBefore != 0 &&
                                startBoxes() == epromAddress("INITIALMACADDR") &&
                                std::strtoull(view->text(IDC_DEVICE_COUNT).c_str(), nullptr, 10) > programmedBefore;
        // Random answers at the prompts (a prompt not answered takes its default button), the
        // first one the guard's when it asks, and the login that its Yes brings.
        for (int i = 0; i < 2; ++i) {
            const ui::Answer answers[] = {ui::Answer::Abort, ui::Answer::Retry, ui::Answer::Ignore, ui::Answer::Ok,
                                          ui::Answer::Cancel, ui::Answer::Yes, ui::Answer::No};
            view->answerNext(answers[pick(0, 6)]);
        }
        bool loginPassed = false;
        const bool goodPassword = chance(80);
        view->onChild(IDD_LOGIN_STATION, [&](FakeDialog& login) {
            if (!goodPassword) {
                login.click(IDC_LOGIN_EXIT);
                return;
            }
            login.type("tpw731");
            login.pressEnter();
            loginPassed = login.ended();
        });
        const bool guardOff = chance(5);
        if (guardOff) {
            write("EthernetDiagnostic.ini", "LEDGER", "GuardReissue", "0");
            step << ", guard off";
        }
        const std::size_t requestsBefore = device.programRequests.size();
        // The records file held by another program from the press's range record (0), lot
        // record (1) or completion (2) on, released after the press.
        const int heldAfter = chance(10) ? pick(0, 2) : -1;
        if (heldAfter >= 0) {
            profiles.holdAfter(heldAfter);
            step << ", records held after " << heldAfter << " changes";
        }
        view->messages().clear();
        view->setText(IDC_STATUS, "");  // so that the status read below is this press's
        view->click(IDC_START);
        view->session().answers.clear();
        view->session().childScripts.clear();
        if (guardOff) write("EthernetDiagnostic.ini", "LEDGER", "GuardReissue", "1");
        bool guardYes = false;
        for (const auto& m : view->messages()) {
            if (!fitsPattern(m.text, text(IDS_LEDGER_GUARD))) continue;
            ++guardAsked;
            guardYes = m.answer == ui::Answer::Yes && loginPassed;
            step << (guardYes ? ", guard: yes" : ", guard: refused");
        }
        const int refused = profiles.hold ? profiles.hold->refused : 0;
        profiles.hold.reset();
        step << " -> " << (view->ended() ? "closed" : view->text(IDC_STATUS).substr(0, 40));
        note(step.str());

        if (device.live != 0) {
            failure("a handle was left open");
            return false;
        }
        if (!recordsParse()) return false;

        // A refused record is reported, never shown as a success. (A station that closed may
        // have had only its Exit's write refused.)
        bool refusalReported = false, successShown = view->text(IDC_STATUS) == text(IDS_LOT_PROGRAMMED);
        for (const auto& m : view->messages()) {
            for (uint32_t id : {IDS_RANGE_NOT_RECORDED, IDS_LOT_NOT_RECORDED, IDS_END_NOT_RECORDED})
                refusalReported |= m.icon == ui::Icon::Stop && fitsPattern(m.text, text(id));
            successShown |= m.text == text(IDS_RANGE_COMPLETE);
        }
        if (refused > 0 && !view->ended() && !refusalReported) {
            failure("a refused record was not reported");
            return false;
        }
        if (refused == 0 && refusalReported) {
            failure("a record was reported refused that was written");
            return false;
        }

        // Was a lot recorded?
        const uint64_t after = recorded("PREVIOUSMACADDR").value_or(0);
        // (A new range empties the count so far when it is recorded: that is no lot.)
        const std::string countAfter = eprom("PREVIOUSDEVCOUNT");
        const bool lotRecorded = after != before || (countAfter != countBefore && !countAfter.empty());
        // A lot that reached the programming request and was not recorded left the bench's
        // adapters with addresses of no recorded lot.
        if (!lotRecorded && device.programRequests.size() != requestsBefore) onBench.clear();
        bool endRefused = false;
        for (const auto& m : view->messages()) endRefused |= fitsPattern(m.text, text(IDS_END_NOT_RECORDED));
        if (successShown != lotRecorded && !endRefused && !view->ended()) {
            failure(lotRecorded ? "a lot was recorded without the station saying so"
                                : "the station showed a lot as programmed that was not recorded");
            return false;
        }
        if (!lotRecorded) return true;

        const std::vector<MacAddress> lot = benchAddresses();
        ++recordedLots;
        if (!continuing) {
            // A new range starts at its start address, and reopens addresses when it covers
            // any handed out already (the operator typed it so).
            const auto start = recorded("INITIALMACADDR");
            if (!start || addressNumber(lot.front()) != *start) {
                failure("the first lot of a new range does not start at the range's start");
                return false;
            }
            const std::string declared = eprom("INITIALDEVCOUNT");
            const uint64_t count = std::max<uint64_t>(lot.size(), std::strtoull(declared.c_str(), nullptr, 10));
            auto it = handedOut.lower_bound(*start);
            reopened = it != handedOut.end() && it->first < *start + count;
        }
        for (std::size_t i = 0; i < lot.size(); ++i) {
            if (addressNumber(lot[i]) != after - (lot.size() - 1 - i)) {
                failure("adapter " + std::to_string(i + 1) +
                                         " does not hold the address the records say");
                return false;
            }
        }
        // A continued range goes on right after its last address (unless the editor moved it).
        if (continuing && !reopened && addressNumber(lot.front()) != before + 1) {
            failure("the lot starting at " + textsOf(addressNumber(lot.front()))[5] + " (" +
                                     std::to_string(lot.size()) + " adapters) does not continue its range after " +
                                     textsOf(before)[4] + textsOf(before)[5] + " (count " + countBefore + ")");
            return false;
        }
        onBench.clear();
        for (const MacAddress& a : lot) {
            onBench.push_back(addressNumber(a));
            const auto [it, fresh] = handedOut.emplace(addressNumber(a), steps.size());
            if (fresh) continue;
            if (!reopened) {
                failure("address " + std::to_string(addressNumber(a) - kVendor) +
                                         " handed out again (first at step " + std::to_string(it->second) + ")");
                return false;
            }
            if (!guardYes && !guardOff) {
                failure("address " + std::to_string(addressNumber(a) - kVendor) +
                        " handed out again without the guard's question answered Yes (first at step " +
                        std::to_string(it->second) + ")");
                return false;
            }
            ++repeats;
            it->second = steps.size();
        }
        // The range completes when its count is reached.
        const std::string declared = eprom("INITIALDEVCOUNT");
        const std::string cumulative = eprom("PREVIOUSDEVCOUNT");
        if (!declared.empty() && declared != "<missing>" && declared == cumulative && !endRefused) {
            failure("the range reached its count without completing");
            return false;
        }
        (void)declaredBefore;
        return true;
    }

    // The settings editor's Save of a last address, or its Clear.
    void editor() {
        if (chance(50)) {
            const Texts t = textsOf(kVendor + uint64_t(pick(0, int(kWindow) - 1)));
            for (int i = 0; i < 6; ++i) write("EpromData.ini", "PREVIOUSMACADDR", "BYTE" + std::to_string(i + 1), t[i]);
            note("editor: last address saved as " + t[3] + t[4] + t[5]);
        } else {
            for (int i = 0; i < 6; ++i) write("EpromData.ini", "PREVIOUSMACADDR", "BYTE" + std::to_string(i + 1), "");
            note("editor: last address cleared");
        }
        reopened = true;
    }

    // The ledger holds exactly one `shipped` line since the last `reissued` one for every
    // address a recorded lot handed out (the bench's among them).
    bool ledgerAgrees() {
        const std::map<uint64_t, int> shipped = shippedSinceReissue();
        for (const auto& [address, step] : handedOut) {
            const auto found = shipped.find(address);
            const int lines = found == shipped.end() ? 0 : found->second;
            if (lines != 1) {
                const bool onTheBench = std::find(onBench.begin(), onBench.end(), address) != onBench.end();
                failure("address " + std::to_string(address - kVendor) + (onTheBench ? " (on the bench)" : "") +
                        " recorded at step " + std::to_string(step) + " has " + std::to_string(lines) +
                        " shipped lines since its last reissued one");
                return false;
            }
        }
        return true;
    }

    // Step `index` of the seed's session. Each step draws from its own generator, so a
    // list of step indices replays the same steps with others left out.
    bool step(uint32_t index) { return act(index) && ledgerAgrees(); }

    bool act(uint32_t index) {
        random.seed(seed ^ (index * 0x9E3779B9u + 0x7F4A7C15u));
        if (!view || view->ended()) {
            restart();
            note("station started");
            return true;
        }
        const int what = pick(1, 100);
        if (what <= 8) {
            restart();
            note("station restarted");
            return true;
        }
        if (what <= 12) {
            view->click(IDC_EXIT);
            editor();
            return true;
        }
        return press();
    }
};

uint32_t fromEnvironment(const char* name, uint32_t fallback) {
    const char* v = std::getenv(name);
    return v ? uint32_t(std::strtoul(v, nullptr, 10)) : fallback;
}

// Runs the steps `indices` of the seed's session on a fresh station; the broken invariant,
// or "" when every step kept them. `log` receives what each step did.
std::string replay(uint32_t seed, const std::vector<uint32_t>& indices, std::vector<std::string>* log = nullptr) {
    Session s(seed);
    for (uint32_t index : indices) {
        const std::size_t before = s.steps.size();
        const bool ok = s.step(index);
        if (log)
            for (std::size_t i = before; i < s.steps.size(); ++i)
                log->push_back("step " + std::to_string(index) + ": " + s.steps[i]);
        if (!ok) return s.problem.empty() ? "an invariant broke" : s.problem;
    }
    return {};
}

// The failing step list made as short as a bounded search finds: chunks of steps are left
// out, halving the chunk size, as long as the list still breaks an invariant.
std::vector<uint32_t> shorten(uint32_t seed, std::vector<uint32_t> failing) {
    const auto begin = std::chrono::steady_clock::now();
    auto timeLeft = [&] { return std::chrono::steady_clock::now() - begin < std::chrono::seconds(300); };
    for (std::size_t chunk = failing.size() / 2; chunk >= 1 && timeLeft(); chunk /= 2) {
        for (std::size_t at = 0; at + 1 < failing.size() && timeLeft();) {
            std::vector<uint32_t> candidate(failing.begin(), failing.begin() + std::ptrdiff_t(at));
            const std::size_t end = std::min(at + chunk, failing.size() - 1);  // the failing step stays
            candidate.insert(candidate.end(), failing.begin() + std::ptrdiff_t(end), failing.end());
            if (candidate.size() < failing.size() && !replay(seed, candidate).empty())
                failing = std::move(candidate);
            else
                at += chunk;
        }
    }
    return failing;
}

std::vector<uint32_t> stepList(const char* text) {
    std::vector<uint32_t> list;
    std::istringstream in(text);
    for (std::string item; std::getline(in, item, ',');) list.push_back(uint32_t(std::strtoul(item.c_str(), nullptr, 10)));
    return list;
}

}  // namespace

// LT_TRUST_SEED and LT_TRUST_STEPS choose a seed and a length; LT_TRUST_STEP_LIST="3,17,42"
// replays only those steps of the seed (as a failure prints them).
TEST(StationTrust, randomOperatorSessionsNeverHandOutAnAddressTwiceUnlessTheOperatorReopensIt) {
    const uint32_t seed = fromEnvironment("LT_TRUST_SEED", 20261210);
    const uint32_t budget = fromEnvironment("LT_TRUST_STEPS", 500);
    std::vector<uint32_t> indices;
    if (const char* list = std::getenv("LT_TRUST_STEP_LIST"))
        indices = stepList(list);
    else
        for (uint32_t i = 0; i < budget; ++i) indices.push_back(i);

    Session s(seed);
    std::cout << "seed " << seed << ", " << indices.size() << " steps\n";
    std::vector<uint32_t> failing;
    for (uint32_t index : indices) {
        failing.push_back(index);
        if (!s.step(index)) break;
    }
    std::cout << s.recordedLots << " lots recorded, " << s.handedOut.size() << " addresses handed out, "
              << s.repeats << " handed out again by the operator's choice, the guard asked " << s.guardAsked
              << " times\n";
    if (!s.problem.empty()) {
        const std::vector<uint32_t> shortest = shorten(seed, failing);
        std::vector<std::string> log;
        const std::string problem = replay(seed, shortest, &log);
        std::ostringstream out;
        out << "seed " << seed << ": " << s.problem << " (at step " << failing.back() << " of the full run)\n"
            << "shortest step list found (" << shortest.size() << " of " << failing.size() << " steps): "
            << (problem.empty() ? "does not fail again" : problem) << "\n  LT_TRUST_SEED=" << seed
            << " LT_TRUST_STEP_LIST=";
        for (std::size_t i = 0; i < shortest.size(); ++i) out << (i ? "," : "") << shortest[i];
        out << "\n";
        for (const std::string& line : log) out << "  " << line << "\n";
        ADD_FAILURE() << out.str();
        return;
    }
    EXPECT_GT(s.recordedLots, 0);
}
