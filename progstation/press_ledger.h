// press_ledger.h: the production ledger's part of the station: the start-up recovery, the re-issue guard with its login, the lot's issued, shipped and void lines with their messages, and the counters line.
//
// The station reaches its ledger only through the AddressLedger port (where the ledger
// lives is the port's business). In a press, in this order:
//   ready()    before anything is recorded: a ledger that was damaged or unreadable is read
//              again; while it stays so, every press is refused (message IDS_LEDGER_DAMAGED);
//   guard()    before the programming request, for the addresses the lot is about to receive:
//              shipped ones bring the exclamation question (No the default), and Yes the
//              operator login; [LEDGER] GuardReissue 0 hands them out again without asking;
//   issue()    the issued lines (and the reissued ones), flushed before the request; a ledger
//              that cannot be written refuses the press (message IDS_LEDGER_NOT_WRITTEN);
//   ship()     after the lot's records are written; voidLot() when the lot that reached the
//              request is not recorded, with the reason;
//   counters() the text of the main window's counters line, after every press.
//
// A ledger that several stations share (AddressLedger::placesLots()) places the lot itself:
// the guard then looks at the addresses issue() reserved (placedLotClear()), the lot is
// shipped to the ledger before the station's own records are written, and the range is
// complete when rangeShipped() says so. Its refusals (server unreachable, no room left in
// the range, the range shipped, the station's name in use) have messages of their own.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/adapter/mac_address.h"
#include "common/login/login_dialogs.h"
#include "common/platform/computer_name.h"
#include "common/platform/error_texts.h"
#include "common/platform/system_paths.h"
#include "common/settings/settings_store.h"
#include "common/ui/dialog_view.h"
#include "common/ui/strings.h"
#include "progstation/ledger/address_ledger.h"

namespace lt::progstation {

// The station's ledger file: the Windows directory, a backslash and "AddressLedger.csv"
// (the name alone when the directory cannot be had, as the settings files are named).
std::string stationLedgerPath(platform::SystemPaths& system);
// The name the station writes in its ledger lines: [LEDGER] StationName, the computer's
// name when that is empty, and "station" when neither can be had.
std::string stationName(settings::SettingsStore& store, platform::ComputerName& computer);
// The ledger server's ODBC connection string ([LEDGER] Connection), blanks around it
// removed; empty when the station keeps its own ledger file.
std::string ledgerConnection(settings::SettingsStore& store);
// The ledger server as messages name it: the connection string with the value of every
// PWD or PASSWORD attribute shown as "***", so that no password reaches the screen.
std::string ledgerServerName(std::string_view connection);

// The `detail` of a lot's issued lines for the automatic diagnostics run before it:
// "diagnostics N" with EthTester's exit code (its run's TestResult), "diagnostics not run"
// when the option is off or EthTester could not be started, "diagnostics result unknown"
// when its exit code could not be had.
std::string diagnosticsDetail(bool launched, std::optional<uint32_t> exitCode);

// What the guard decided for a lot.
struct GuardDecision {
    bool go = false;                        // false: the press is refused, nothing programmed
    std::vector<adapter::MacAddress> again;  // shipped addresses handed out again: `reissued` lines
    std::string detail;                     // of those lines: "operator login" or "guard off"
};

class PressLedger {
public:
    // `where` names the ledger in messages (the path of AddressLedger.csv).
    PressLedger(ledger::AddressLedger& ledger, ui::DialogView& view, const ui::Strings& strings,
                platform::ErrorTexts& errors, settings::SettingsStore& store, login::LoginContext login,
                std::string where)
        : ledger_(ledger), view_(view), strings_(strings), errors_(errors), store_(store), login_(login),
          where_(std::move(where)) {}

    // At the dialog's opening: reads the ledger; a damaged one is reported. Of the lots the
    // station was stopped in, the one whose records were written is shipped (only its
    // shipped lines were lost); the others are shown once and closed with `void` lines.
    void start();
    // Before a press records anything: true when the ledger can be used (read again first
    // when it could not be); otherwise the damage is reported and the press is refused. A
    // station whose name another station took on the ledger server is refused at every
    // press until it is started again (its name is not taken back).
    bool ready();
    // The guard over the addresses the lot is about to receive.
    GuardDecision guard(std::span<const adapter::MacAddress> addresses);
    // The lot's issued lines. A problem has been reported when the result's is not Ok; the
    // press is then refused.
    ledger::IssueResult issue(const ledger::LotPlan& plan);
    // A shared ledger's guard, after issue() placed the lot: true when none of the reserved
    // addresses is shipped (the server never places a lot there; should it, the press is
    // refused with a message, and the lot is the caller's to void).
    bool placedLotClear(std::span<const adapter::MacAddress> addresses);
    // The lot was recorded (or, with a shared ledger, is about to be): its adapters as read
    // back (`first` and `last` name the lot's addresses in the message when the lines cannot
    // be written). False when they were not written (reported): with a shared ledger the
    // lot is then not recorded at all and its adapters are to be set aside.
    bool ship(uint64_t lot, std::span<const ledger::ShippedAdapter> adapters, const adapter::MacAddress& first,
              const adapter::MacAddress& last);
    // True when the ledger places lots (a shared ledger) and every address of the range of
    // the station's latest lot is shipped, by whichever station.
    bool rangeShipped();
    bool shared() const { return ledger_.placesLots(); }
    // The lot reached the programming request and is not recorded. A failure to write is not
    // reported: the lines stay due and the ledger writes them before its next lines, or the
    // next start closes the lot as interrupted.
    void voidLot(uint64_t lot, std::string_view reason);
    // The counters line of the main window.
    std::string counters();

private:
    void reportDamaged(const ledger::LedgerProblem& problem);
    void reportRefusal(const ledger::LedgerProblem& problem);
    void showInterrupted(const std::vector<ledger::InterruptedLot>& lots);
    bool shipRecorded(const ledger::InterruptedLot& lot);
    std::string problemText(const ledger::LedgerProblem& problem);
    std::string systemText(uint32_t error);
    bool loginPassed();

    ledger::AddressLedger& ledger_;
    ui::DialogView& view_;
    const ui::Strings& strings_;
    platform::ErrorTexts& errors_;
    settings::SettingsStore& store_;
    login::LoginContext login_;
    std::string where_;
    bool open_ = false;  // the last open() succeeded
    // The problem of an issue() that found another station under this one's name: every
    // press is refused with it from then on.
    std::optional<ledger::LedgerProblem> nameTaken_;
};

}  // namespace lt::progstation
