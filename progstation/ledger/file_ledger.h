// file_ledger.h: the ledger in the station's own AddressLedger.csv (beside EpromData.ini), append-only, with an index kept in memory.
//
// open() reads the file once and builds the index: each address's shipped state since
// its last `reissued` line (a `reissued` line whose lot voids the address instead of
// shipping it does not count: the earlier shipment stands), the lots with open `issued` addresses, the latest lot's range
// and the shipped and failed counts per day. Every append updates it, so no operation
// reads the file again, except the first append after a failed one (below).
//
// What the file may hold (anything else is "damaged", with the line and the reason):
//   - nothing, or the header line exactly, then record lines (ledger_lines.h), blank lines
//     and lines cut short by a stop while they were appended (the start of a record, maybe
//     followed by NUL bytes), which are skipped and counted;
//   - a last line without its line end: a whole record (taken) or a cut-short one
//     (skipped); a file that holds only the beginning of the header counts as empty.
// The next append then starts on a fresh line (or completes the header), so a cut-short
// line never runs into a record.
//
// Appends are checked against the size the ledger last saw, so lines that another
// program appended meanwhile are never written over or past unseen: the append fails,
// and the next one reads the file again first. After a failed append the next one also
// reads the file again and writes, before its own lines, the `shipped` and `void` lines
// of the failed append that are not in the file yet; the addresses of a failed issue()
// that did reach the file are closed with `void` lines, detail "not programmed".
//
// "Today" is the local calendar day of the zone offset read from the clock at open():
// after a daylight-saving change the day boundary is an hour off until the next open().
// Lot numbers go on from the highest lot in the file, and a number is never used twice,
// not even by an issue() that failed.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "progstation/ledger/address_ledger.h"
#include "progstation/ledger/ledger_clock.h"
#include "progstation/ledger/ledger_files.h"
#include "progstation/ledger/ledger_lines.h"

namespace lt::ledger {

class FileLedger final : public AddressLedger {
public:
    // `path`: the ledger file ("C:\windows\AddressLedger.csv"); `station`: the name written
    // in the `station` field of this station's lines.
    FileLedger(LedgerFiles& files, LedgerClock& clock, std::string path, std::string station);

    OpenResult open() override;
    LedgerProblem closeInterrupted() override;
    GuardHit shippedAmong(std::span<const MacAddress> addresses) override;
    IssueResult issue(const LotPlan& plan) override;
    LedgerProblem ship(uint64_t lot, std::span<const ShippedAdapter> adapters) override;
    LedgerProblem voidLot(uint64_t lot, std::string_view reason) override;
    LedgerCounters counters() override;

private:
    struct AddressState {
        int64_t shippedAt = 0;
        uint32_t station = 0;  // index into stations_
        uint32_t shipped = 0;  // `shipped` lines since the last `reissued` line
    };
    struct LotDevice {
        uint32_t device = 0;
        MacAddress mac{};
        bool open = false;
    };
    struct OpenLot {
        uint16_t vid = 0, pid = 0;
        MacAddress rangeStart{};
        uint32_t rangeCount = 0;
        std::vector<LotDevice> devices;  // in the order issued (normally device k at k - 1)
        bool ordered = true;             // device numbers rise along `devices`
        uint32_t open = 0;
    };
    struct LotMarks {
        bool shipped = false;
        bool failed = false;
    };
    struct DayCounts {
        uint32_t adapters = 0, lots = 0, failed = 0;
    };
    struct LatestLot {
        uint64_t lot = 0;
        MacAddress rangeStart{};
        uint32_t rangeCount = 0;
        uint32_t startOffset = 0;  // the lot's first address, counted from the range's start
        uint32_t shipped = 0;
    };

    LedgerProblem load();
    void clearIndex();
    void apply(const Record& record);
    LotDevice* findDevice(OpenLot& lot, uint32_t device);
    void close(uint64_t lot, uint32_t device);
    // The state an address had before lot `lot` re-issued it, dropped from the list.
    std::optional<AddressState> forgetReissue(uint64_t lot, uint64_t key);
    bool isOpen(uint64_t lot, uint32_t device);
    uint32_t stationId(const std::string& name);
    int64_t day(int64_t utc) const;

    LedgerProblem usable() const;
    LedgerProblem prepareWrite();
    Record line(Event event, uint64_t lot, uint32_t device, const MacAddress& mac, const OpenLot& from,
                std::string_view detail, int64_t now) const;
    void voidOpen(uint64_t lot, std::string_view detail, int64_t now, std::vector<Record>& out);
    enum class Batch { Issue, Facts };
    LedgerProblem write(const std::vector<Record>& batch, Batch kind);

    LedgerFiles& files_;
    LedgerClock& clock_;
    std::string path_;
    std::string station_;

    bool opened_ = false;
    LedgerProblem problem_;  // of the last read: Damaged or Unreadable stop every operation
    bool exists_ = false;
    uint64_t size_ = 0;      // bytes of the file that the index holds
    std::string prefix_;     // written before the next lines: the header's rest, or a line end
    int32_t offset_ = 0;     // the local zone's offset, for the days
    uint32_t skipped_ = 0;

    bool stale_ = false;                // an append failed: read the file again before the next
    std::vector<Record> pending_;       // `shipped` and `void` lines of failed appends
    std::vector<uint64_t> abandoned_;   // lots whose issue() failed
    std::vector<uint64_t> interrupted_; // lots open() found interrupted, until closed

    std::unordered_map<uint64_t, AddressState> addresses_;
    std::vector<std::string> stations_;
    std::unordered_map<std::string, uint32_t> stationIds_;
    std::map<uint64_t, OpenLot> openLots_;
    std::unordered_map<uint64_t, LotMarks> lotMarks_;
    // Per lot, the addresses it re-issued and has neither shipped nor voided yet, with their state before.
    std::unordered_map<uint64_t, std::vector<std::pair<uint64_t, AddressState>>> reissuedBy_;
    std::unordered_map<int64_t, DayCounts> days_;
    std::optional<LatestLot> latest_;
    uint64_t highestLot_ = 0;
    uint64_t nextLot_ = 1;
};

}  // namespace lt::ledger
