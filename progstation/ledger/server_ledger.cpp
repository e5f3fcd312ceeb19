// server_ledger.cpp: the shared ledger's operations as transactions on the server: the schema, the reservation of a lot's block, shipping, voiding, releasing, the guard and the counters.
#include "progstation/ledger/server_ledger.h"

#include <algorithm>
#include <chrono>
#include <random>
#include <set>

#include "odbc/odbc_database.h"
#include "progstation/ledger/ledger_lines.h"
#include "progstation/ledger/server_ledger_schema.h"

namespace lt::ledger {

using odbc::DbResult;
using odbc::Param;
using odbc::Row;

namespace {

constexpr int64_t kSerialSpace = int64_t(1) << 24;  // addresses of one vendor part
constexpr int64_t kSerialMask = kSerialSpace - 1;
constexpr int kAttempts = 8;                         // of a transaction that lost to another
constexpr int64_t kSchemaLock = 0x4c4544474552;      // the advisory lock that serialises creating the tables

int64_t number(const MacAddress& a) {
    int64_t n = 0;
    for (uint8_t b : a) n = n << 8 | b;
    return n;
}

MacAddress address(int64_t n) {
    MacAddress a{};
    for (int i = 5; i >= 0; --i, n >>= 8) a[std::size_t(i)] = uint8_t(n & 0xFF);
    return a;
}

// The address at `offset` of a range starting at `start`: the address step `offset` times.
int64_t addressAt(int64_t start, int64_t offset) { return (start & ~kSerialMask) | ((start + offset) & kSerialMask); }

// Address steps from `start` to `mac` (same vendor part).
int64_t offsetOf(int64_t start, int64_t mac) { return (mac - start) & kSerialMask; }

// The addresses of offsets [from, end) of a range as at most two intervals of numbers, in
// offset order (a range that runs past the end of the serial part wraps to its start).
struct Span {
    int64_t low, high;  // addresses, inclusive
    int64_t firstOffset;
};
std::vector<Span> spans(int64_t start, int64_t from, int64_t end) {
    std::vector<Span> out;
    while (from < end) {
        const int64_t low = addressAt(start, from);
        const int64_t room = kSerialSpace - (low & kSerialMask);  // addresses before the wrap
        const int64_t length = std::min(end - from, room);
        out.push_back({low, low + length - 1, from});
        from += length;
    }
    return out;
}

// The range's offsets the ledger hands out: the declared count, but no more addresses than
// the serial part has (a longer range would repeat addresses; the driver refuses it).
int64_t limitOf(uint32_t rangeCount) { return std::min<int64_t>(rangeCount, kSerialSpace); }

std::string integerArray(const std::vector<int64_t>& values) {
    std::string out = "{";
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i) out += ',';
        out += std::to_string(values[i]);
    }
    return out + "}";
}

std::string textArray(const std::vector<std::string>& values) {
    std::string out = "{";
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i) out += ',';
        out += '"';
        for (char c : values[i]) {
            if (c == '"' || c == '\\') out += '\\';
            out += c;
        }
        out += '"';
    }
    return out + "}";
}

std::string timeText(int64_t utc) { return formatTime(utc); }

// INSERT INTO ledger_events ... SELECT from the rows `u` (of ledger_addresses) just changed:
// one line per row, in lot and device order. Parameters: the time, then `detail`'s own.
std::string eventsFrom(std::string_view rows, std::string_view event, std::string_view serial,
                       std::string_view detail) {
    std::string sql = "WITH u AS (";
    sql += rows;
    sql += ") INSERT INTO ledger_events (time, station, event, lot, device, mac, serial, vid, pid, range_start,"
           " range_count, detail) SELECT CAST(? AS timestamptz), u.station, '";
    sql += event;
    sql += "', u.lot, u.device, ledger_mac_text(u.mac), ";
    sql += serial;
    sql += ", upper(lpad(to_hex(u.vid), 4, '0')), upper(lpad(to_hex(u.pid), 4, '0')), ledger_mac_text(r.range_start),"
           " r.range_count, ";
    sql += detail;
    sql += " FROM u JOIN ledger_ranges r ON r.id = u.range_id ORDER BY u.lot, u.device";
    return sql;
}

// Parameters: the time of the change, the station, the lot; then the events' time, the detail.
const std::string kVoidLot = eventsFrom(
    "UPDATE ledger_addresses a SET state = 'held', changed = CAST(? AS timestamptz)"
    " WHERE a.station = ? AND a.lot = ? AND a.state = 'reserved' RETURNING a.*",
    "void", "''", "?");

// Parameters: the time, the station; then the events' time, the lots open() reported.
const std::string kVoidStrays = eventsFrom(
    "UPDATE ledger_addresses a SET state = 'held', changed = CAST(? AS timestamptz)"
    " WHERE a.station = ? AND a.state = 'reserved' RETURNING a.*",
    "void", "''", "CASE WHEN u.lot = ANY(CAST(? AS bigint[])) THEN 'interrupted' ELSE 'not recorded' END");

// Parameters: the station, the addresses; then the events' time, the detail.
const std::string kReleaseHeld = eventsFrom(
    "DELETE FROM ledger_addresses a WHERE a.station = ? AND a.state = 'held' AND a.mac = ANY(CAST(? AS bigint[]))"
    " RETURNING a.*",
    "released", "''", "?");

// Parameters: the station; then the events' time, the detail.
const std::string kReleaseStation = eventsFrom(
    "DELETE FROM ledger_addresses a WHERE a.station = ? AND a.state <> 'shipped' RETURNING a.*", "released", "''",
    "?");

// Parameters: devices, addresses and serials read back (arrays), the time, the station, the
// lot; then the events' time.
const std::string kShip =
    "WITH s AS (SELECT * FROM unnest(CAST(? AS integer[]), CAST(? AS bigint[]), CAST(? AS text[]))"
    " AS s(device, mac, serial)), " +
    eventsFrom(
        "UPDATE ledger_addresses a SET state = 'shipped', serial = s.serial, changed = CAST(? AS timestamptz)"
        " FROM s WHERE a.station = ? AND a.lot = ? AND a.state = 'reserved' AND a.device = s.device AND a.mac = s.mac"
        " RETURNING a.*",
        "shipped", "u.serial", "''")
        .substr(5);  // the second CTE of the same WITH

// Parameters: start (twice), range id, station, lot, first offset, vid, pid, time, first
// offset, last offset, re-issued addresses (array).
const std::string kClaim =
    "INSERT INTO ledger_addresses AS a (mac, range_id, range_offset, station, lot, device, state, serial, vid, pid,"
    " changed)"
    " SELECT (CAST(? AS bigint) & -16777216) | ((CAST(? AS bigint) + g) & 16777215), CAST(? AS bigint), g, ?,"
    " CAST(? AS bigint), g - CAST(? AS bigint) + 1, 'reserved', '', CAST(? AS integer), CAST(? AS integer),"
    " CAST(? AS timestamptz)"
    " FROM generate_series(CAST(? AS bigint), CAST(? AS bigint)) AS g"
    " ON CONFLICT (mac) DO UPDATE SET range_id = EXCLUDED.range_id, range_offset = EXCLUDED.range_offset,"
    " station = EXCLUDED.station, lot = EXCLUDED.lot, device = EXCLUDED.device, state = 'reserved', serial = '',"
    " vid = EXCLUDED.vid, pid = EXCLUDED.pid, changed = EXCLUDED.changed"
    " WHERE (a.state = 'held' AND a.station = EXCLUDED.station)"
    " OR (a.state = 'shipped' AND a.mac = ANY(CAST(? AS bigint[])))";

// Parameters: time, the station, the event, the lot's range start and count as text and
// number, vid, pid, detail, lot, first offset, start, addresses (array). One line per
// address of the lot among `addresses` (all of them for `issued`).
const std::string kLotEvents =
    "INSERT INTO ledger_events (time, station, event, lot, device, mac, serial, vid, pid, range_start, range_count,"
    " detail)"
    " SELECT CAST(? AS timestamptz), a.station, ?, a.lot, a.device, ledger_mac_text(a.mac), '',"
    " upper(lpad(to_hex(a.vid), 4, '0')), upper(lpad(to_hex(a.pid), 4, '0')), ?, CAST(? AS bigint), ?"
    " FROM ledger_addresses a WHERE a.station = ? AND a.lot = CAST(? AS bigint)"
    " AND (CAST(? AS text) = 'issued' OR a.mac = ANY(CAST(? AS bigint[]))) ORDER BY a.device";

LedgerProblem problem(LedgerStatus status, std::string reason, uint32_t systemError = 0) {
    return {status, 0, systemError, std::move(reason)};
}

}  // namespace

struct ServerLedger::Block {
    bool found = false;
    int64_t offset = 0;                // the lot's first offset
    int64_t shippedBelow = 0;          // the new mark of the range
    std::vector<int64_t> ownHeld;      // this station's held addresses of the range
    std::vector<int64_t> reissued;     // shipped addresses of the block that the plan hands out again
    int64_t shipped = 0;               // shipped addresses of the range
    int64_t taken = 0;                 // reserved or held by other stations
    std::set<std::string> holders;     // ... by which
};

ServerLedger::ServerLedger(LedgerClock& clock, std::string connection, std::string station)
    : clock_(clock), connection_(std::move(connection)), station_(std::move(station)),
      db_(std::make_unique<odbc::Connection>()) {
    std::random_device seed;
    std::mt19937_64 mix((uint64_t(seed()) << 32) ^ seed() ^
                        uint64_t(std::chrono::steady_clock::now().time_since_epoch().count()));
    session_ = int64_t(mix() >> 1) | 1;
}

ServerLedger::~ServerLedger() = default;

// ---- connection and failures

LedgerProblem ServerLedger::connect() {
    if (db_->isOpen()) return {};
    const DbResult r = db_->open(connection_, kLoginTimeoutSeconds);
    if (!r.ok)
        return problem(LedgerStatus::Unreachable, "the ledger server cannot be reached: " + r.describe(),
                       uint32_t(r.nativeError));
    return {};
}

LedgerProblem ServerLedger::fail(const DbResult& r, std::string_view doing) {
    db_->rollback();
    // Whatever went wrong, the next operation starts on a fresh connection.
    db_->close();
    if (r.connectionLost())
        return problem(LedgerStatus::Unreachable,
                       "the connection to the ledger server was lost while " + std::string(doing) + ": " + r.describe(),
                       uint32_t(r.nativeError));
    return problem(LedgerStatus::WriteFailed,
                   "the ledger server refused " + std::string(doing) + ": " + r.describe(), uint32_t(r.nativeError));
}

LedgerProblem ServerLedger::usable() {
    if (!opened_) return problem(LedgerStatus::NotOpen, "the ledger has not been opened");
    if (!openProblem_.ok()) return openProblem_;
    // A connection kept since an earlier operation may have been cut meanwhile (the server
    // restarted, the network dropped): one idle for a while is checked first and, when
    // dead, replaced, so that the first press after a server restart goes through. The
    // check opens the operation's transaction; nothing is lost by it.
    const int64_t now = clock_.utcNow();
    if (db_->isOpen() && now - lastUsed_ >= kIdleCheckSeconds && !db_->runOnce("SELECT 1").ok) {
        db_->rollback();
        db_->close();
    }
    if (auto p = connect(); !p.ok()) return p;
    lastUsed_ = now;
    return applyPendingVoids();
}

LedgerProblem ServerLedger::ensureSchema() {
    DbResult r = db_->run("SELECT pg_advisory_xact_lock(CAST(? AS bigint))", {Param::integer(kSchemaLock)});
    if (!r.ok) return fail(r, "creating the ledger tables");
    int64_t exists = 0;
    r = db_->run("SELECT CASE WHEN to_regclass('ledger_version') IS NULL THEN 0 ELSE 1 END", {},
                 [&](Row& row) { exists = row.integer(1).value_or(0); });
    if (!r.ok) return fail(r, "looking for the ledger tables");
    if (exists) {
        int64_t version = -1;
        r = db_->run("SELECT max(version) FROM ledger_version", {},
                     [&](Row& row) { version = row.integer(1).value_or(-1); });
        if (!r.ok) return fail(r, "reading the ledger tables' version");
        db_->commit();
        if (version != kSchemaVersion) {
            db_->close();
            return problem(LedgerStatus::Damaged, "the ledger tables on the server are of version " +
                                                      std::to_string(version) + ", not " +
                                                      std::to_string(kSchemaVersion));
        }
        return {};
    }
    for (std::string_view statement : kSchemaStatements) {
        r = db_->runOnce(statement);
        if (!r.ok) return fail(r, "creating the ledger tables");
    }
    r = db_->commit();
    if (!r.ok) return fail(r, "creating the ledger tables");
    return {};
}

// ---- open

OpenResult ServerLedger::open() {
    OpenResult result;
    opened_ = true;
    interrupted_.clear();
    offset_ = clock_.localOffset();
    db_->close();  // open() reads afresh, on a new connection
    openProblem_ = connect();
    if (openProblem_.ok()) openProblem_ = ensureSchema();
    if (openProblem_.ok()) openProblem_ = applyPendingVoids();
    if (!openProblem_.ok()) {
        result.problem = openProblem_;
        return result;
    }
    const std::string now = timeText(clock_.utcNow());
    DbResult r = db_->run("INSERT INTO ledger_stations (station) VALUES (?) ON CONFLICT DO NOTHING",
                          {Param::text(station_)});
    if (r.ok)
        r = db_->run("UPDATE ledger_stations SET session = ?, opened = CAST(? AS timestamptz) WHERE station = ?",
                     {Param::integer(session_), Param::text(now), Param::text(station_)});
    if (r.ok)
        r = db_->run(
            "SELECT lot, mac FROM ledger_addresses WHERE station = ? AND state = 'reserved' ORDER BY lot, device",
            {Param::text(station_)}, [&](Row& row) {
                const auto lot = uint64_t(row.integer(1).value_or(0));
                const MacAddress mac = address(row.integer(2).value_or(0));
                if (result.interrupted.empty() || result.interrupted.back().lot != lot) {
                    result.interrupted.push_back({lot, 0, mac, mac});
                    interrupted_.push_back(lot);
                }
                ++result.interrupted.back().adapters;
                result.interrupted.back().last = mac;
            });
    if (r.ok) r = db_->commit();
    if (!r.ok) {
        openProblem_ = fail(r, "registering the station");
        result.problem = openProblem_;
        result.interrupted.clear();
        interrupted_.clear();
    }
    return result;
}

// ---- voiding

LedgerProblem ServerLedger::voidRows(uint64_t lot, std::string_view detail, int64_t now, int64_t* voided) {
    const std::string at = timeText(now);
    const DbResult r = db_->run(kVoidLot,
                                {Param::text(at), Param::text(station_), Param::integer(int64_t(lot)),
                                 Param::text(at), Param::text(detail)},
                                {}, voided);
    if (!r.ok) return fail(r, "voiding lot " + std::to_string(lot));
    return {};
}

LedgerProblem ServerLedger::applyPendingVoids() {
    if (pendingVoids_.empty()) return {};
    const int64_t now = clock_.utcNow();
    for (const PendingVoid& p : pendingVoids_) {
        int64_t voided = 0;
        if (auto problem = voidRows(p.lot, p.reason, now, &voided); !problem.ok()) return problem;
    }
    const DbResult r = db_->commit();
    if (!r.ok) return fail(r, "voiding lots");
    pendingVoids_.clear();
    return {};
}

LedgerProblem ServerLedger::closeStrays(int64_t now) {
    std::vector<int64_t> interrupted(interrupted_.begin(), interrupted_.end());
    const std::string at = timeText(now);
    const DbResult r = db_->run(
        kVoidStrays, {Param::text(at), Param::text(station_), Param::text(at), Param::text(integerArray(interrupted))});
    if (!r.ok) return fail(r, "voiding the station's lots left open");
    interrupted_.clear();
    return {};
}

LedgerProblem ServerLedger::closeInterrupted() {
    if (auto p = usable(); !p.ok()) return p;
    const int64_t now = clock_.utcNow();
    for (uint64_t lot : interrupted_) {
        int64_t voided = 0;
        if (auto p = voidRows(lot, "interrupted", now, &voided); !p.ok()) return p;
    }
    const DbResult r = db_->commit();
    if (!r.ok) return fail(r, "voiding the interrupted lots");
    interrupted_.clear();
    return {};
}

LedgerProblem ServerLedger::voidLot(uint64_t lot, std::string_view reason) {
    // A second call for a lot whose void waits for the server takes its place.
    std::erase_if(pendingVoids_, [&](const PendingVoid& p) { return p.lot == lot; });
    if (auto p = usable(); !p.ok()) {
        // Kept for the next operation that reaches the server, unless the server is fine and
        // the problem is of another kind.
        if (p.status == LedgerStatus::Unreachable) pendingVoids_.push_back({lot, std::string(reason)});
        return p;
    }
    int64_t voided = 0;
    if (auto p = voidRows(lot, reason, clock_.utcNow(), &voided); !p.ok()) {
        if (p.status == LedgerStatus::Unreachable) pendingVoids_.push_back({lot, std::string(reason)});
        return p;
    }
    if (voided == 0) {
        db_->rollback();
        return problem(LedgerStatus::UnknownLot, "no open lot " + std::to_string(lot));
    }
    const DbResult r = db_->commit();
    if (!r.ok) {
        LedgerProblem p = fail(r, "voiding lot " + std::to_string(lot));
        if (p.status == LedgerStatus::Unreachable) pendingVoids_.push_back({lot, std::string(reason)});
        return p;
    }
    return {};
}

// ---- the guard

GuardHit ServerLedger::shippedAmong(std::span<const MacAddress> addresses) {
    GuardHit hit;
    hit.problem = usable();
    if (!hit.problem.ok() || addresses.empty()) return hit;
    std::vector<int64_t> asked;
    asked.reserve(addresses.size());
    for (const MacAddress& a : addresses) asked.push_back(number(a));
    struct Shipped {
        std::string station;
        int64_t at;
    };
    std::vector<std::pair<int64_t, Shipped>> found;
    const DbResult r = db_->run(
        "SELECT mac, station, CAST(extract(epoch FROM changed) AS bigint) FROM ledger_addresses"
        " WHERE state = 'shipped' AND mac = ANY(CAST(? AS bigint[]))",
        {Param::text(integerArray(asked))}, [&](Row& row) {
            const int64_t mac = row.integer(1).value_or(-1);
            std::string station = row.text(2).value_or("");
            found.push_back({mac, {std::move(station), row.integer(3).value_or(0)}});
        });
    if (!r.ok) {
        hit.problem = fail(r, "looking up shipped addresses");
        return hit;
    }
    db_->commit();
    for (int64_t mac : asked) {
        const auto it = std::find_if(found.begin(), found.end(), [&](const auto& f) { return f.first == mac; });
        if (it == found.end()) continue;
        if (hit.count++ == 0) {
            hit.first = address(mac);
            hit.shippedAt = it->second.at;
            hit.station = it->second.station;
        }
    }
    return hit;
}

// ---- issue

LedgerProblem ServerLedger::findBlock(const LotPlan& plan, int64_t scanFrom, Block& block) {
    const int64_t start = number(plan.rangeStart);
    const int64_t limit = limitOf(plan.rangeCount);
    const int64_t n = plan.adapters;
    std::vector<int64_t> authorised;
    for (const MacAddress& a : plan.reissued) authorised.push_back(number(a));
    std::sort(authorised.begin(), authorised.end());
    // Shipped addresses before the mark are not looked at, unless some are to be handed out again.
    if (!authorised.empty()) scanFrom = 0;
    scanFrom = std::min(scanFrom, limit);

    // Offsets that the lot cannot take, in order; and the station's own held addresses.
    std::vector<int64_t> blocked;
    std::vector<int64_t> shippedAt;  // shipped offsets, in order
    std::vector<int64_t> authorisedAt;
    for (const Span& span : spans(start, scanFrom, limit)) {
        const DbResult r = db_->run(
            "SELECT mac, state, station FROM ledger_addresses WHERE mac BETWEEN ? AND ? ORDER BY mac",
            {Param::integer(span.low), Param::integer(span.high)}, [&](Row& row) {
                const int64_t mac = row.integer(1).value_or(0);
                const std::string state = row.text(2).value_or("");
                const std::string station = row.text(3).value_or("");
                const int64_t offset = span.firstOffset + (mac - span.low);
                if (state == "shipped") {
                    shippedAt.push_back(offset);
                    if (std::binary_search(authorised.begin(), authorised.end(), mac))
                        authorisedAt.push_back(offset);
                    else
                        blocked.push_back(offset);
                } else if (state == "held" && station == station_) {
                    block.ownHeld.push_back(mac);
                } else {
                    blocked.push_back(offset);
                    ++block.taken;
                    block.holders.insert(station);
                }
            });
        if (!r.ok) return fail(r, "looking for free addresses");
    }
    block.shipped = scanFrom + int64_t(shippedAt.size());

    // The mark: the shipped addresses that follow the old one without a gap.
    block.shippedBelow = scanFrom;
    for (int64_t offset : shippedAt) {
        if (offset != block.shippedBelow) break;
        ++block.shippedBelow;
    }

    auto fits = [&](int64_t from) {
        if (from < 0 || from + n > limit) return false;
        const auto first = std::lower_bound(blocked.begin(), blocked.end(), from);
        return first == blocked.end() || *first >= from + n;
    };
    if (n > 0 && !block.ownHeld.empty()) {
        int64_t lowest = limit;
        for (int64_t mac : block.ownHeld) lowest = std::min(lowest, offsetOf(start, mac));
        if (fits(lowest)) {
            block.found = true;
            block.offset = lowest;
        }
    }
    if (n > 0 && !block.found) {
        int64_t from = scanFrom;
        for (int64_t offset : blocked) {
            if (offset - from >= n) break;
            from = std::max(from, offset + 1);
        }
        if (from + n <= limit) {
            block.found = true;
            block.offset = from;
        }
    }
    if (block.found) {
        block.shippedBelow = std::min(block.shippedBelow, block.offset);
        for (int64_t offset : authorisedAt)
            if (offset >= block.offset && offset < block.offset + n) block.reissued.push_back(addressAt(start, offset));
    }
    return {};
}

IssueResult ServerLedger::issueOnce(const LotPlan& plan, bool& retry) {
    retry = false;
    IssueResult result;
    result.lotStart = plan.lotStart;
    auto lost = [&](const DbResult& r, std::string_view doing) {
        if (r.retryable() || r.uniqueViolation()) {
            db_->rollback();
            retry = true;
            result.problem = problem(LedgerStatus::WriteFailed, "the reservation kept losing to other stations: " +
                                                                     r.describe());
        } else {
            result.problem = fail(r, doing);
        }
        return result;
    };
    const int64_t now = clock_.utcNow();
    const std::string at = timeText(now);
    const int64_t start = number(plan.rangeStart);

    // This station's row, held until the end: nothing else of this station runs meanwhile.
    int64_t session = 0;
    DbResult r = db_->run("SELECT session FROM ledger_stations WHERE station = ? FOR UPDATE", {Param::text(station_)},
                          [&](Row& row) { session = row.integer(1).value_or(0); });
    if (!r.ok) return lost(r, "reserving addresses");
    if (session != session_) {
        db_->rollback();
        result.problem = problem(LedgerStatus::NameInUse, "another station opened the ledger under the name \"" +
                                                              station_ + "\" after this one");
        return result;
    }
    if (auto p = closeStrays(now); !p.ok()) {
        result.problem = p;
        return result;
    }

    // The range's row, held until the end: lots of one range are placed one after the other.
    r = db_->run("INSERT INTO ledger_ranges (range_start, range_count) VALUES (?, ?) ON CONFLICT DO NOTHING",
                 {Param::integer(start), Param::integer(plan.rangeCount)});
    if (!r.ok) return lost(r, "reserving addresses");
    int64_t rangeId = -1, shippedBelow = 0;
    r = db_->run("SELECT id, shipped_below FROM ledger_ranges WHERE range_start = ? AND range_count = ? FOR UPDATE",
                 {Param::integer(start), Param::integer(plan.rangeCount)}, [&](Row& row) {
                     rangeId = row.integer(1).value_or(-1);
                     shippedBelow = row.integer(2).value_or(0);
                 });
    if (!r.ok) return lost(r, "reserving addresses");

    Block block;
    if (auto p = findBlock(plan, shippedBelow, block); !p.ok()) {
        result.problem = p;
        return result;
    }
    if (block.shippedBelow > shippedBelow || (!plan.reissued.empty() && block.shippedBelow < shippedBelow)) {
        r = db_->run("UPDATE ledger_ranges SET shipped_below = ? WHERE id = ?",
                     {Param::integer(block.shippedBelow), Param::integer(rangeId)});
        if (!r.ok) return lost(r, "reserving addresses");
    }
    if (!block.found) {
        // The lots left open are voided all the same.
        r = db_->commit();
        if (!r.ok) return lost(r, "reserving addresses");
        const int64_t limit = limitOf(plan.rangeCount);
        if (block.shipped >= limit) {
            result.problem = problem(LedgerStatus::RangeComplete,
                                     "every address of the range " + adapter::formatUpper(plan.rangeStart) + " (count " +
                                         std::to_string(plan.rangeCount) + ") is shipped");
            return result;
        }
        std::string reason = "no " + std::to_string(plan.adapters) + " consecutive addresses of the range " +
                             adapter::formatUpper(plan.rangeStart) + " (count " + std::to_string(plan.rangeCount) +
                             ") are free: " + std::to_string(limit - block.shipped - block.taken) + " free, " +
                             std::to_string(block.shipped) + " shipped, " + std::to_string(block.taken) + " reserved";
        if (!block.holders.empty()) {
            reason += " by";
            int shown = 0;
            for (const std::string& s : block.holders) {
                if (shown++ == 4) {
                    reason += " ...";
                    break;
                }
                reason += (shown > 1 ? ", " : " ") + s;
            }
        }
        result.problem = problem(LedgerStatus::NoRoom, reason);
        return result;
    }

    int64_t lot = 0;
    r = db_->run(
        "UPDATE ledger_stations SET next_lot = next_lot + 1, last_range = ? WHERE station = ? RETURNING next_lot - 1",
        {Param::integer(rangeId), Param::text(station_)}, [&](Row& row) { lot = row.integer(1).value_or(0); });
    if (!r.ok) return lost(r, "reserving addresses");

    const int64_t first = block.offset, last = block.offset + plan.adapters - 1;
    std::vector<int64_t> released;
    for (int64_t mac : block.ownHeld) {
        const int64_t offset = offsetOf(start, mac);
        if (offset < first || offset > last) released.push_back(mac);
    }
    if (!released.empty()) {
        r = db_->run(kReleaseHeld, {Param::text(station_), Param::text(integerArray(released)), Param::text(at),
                                    Param::text("not taken by lot " + std::to_string(lot))});
        if (!r.ok) return lost(r, "releasing held addresses");
    }

    int64_t claimed = 0;
    r = db_->run(kClaim,
                 {Param::integer(start), Param::integer(start), Param::integer(rangeId), Param::text(station_),
                  Param::integer(lot), Param::integer(first), Param::integer(plan.vid), Param::integer(plan.pid),
                  Param::text(at), Param::integer(first), Param::integer(last),
                  Param::text(integerArray(block.reissued))},
                 {}, &claimed);
    if (!r.ok) return lost(r, "reserving addresses");
    if (claimed != plan.adapters) {
        // An address of the block was taken through another range meanwhile: start again.
        db_->rollback();
        retry = true;
        result.problem = problem(LedgerStatus::WriteFailed, "the reservation kept losing to other stations");
        return result;
    }

    const std::string rangeText = adapter::formatUpper(plan.rangeStart);
    auto events = [&](std::string_view event, const std::string& detail, const std::vector<int64_t>& only) {
        return db_->run(kLotEvents, {Param::text(at), Param::text(event), Param::text(rangeText),
                                     Param::integer(plan.rangeCount), Param::text(detail), Param::text(station_),
                                     Param::integer(lot), Param::text(event), Param::text(integerArray(only))});
    };
    r = events("issued", plan.detail, {});
    if (r.ok && !block.reissued.empty()) r = events("reissued", plan.reissueDetail, block.reissued);
    if (r.ok && !block.reissued.empty()) {
        // Shipped addresses taken again: other ranges' marks may stand past them now.
        r = db_->run("UPDATE ledger_ranges SET shipped_below = 0 WHERE id <> ? AND (range_start & -16777216) = ?",
                     {Param::integer(rangeId), Param::integer(start & ~kSerialMask)});
    }
    if (!r.ok) return lost(r, "writing the issued lines");
    r = db_->commit();
    if (!r.ok) return lost(r, "reserving addresses");

    result.lot = uint64_t(lot);
    result.placed = true;
    result.rangeOffset = uint32_t(first);
    result.lotStart = address(addressAt(start, first));
    result.previousCount = uint32_t(first);
    result.previousAddress = first > 0 ? address(addressAt(start, first - 1)) : MacAddress{};
    return result;
}

IssueResult ServerLedger::issue(const LotPlan& plan) {
    IssueResult result;
    result.lotStart = plan.lotStart;
    result.problem = usable();
    if (!result.problem.ok() || plan.adapters == 0) return result;
    if (plan.rangeCount == 0 || plan.adapters > limitOf(plan.rangeCount)) {
        result.problem = problem(LedgerStatus::NoRoom, "a lot of " + std::to_string(plan.adapters) +
                                                           " adapters does not fit into a range of " +
                                                           std::to_string(plan.rangeCount));
        return result;
    }
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        bool retry = false;
        result = issueOnce(plan, retry);
        if (!retry) return result;
        if (auto p = connect(); !p.ok()) {
            result.problem = p;
            return result;
        }
    }
    return result;
}

// ---- ship

LedgerProblem ServerLedger::ship(uint64_t lot, std::span<const ShippedAdapter> adapters) {
    if (auto p = usable(); !p.ok()) return p;
    std::vector<std::pair<int64_t, int64_t>> issued;  // device, address
    DbResult r = db_->run(
        "SELECT device, mac FROM ledger_addresses WHERE station = ? AND lot = ? AND state = 'reserved'"
        " ORDER BY device FOR UPDATE",
        {Param::text(station_), Param::integer(int64_t(lot))},
        [&](Row& row) { issued.push_back({row.integer(1).value_or(0), row.integer(2).value_or(-1)}); });
    if (!r.ok) return fail(r, "shipping lot " + std::to_string(lot));
    if (issued.empty()) {
        db_->rollback();
        return problem(LedgerStatus::UnknownLot, "no open lot " + std::to_string(lot));
    }
    std::vector<int64_t> devices, macs;
    std::vector<std::string> serials;
    for (const ShippedAdapter& a : adapters) {
        const auto it = std::find_if(issued.begin(), issued.end(), [&](const auto& d) { return d.first == a.device; });
        const bool twice = std::find(devices.begin(), devices.end(), int64_t(a.device)) != devices.end();
        if (it == issued.end() || it->second != number(a.mac) || twice) {
            db_->rollback();
            return problem(LedgerStatus::WriteFailed, "adapter " + std::to_string(a.device) + " of lot " +
                                                          std::to_string(lot) + " read back " +
                                                          adapter::formatUpper(a.mac) +
                                                          ", which the lot did not issue to it");
        }
        devices.push_back(a.device);
        macs.push_back(number(a.mac));
        serials.push_back(a.serial);
    }
    const int64_t now = clock_.utcNow();
    const std::string at = timeText(now);
    int64_t shipped = 0;
    if (!adapters.empty()) {
        r = db_->run(kShip,
                     {Param::text(integerArray(devices)), Param::text(integerArray(macs)), Param::text(textArray(serials)),
                      Param::text(at), Param::text(station_), Param::integer(int64_t(lot)), Param::text(at)},
                     {}, &shipped);
        if (!r.ok) return fail(r, "shipping lot " + std::to_string(lot));
    }
    int64_t voided = 0;
    if (auto p = voidRows(lot, "not read back", now, &voided); !p.ok()) return p;
    r = db_->commit();
    if (!r.ok) return fail(r, "shipping lot " + std::to_string(lot));
    return {};
}

// ---- counters

LedgerCounters ServerLedger::counters() {
    LedgerCounters c;
    c.problem = usable();
    if (!c.problem.ok()) return c;
    int64_t start = -1, count = 0, shippedBelow = 0;
    DbResult r = db_->run(
        "SELECT r.range_start, r.range_count, r.shipped_below FROM ledger_stations s"
        " JOIN ledger_ranges r ON r.id = s.last_range WHERE s.station = ?",
        {Param::text(station_)}, [&](Row& row) {
            start = row.integer(1).value_or(-1);
            count = row.integer(2).value_or(0);
            shippedBelow = row.integer(3).value_or(0);
        });
    if (!r.ok) {
        c.problem = fail(r, "reading the counters");
        return c;
    }
    if (start >= 0) {
        const int64_t limit = limitOf(uint32_t(count));
        int64_t shipped = std::min(shippedBelow, limit);
        for (const Span& span : spans(start, shipped, limit)) {
            r = db_->run("SELECT count(*) FROM ledger_addresses WHERE state = 'shipped' AND mac BETWEEN ? AND ?",
                         {Param::integer(span.low), Param::integer(span.high)},
                         [&](Row& row) { shipped += row.integer(1).value_or(0); });
            if (!r.ok) {
                c.problem = fail(r, "reading the counters");
                return c;
            }
        }
        c.hasRange = true;
        c.rangeStart = address(start);
        c.rangeCount = uint32_t(count);
        c.rangeProgrammed = uint32_t(std::min<int64_t>(shipped, count));
        c.rangeLeft = c.rangeCount - c.rangeProgrammed;
    }
    // Today: the local day of the zone offset read at open().
    const int64_t local = clock_.utcNow() + offset_;
    const int64_t day = local >= 0 ? local / 86400 : -((-local + 86399) / 86400);
    const int64_t from = day * 86400 - offset_;
    r = db_->run(
        "SELECT count(*) FILTER (WHERE e.event = 'shipped'), count(DISTINCT e.lot) FILTER (WHERE e.event = 'shipped'),"
        " count(DISTINCT e.lot) FILTER (WHERE e.event = 'void' AND NOT EXISTS (SELECT 1 FROM ledger_events s"
        " WHERE s.station = e.station AND s.lot = e.lot AND s.event = 'shipped'))"
        " FROM ledger_events e WHERE e.station = ? AND e.time >= CAST(? AS timestamptz)"
        " AND e.time < CAST(? AS timestamptz)",
        {Param::text(station_), Param::text(timeText(from)), Param::text(timeText(from + 86400))}, [&](Row& row) {
            c.adaptersShippedToday = uint32_t(row.integer(1).value_or(0));
            c.lotsShippedToday = uint32_t(row.integer(2).value_or(0));
            c.lotsFailedToday = uint32_t(row.integer(3).value_or(0));
        });
    if (!r.ok) {
        c.problem = fail(r, "reading the counters");
        return c;
    }
    db_->commit();
    return c;
}

// ---- releasing a station's addresses

ReleaseResult ServerLedger::releaseStation(const std::string& station) {
    ReleaseResult result;
    if (auto p = connect(); !p.ok()) {
        result.problem = p;
        return result;
    }
    int64_t released = 0;
    DbResult r = db_->run(kReleaseStation, {Param::text(station), Param::text(timeText(clock_.utcNow())),
                                            Param::text("station released")},
                          {}, &released);
    if (r.ok) r = db_->commit();
    if (!r.ok) {
        result.problem = fail(r, "releasing the addresses of station " + station);
        return result;
    }
    result.addresses = uint32_t(released);
    return result;
}

}  // namespace lt::ledger
