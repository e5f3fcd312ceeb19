// press_ledger.cpp: the ledger's start-up recovery, guard, issue, ship and void of a press, their messages, and the counters text.
#include "progstation/press_ledger.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "common/settings/value_forms.h"
#include "progstation/ledger/ledger_lines.h"
#include "resources/progstation_ids.h"

namespace lt::progstation {
namespace {

namespace keys = settings::keys;

std::string number(uint64_t n) { return std::to_string(n); }

}  // namespace

std::string stationLedgerPath(platform::SystemPaths& system) {
    const std::string name(ledger::kLedgerFileName);
    const auto windows = system.windowsDirectory();
    return windows ? *windows + "\\" + name : name;
}

std::string stationName(settings::SettingsStore& store, platform::ComputerName& computer) {
    std::string name = store.readText(keys::StationName, settings::Reader::ProgStation);
    if (name.empty()) name = computer.name();
    return name.empty() ? std::string("station") : name;
}

std::string ledgerConnection(settings::SettingsStore& store) {
    return settings::trimBlanks(store.readText(keys::LedgerConnection, settings::Reader::ProgStation));
}

std::string ledgerServerName(std::string_view connection) {
    // Attributes are "KEY=value" separated by ';'; a value may be braced ("{a;b}").
    std::string out;
    std::size_t i = 0;
    while (i < connection.size()) {
        const std::size_t eq = connection.find('=', i);
        if (eq == std::string_view::npos) {
            out += connection.substr(i);
            break;
        }
        std::string key(connection.substr(i, eq - i));
        std::size_t end = eq + 1;
        if (end < connection.size() && connection[end] == '{') {
            const std::size_t close = connection.find('}', end);
            end = close == std::string_view::npos ? connection.size() : close + 1;
        }
        end = std::min(connection.find(';', end), connection.size());
        std::string upper;
        for (char c : key)
            if (c != ' ') upper += char(std::toupper(static_cast<unsigned char>(c)));
        out += key + "=";
        out += (upper == "PWD" || upper == "PASSWORD") ? std::string("***") : std::string(connection.substr(eq + 1, end - eq - 1));
        if (end < connection.size()) out += ';';
        i = end + 1;
    }
    return out;
}

std::string diagnosticsDetail(bool launched, std::optional<uint32_t> exitCode) {
    if (!launched) return "diagnostics not run";
    if (!exitCode) return "diagnostics result unknown";
    return "diagnostics " + std::to_string(*exitCode);
}

std::string PressLedger::systemText(uint32_t error) {
    std::string text = errors_.text(error);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
    if (!text.empty()) return text;
    char code[16];
    std::snprintf(code, sizeof code, "(0x%08x)", unsigned(error));
    return code;
}

// "line 17: unknown event ..." for a damaged ledger; the reason and the system's text otherwise.
std::string PressLedger::problemText(const ledger::LedgerProblem& problem) {
    std::string text = problem.reason;
    if (problem.status == ledger::LedgerStatus::Damaged && problem.line != 0)
        text = "line " + number(problem.line) + ": " + text;
    if (problem.systemError != 0) text += (text.empty() ? "" : ": ") + systemText(problem.systemError);
    return text;
}

void PressLedger::reportDamaged(const ledger::LedgerProblem& problem) {
    uint32_t text = IDS_LEDGER_DAMAGED;
    if (problem.status == ledger::LedgerStatus::Unreachable) text = IDS_LEDGER_UNREACHABLE;
    if (problem.status == ledger::LedgerStatus::NameInUse) {
        text = IDS_LEDGER_NAME_IN_USE;
        nameTaken_ = problem;
    }
    view_.messageBox(ui::fillIn(strings_.text(text), {where_, problemText(problem)}), ui::Icon::Stop,
                     ui::Buttons::Ok);
}

// Why issue() refused the press, each problem with its message. A ledger that cannot be read
// or reached is opened again at the next press; a name taken by another station is not
// (see ready()).
void PressLedger::reportRefusal(const ledger::LedgerProblem& problem) {
    uint32_t text = IDS_LEDGER_NOT_WRITTEN;
    switch (problem.status) {
    case ledger::LedgerStatus::Damaged:
    case ledger::LedgerStatus::Unreadable:
    case ledger::LedgerStatus::Unreachable:
    case ledger::LedgerStatus::NameInUse:
    case ledger::LedgerStatus::NotOpen:
        open_ = false;
        reportDamaged(problem);
        return;
    case ledger::LedgerStatus::NoRoom: text = IDS_LEDGER_NO_ROOM; break;
    case ledger::LedgerStatus::RangeComplete: text = IDS_LEDGER_RANGE_SHIPPED; break;
    default: break;
    }
    view_.messageBox(ui::fillIn(strings_.text(text), {where_, problemText(problem)}), ui::Icon::Stop, ui::Buttons::Ok);
}

// A lot whose records the station wrote before it was stopped lost only its shipped lines:
// the recorded last address is one of its addresses. Its adapters up to that address are
// shipped (serial not read); true when the lot was so closed. A last address that the
// editor set can make a lot that was not recorded look recorded: its addresses are then
// guarded, the safe side.
bool PressLedger::shipRecorded(const ledger::InterruptedLot& lot) {
    // A shared ledger is shipped before the station's records are written: a lot it holds
    // open was never recorded.
    if (ledger_.placesLots()) return false;
    if (!store_.lastAddressRecorded(settings::Reader::ProgStation)) return false;
    const adapter::MacAddress recorded = store_.readAddress(settings::AddressRecord::Previous,
                                                            settings::Reader::ProgStation);
    std::vector<ledger::ShippedAdapter> shipped;
    for (uint32_t k = 0; k < lot.adapters; ++k) {
        shipped.push_back({lot.firstDevice + k, adapter::stepAddress(lot.first, k), std::string()});
        if (shipped.back().mac == recorded) return ledger_.ship(lot.lot, shipped).ok();
    }
    return false;
}

// The lots the station was stopped in: the recorded one shipped, the others in one message,
// then closed with void lines.
void PressLedger::showInterrupted(const std::vector<ledger::InterruptedLot>& lots) {
    std::vector<ledger::InterruptedLot> unrecorded;
    for (const ledger::InterruptedLot& lot : lots)
        if (!shipRecorded(lot)) unrecorded.push_back(lot);
    if (!unrecorded.empty()) {
        uint64_t adapters = 0;
        for (const ledger::InterruptedLot& lot : unrecorded) adapters += lot.adapters;
        view_.messageBox(ui::fillIn(strings_.text(IDS_LEDGER_INTERRUPTED),
                                    {number(adapters), adapter::formatUpper(unrecorded.front().first),
                                     adapter::formatUpper(unrecorded.back().last)}),
                         ui::Icon::Exclamation, ui::Buttons::Ok);
    }
    // Should these lines not be written, the next start shows the same lots again.
    if (!lots.empty()) ledger_.closeInterrupted();
}

void PressLedger::start() {
    const ledger::OpenResult opened = ledger_.open();
    open_ = opened.ok();
    if (!open_) {
        reportDamaged(opened.problem);
        return;
    }
    showInterrupted(opened.interrupted);
}

bool PressLedger::ready() {
    // Another station works under this station's name: opening the ledger again would take
    // the name back from it, and the two would refuse each other's presses in turn. Every
    // press is refused until the station is started again (under a name of its own).
    if (nameTaken_) {
        reportDamaged(*nameTaken_);
        return false;
    }
    if (open_) return true;
    start();
    return open_;
}

bool PressLedger::loginPassed() { return login::runLogin(view_, login_).passed(); }

GuardDecision PressLedger::guard(std::span<const adapter::MacAddress> addresses) {
    GuardDecision decision;
    const ledger::GuardHit hit = ledger_.shippedAmong(addresses);
    if (!hit.problem.ok()) {
        open_ = false;  // read again at the next press
        reportDamaged(hit.problem);
        return decision;
    }
    decision.go = true;
    if (hit.count == 0) return decision;

    for (const adapter::MacAddress& a : addresses)
        if (ledger_.shippedAmong(std::span(&a, 1)).count != 0) decision.again.push_back(a);
    if (store_.readNumber(keys::GuardReissue, settings::Reader::ProgStation) == 0) {
        decision.detail = "guard off";
        return decision;
    }
    const std::string question =
        ui::fillIn(strings_.text(IDS_LEDGER_GUARD), {number(hit.count), adapter::formatUpper(hit.first),
                                                      ledger::formatTime(hit.shippedAt), hit.station});
    decision.go = view_.messageBox(question, ui::Icon::Exclamation, ui::Buttons::YesNoDefaultNo) == ui::Answer::Yes &&
                  loginPassed();
    decision.detail = "operator login";
    if (!decision.go) decision.again.clear();
    return decision;
}

ledger::IssueResult PressLedger::issue(const ledger::LotPlan& plan) {
    const ledger::IssueResult issued = ledger_.issue(plan);
    if (!issued.problem.ok()) reportRefusal(issued.problem);
    return issued;
}

bool PressLedger::placedLotClear(std::span<const adapter::MacAddress> addresses) {
    const ledger::GuardHit hit = ledger_.shippedAmong(addresses);
    if (!hit.problem.ok()) {
        reportRefusal(hit.problem);
        return false;
    }
    if (hit.count == 0) return true;
    const std::string what = number(hit.count) + " of them, the first " + adapter::formatUpper(hit.first) +
                             " shipped on " + ledger::formatTime(hit.shippedAt) + " by station " + hit.station;
    view_.messageBox(ui::fillIn(strings_.text(IDS_LEDGER_PLACED_SHIPPED), {where_, what}), ui::Icon::Stop,
                     ui::Buttons::Ok);
    return false;
}

bool PressLedger::ship(uint64_t lot, std::span<const ledger::ShippedAdapter> adapters,
                       const adapter::MacAddress& first, const adapter::MacAddress& last) {
    const ledger::LedgerProblem problem = ledger_.ship(lot, adapters);
    if (problem.ok()) return true;
    const uint32_t text = ledger_.placesLots() ? IDS_LEDGER_NOT_SHIPPED : IDS_LEDGER_SHIP_NOT_WRITTEN;
    view_.messageBox(ui::fillIn(strings_.text(text),
                                {adapter::formatLower(first), adapter::formatLower(last), where_, problemText(problem)}),
                     ui::Icon::Stop, ui::Buttons::Ok);
    return false;
}

bool PressLedger::rangeShipped() {
    if (!ledger_.placesLots()) return false;
    const ledger::LedgerCounters c = ledger_.counters();
    return c.problem.ok() && c.hasRange && c.rangeLeft == 0;
}

void PressLedger::voidLot(uint64_t lot, std::string_view reason) { ledger_.voidLot(lot, reason); }

std::string PressLedger::counters() {
    const ledger::LedgerCounters c = ledger_.counters();
    if (!c.problem.ok()) return strings_.text(IDS_LEDGER_COUNTERS_UNREADABLE);
    const std::string adapters = number(c.adaptersShippedToday), lots = number(c.lotsShippedToday),
                      failed = number(c.lotsFailedToday);
    if (!c.hasRange) return ui::fillIn(strings_.text(IDS_LEDGER_COUNTERS_NO_RANGE), {adapters, lots, failed});
    return ui::fillIn(strings_.text(IDS_LEDGER_COUNTERS),
                      {number(c.rangeProgrammed), number(c.rangeLeft), adapters, lots, failed});
}

}  // namespace lt::progstation
