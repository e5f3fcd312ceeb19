// server_ledger.h: the ledger on a PostgreSQL server reached through ODBC, shared by the stations of a line that draw lots from one range.
//
// Every station that issues lots of the same range (the same start address and declared
// count) shares it: issue() reserves, in one transaction, the lowest block of consecutive
// addresses of the range that nobody holds, and says where it lies (IssueResult::placed),
// so the request's previous-address and previous-count fields place the lot there. The
// server's constraints make it impossible for two stations to hold one address, or for one
// address to be shipped twice other than through a re-issue (server_ledger_schema.h).
//
// An address of a range is, for each station, free, held by it, or taken:
//   reserved  issued to a lot that is neither shipped nor voided yet;
//   held      its lot was voided (failed, interrupted, not read back): kept for this
//             station's next lot of the range, which takes it again;
//   shipped   on an adapter that was recorded; handed out again only when the plan lists
//             it in `reissued` (the operator's choice).
// issue() places the lot at the station's own held addresses when the lot fits there
// (more adapters: the addresses after them, when free; fewer: the rest are released),
// otherwise in the lowest block that is free or held by this station, and releases the
// station's held addresses of the range that the lot does not take. A station stopped
// for good has its reserved and held addresses released by releaseStation() (or the SQL
// statement of docs/shared-ledger.md that does the same).
//
// A station killed in the middle of a lot leaves its addresses reserved; other stations
// place their lots elsewhere, and when it starts again open() reports them as interrupted
// (closeInterrupted() voids them, so they are held for its next lot). A lot whose ship()
// or voidLot() did not reach the server stays reserved: the station's next issue() voids
// its lots still reserved ("not recorded", or the reason of a voidLot() that failed) and
// holds their addresses for that lot.
//
// Faults: a server that cannot be reached (at open() or later) or a connection lost is
// LedgerStatus::Unreachable with the ODBC diagnostic in `reason`; nothing is written
// anywhere else. Each operation is one transaction: either all of it is in the server or
// none of it. After any failure the connection is dropped and the next operation connects
// again; a connection kept idle for kIdleCheckSeconds is checked before it is used, so one
// cut meanwhile (a server restart) is replaced instead of failing the next press. While open() has not succeeded, the other operations return its problem.
//
// Counters: the range of this station's latest lot, with the addresses every station
// shipped in it (rangeLeft 0: the range is complete for every station); today's counts
// are this station's own, for the local day of the zone offset read at open().
// Lot numbers count per station, kept in the server.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "progstation/ledger/address_ledger.h"
#include "progstation/ledger/ledger_clock.h"

namespace lt::odbc {
class Connection;
struct DbResult;
}  // namespace lt::odbc

namespace lt::ledger {

// What releaseStation() gave back.
struct ReleaseResult {
    LedgerProblem problem;
    uint32_t addresses = 0;  // reserved and held addresses released
};

class ServerLedger final : public AddressLedger {
public:
    // `connection`: the ODBC connection string ([LEDGER] Connection); `station`: the
    // station's name ([LEDGER] StationName, or the computer name), its key in the server.
    ServerLedger(LedgerClock& clock, std::string connection, std::string station);
    ~ServerLedger() override;

    // Connects, creates the tables when they are missing (in one transaction, harmless when
    // they exist), registers the station and reports its lots still reserved.
    OpenResult open() override;
    LedgerProblem closeInterrupted() override;
    GuardHit shippedAmong(std::span<const MacAddress> addresses) override;
    IssueResult issue(const LotPlan& plan) override;
    LedgerProblem ship(uint64_t lot, std::span<const ShippedAdapter> adapters) override;
    LedgerProblem voidLot(uint64_t lot, std::string_view reason) override;
    LedgerCounters counters() override;
    bool placesLots() const override { return true; }

    // Releases every address that `station` holds or has reserved, in every range, with a
    // `released` event each, so that other stations' lots can take them. For a station that
    // is stopped for good (never for one that runs: its lot in progress would lose them).
    // Needs no open(): it connects when it is not connected.
    ReleaseResult releaseStation(const std::string& station);

    // How long open() and a reconnection wait for the server.
    static constexpr uint32_t kLoginTimeoutSeconds = 10;
    // A kept connection idle for this long is checked before it is used.
    static constexpr int64_t kIdleCheckSeconds = 2;

private:
    struct Block;
    LedgerProblem usable();
    LedgerProblem connect();
    LedgerProblem fail(const odbc::DbResult& r, std::string_view doing);
    LedgerProblem ensureSchema();
    LedgerProblem applyPendingVoids();
    LedgerProblem voidRows(uint64_t lot, std::string_view detail, int64_t now, int64_t* voided);
    LedgerProblem closeStrays(int64_t now);
    LedgerProblem findBlock(const LotPlan& plan, int64_t scanFrom, Block& block);
    IssueResult issueOnce(const LotPlan& plan, bool& retry);

    LedgerClock& clock_;
    std::string connection_;
    std::string station_;
    std::unique_ptr<odbc::Connection> db_;
    bool opened_ = false;
    LedgerProblem openProblem_;
    int64_t session_ = 0;   // this object's mark in the station's row: another process under the same name replaces it
    int32_t offset_ = 0;    // the local zone's offset read at open(), for "today"
    int64_t lastUsed_ = 0;  // when an operation last found the connection usable (utcNow)
    std::vector<uint64_t> interrupted_;  // lots open() reported, until closeInterrupted()
    struct PendingVoid {
        uint64_t lot;
        std::string reason;
    };
    std::vector<PendingVoid> pendingVoids_;  // voidLot() calls that did not reach the server
};

}  // namespace lt::ledger
