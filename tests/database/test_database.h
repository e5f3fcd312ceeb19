// test_database.h: the tests' PostgreSQL server: its connection string, a fresh schema per test, and direct SQL behind the ledger's back.
//
// The test command starts the server (scripts/test-database.sh, a ctest fixture) and names
// its folder in LT_TEST_DATABASE; the folder's connection.txt holds the connection string.
// A test that needs the server and finds none fails: it never skips.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "odbc/odbc_database.h"
#include "progstation/ledger/address_ledger.h"

namespace lt::test {

// The server's connection string, or nothing (with `why` set) when there is no server.
std::optional<std::string> testServer(std::string& why);

// Creates the schema `name` anew (dropped first when it exists) in the test server's
// database and returns a connection string whose sessions work in it (psqlODBC's
// ConnSettings sets their search_path), so each test has tables of its own. Empty, with
// `why` set, when that fails.
std::string freshSchema(const std::string& name, std::string& why);

// Runs SQL on its own connection, one statement, committed; the rows come back as text.
struct SqlResult {
    odbc::DbResult result;
    std::vector<std::vector<std::string>> rows;
    int64_t affected = 0;
};
SqlResult runSql(const std::string& connection, const std::string& sql, int columns = 0);

// A lot of `adapters` as a station plans it in the range of `rangeCount` addresses from
// `start`: its records would place it at the range's start; a shared ledger places it itself.
inline ledger::LotPlan stationLotPlan(const adapter::MacAddress& start, uint32_t adapters, uint32_t rangeCount) {
    ledger::LotPlan p;
    p.rangeStart = start;
    p.rangeCount = rangeCount;
    p.lotStart = start;
    p.adapters = adapters;
    p.vid = 0x8207;
    p.pid = 0x6514;
    p.detail = "diagnostics 0";
    return p;
}

// The issued lot's adapters as read back: device k at the lot start stepped k - 1 times,
// serial `serialPrefix` followed by k - 1 + `firstSerial`.
inline std::vector<ledger::ShippedAdapter> readBackLot(const ledger::IssueResult& issued, uint32_t adapters,
                                                       std::string_view serialPrefix, uint32_t firstSerial) {
    std::vector<ledger::ShippedAdapter> out;
    for (uint32_t k = 0; k < adapters; ++k)
        out.push_back({k + 1, adapter::stepAddress(issued.lotStart, k),
                       std::string(serialPrefix) + std::to_string(k + firstSerial)});
    return out;
}

}  // namespace lt::test
