// address_ledger.h: the port for the station's production ledger: which lot gave which adapter which address, the re-issue guard and the counters.
//
// The station talks to the ledger only through this interface; where the ledger lives
// (the station's own AddressLedger.csv, or a server shared by several stations) is the
// implementation's business. Every operation reports its problem instead of throwing.
//
// One press, as the station uses it:
//   open() once at start-up; show open().interrupted once, then closeInterrupted();
//   before the programming request: shippedAmong(the lot's addresses) for the guard, then
//   issue(plan), which must succeed before anything is programmed;
//   after the lot's records are written: ship(lot, adapters); when the lot is not
//   recorded: voidLot(lot, reason); counters() for the main window after each press.
// While open() has not succeeded (never called, the ledger damaged or unreadable), every
// other operation returns that problem and writes nothing; calling open() again re-reads.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/adapter/mac_address.h"

namespace lt::ledger {

using adapter::MacAddress;

enum class LedgerStatus : uint8_t {
    Ok,
    NotOpen,      // open() has not been called
    Damaged,      // the ledger holds something that is not a ledger line (see `line` and `reason`)
    Unreadable,   // the ledger exists but cannot be read (see `systemError`)
    WriteFailed,  // lines could not be written and flushed (see `systemError` and `reason`)
    UnknownLot,   // ship() or voidLot() for a lot that has no open issued address
    // A ledger shared by several stations on a server:
    Unreachable,    // the server cannot be reached, or the connection was lost (`reason` has the diagnostic)
    RangeComplete,  // issue(): every address of the range is shipped
    NoRoom,         // issue(): no block of that many consecutive addresses of the range is free (see `reason`)
    NameInUse,      // another station opened the ledger under this station's name since this one did
};

// What went wrong, for the station's message and refusal.
struct LedgerProblem {
    LedgerStatus status = LedgerStatus::Ok;
    uint64_t line = 0;         // Damaged: the 1-based line of the file; 0 otherwise
    uint32_t systemError = 0;  // Unreadable, WriteFailed: the system's error code; 0 when none
    std::string reason;        // a short description in English, e.g. "unknown event \"shiped\""

    bool ok() const { return status == LedgerStatus::Ok; }
};

// Issued addresses that were neither shipped nor voided: the station stopped in between.
struct InterruptedLot {
    uint64_t lot = 0;
    uint32_t adapters = 0;  // addresses left open
    MacAddress first{};     // the open address of the lowest device number
    MacAddress last{};      // ... and of the highest
    uint32_t firstDevice = 0;  // that lowest device number
};

struct OpenResult {
    LedgerProblem problem;                    // Ok, Damaged or Unreadable
    std::vector<InterruptedLot> interrupted;  // to be shown once, then closed with closeInterrupted()
    uint32_t skippedLines = 0;                // lines cut short by a stop while appending, skipped

    bool ok() const { return problem.ok(); }
};

// One lot as the station is about to program it.
struct LotPlan {
    MacAddress rangeStart{};  // the range's start address
    uint32_t rangeCount = 0;  // the range's declared device count
    MacAddress lotStart{};    // the address adapter 1 of the lot is to receive
    uint32_t adapters = 0;    // adapters attached: the lot's addresses are lotStart stepped by 0 .. adapters - 1
    uint16_t vid = 0;         // as programmed
    uint16_t pid = 0;
    std::string detail;       // of the `issued` lines, e.g. "diagnostics 0"
    // Addresses of the lot that were shipped before and that the operator chose to hand
    // out again: they get `reissued` lines, written and flushed with the `issued` lines.
    std::vector<MacAddress> reissued;
    std::string reissueDetail;  // of the `reissued` lines, e.g. "operator opusr"
};

struct IssueResult {
    LedgerProblem problem;  // not Ok: nothing may be programmed
    uint64_t lot = 0;       // the lot's number, for ship() and voidLot(); 0 for a lot of no adapters
    // The address adapter 1 receives: the plan's, for a ledger of the station's own; a
    // ledger shared by several stations may hand out another (its reservation).
    MacAddress lotStart{};
    // True when the ledger placed the lot in the range (a shared ledger): the programming
    // request's previous-address and previous-count fields are then the two below instead
    // of the station's records, so that the driver gives adapter k the lot start stepped
    // k - 1 times. False for a ledger of the station's own (the three stay zero).
    bool placed = false;
    uint32_t rangeOffset = 0;       // the lot start counted from the range's start (address steps)
    MacAddress previousAddress{};   // the range's start stepped rangeOffset - 1 times; zero when rangeOffset is 0
    uint32_t previousCount = 0;     // rangeOffset (0: the driver takes the lot as a new range from the start)
};

// One adapter of a lot as read back after programming.
struct ShippedAdapter {
    uint32_t device = 0;  // its number in the lot, 1 .. adapters
    MacAddress mac{};     // the address read back
    std::string serial;   // the serial number read back; empty when not read
};

// The guard's answer: the addresses among those asked about that were shipped since their
// last `reissued` line.
struct GuardHit {
    LedgerProblem problem;
    uint32_t count = 0;     // how many; 0 when none
    MacAddress first{};     // the first of them, in the order asked
    int64_t shippedAt = 0;  // when it was last shipped, seconds since 1970-01-01T00:00:00Z
    std::string station;    // by which station
};

struct LedgerCounters {
    LedgerProblem problem;
    // The range of the latest issued lot: how far it got (its lots start after the
    // addresses shipped so far, as the station's records continue a range).
    bool hasRange = false;
    MacAddress rangeStart{};
    uint32_t rangeCount = 0;
    uint32_t rangeProgrammed = 0;
    uint32_t rangeLeft = 0;
    // Today: the operator's local calendar day (see the implementation for the zone used).
    uint32_t adaptersShippedToday = 0;  // `shipped` lines
    uint32_t lotsShippedToday = 0;      // lots with a `shipped` line today
    uint32_t lotsFailedToday = 0;       // lots voided today with no adapter shipped
};

class AddressLedger {
public:
    virtual ~AddressLedger() = default;

    // Reads the ledger and builds what the other operations need. A ledger that does not
    // exist yet is an empty one.
    virtual OpenResult open() = 0;
    // Closes every lot that open() found interrupted with `void` lines, detail "interrupted".
    virtual LedgerProblem closeInterrupted() = 0;

    // The guard's look-up, before the programming request.
    virtual GuardHit shippedAmong(std::span<const MacAddress> addresses) = 0;

    // Writes and flushes one `issued` line per address of the lot (and the plan's
    // `reissued` lines) under a new lot number. Not Ok: nothing of the lot counts as issued.
    virtual IssueResult issue(const LotPlan& plan) = 0;
    // The lot was recorded: one `shipped` line per adapter; the lot's issued addresses that
    // no adapter read back are closed with `void` lines, detail "not read back".
    virtual LedgerProblem ship(uint64_t lot, std::span<const ShippedAdapter> adapters) = 0;
    // The lot was not recorded: one `void` line per address still open, `reason` as detail.
    virtual LedgerProblem voidLot(uint64_t lot, std::string_view reason) = 0;

    virtual LedgerCounters counters() = 0;

    // True for a ledger that several stations share: issue() places each lot in the range
    // itself (IssueResult::placed), and the range is complete when every station together
    // has shipped its count (LedgerCounters::rangeLeft 0), not when one station's records
    // say so. False for a ledger of the station's own.
    virtual bool placesLots() const { return false; }
};

// The addresses of a lot: `lotStart` stepped by 0 .. adapters - 1 (the address step).
inline std::vector<MacAddress> lotAddresses(const MacAddress& lotStart, uint32_t adapters) {
    std::vector<MacAddress> out;
    out.reserve(adapters);
    for (uint32_t k = 0; k < adapters; ++k) out.push_back(adapter::stepAddress(lotStart, k));
    return out;
}

}  // namespace lt::ledger
