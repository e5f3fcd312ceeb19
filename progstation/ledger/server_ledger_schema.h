// server_ledger_schema.h: the tables of the shared ledger on the PostgreSQL server, and the statements that create them.
//
// Addresses are kept as 48-bit numbers (byte 1 the most significant) in `bigint` columns;
// ledger_mac_text() writes one as the ledger file does ("00-1B-4E-7A-01-00").
//   ledger_version    one row: the version of these tables (kSchemaVersion).
//   ledger_ranges     one row per range (start address, declared count), unique on the two;
//                     `shipped_below`: every address of the range before that offset is
//                     shipped, so the search for free addresses starts there.
//   ledger_stations   one row per station name: its next lot number, the range of its
//                     latest lot, and the mark of the process that opened it last.
//   ledger_addresses  one row per address handed out and not given back, keyed by the
//                     address itself: no two stations can hold one address, in any range,
//                     and a shipped address can be taken again only by changing its row
//                     from shipped (what a re-issue does), never by a second row. Also
//                     unique: (range, offset) and (station, lot, device).
//   ledger_events     the ledger's lines, the columns of AddressLedger.csv, plus the event
//                     `released` (a held or reserved address given back).
// docs/shared-ledger.md shows the same statements.
#pragma once

#include <string_view>

namespace lt::ledger {

inline constexpr int kSchemaVersion = 1;

// Run in this order, in one transaction, when ledger_version does not exist.
inline constexpr std::string_view kSchemaStatements[] = {
    "CREATE TABLE ledger_ranges ("
    " id bigserial PRIMARY KEY,"
    " range_start bigint NOT NULL CHECK (range_start BETWEEN 0 AND 281474976710655),"
    " range_count bigint NOT NULL CHECK (range_count BETWEEN 1 AND 4294967295),"
    " shipped_below bigint NOT NULL DEFAULT 0 CHECK (shipped_below >= 0),"
    " created timestamptz NOT NULL DEFAULT now(),"
    " UNIQUE (range_start, range_count))",

    "CREATE TABLE ledger_stations ("
    " station text PRIMARY KEY,"
    " next_lot bigint NOT NULL DEFAULT 1 CHECK (next_lot >= 1),"
    " session bigint NOT NULL DEFAULT 0,"
    " opened timestamptz,"
    " last_range bigint REFERENCES ledger_ranges (id))",

    "CREATE TABLE ledger_addresses ("
    " mac bigint PRIMARY KEY CHECK (mac BETWEEN 0 AND 281474976710655),"
    " range_id bigint NOT NULL REFERENCES ledger_ranges (id),"
    " range_offset bigint NOT NULL CHECK (range_offset >= 0),"
    " station text NOT NULL REFERENCES ledger_stations (station),"
    " lot bigint NOT NULL,"
    " device integer NOT NULL CHECK (device >= 1),"
    " state text NOT NULL CHECK (state IN ('reserved', 'held', 'shipped')),"
    " serial text NOT NULL DEFAULT '',"
    " vid integer NOT NULL,"
    " pid integer NOT NULL,"
    " changed timestamptz NOT NULL,"
    " UNIQUE (range_id, range_offset),"
    " UNIQUE (station, lot, device))",

    "CREATE INDEX ledger_addresses_shipped ON ledger_addresses (mac) WHERE state = 'shipped'",
    "CREATE INDEX ledger_addresses_open ON ledger_addresses (station, lot) WHERE state <> 'shipped'",

    "CREATE TABLE ledger_events ("
    " id bigserial PRIMARY KEY,"
    " time timestamptz NOT NULL,"
    " station text NOT NULL,"
    " event text NOT NULL CHECK (event IN ('issued', 'shipped', 'void', 'reissued', 'released')),"
    " lot bigint NOT NULL,"
    " device integer NOT NULL,"
    " mac text NOT NULL,"
    " serial text NOT NULL DEFAULT '',"
    " vid text NOT NULL,"
    " pid text NOT NULL,"
    " range_start text NOT NULL,"
    " range_count bigint NOT NULL,"
    " detail text NOT NULL DEFAULT '')",

    "CREATE INDEX ledger_events_station_time ON ledger_events (station, time)",
    "CREATE INDEX ledger_events_station_lot ON ledger_events (station, lot)",
    "CREATE INDEX ledger_events_mac ON ledger_events (mac)",

    // One expression, so that the server folds it into the statements that call it.
    "CREATE FUNCTION ledger_mac_text(m bigint) RETURNS text LANGUAGE sql IMMUTABLE AS"
    " 'SELECT upper(substr(lpad(to_hex(m), 12, ''0''), 1, 2) || ''-'' || substr(lpad(to_hex(m), 12, ''0''), 3, 2)"
    " || ''-'' || substr(lpad(to_hex(m), 12, ''0''), 5, 2) || ''-'' || substr(lpad(to_hex(m), 12, ''0''), 7, 2)"
    " || ''-'' || substr(lpad(to_hex(m), 12, ''0''), 9, 2) || ''-'' || substr(lpad(to_hex(m), 12, ''0''), 11, 2))'",

    "CREATE TABLE ledger_version (version integer NOT NULL)",
    "INSERT INTO ledger_version VALUES (1)",
};

}  // namespace lt::ledger
