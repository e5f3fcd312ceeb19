// test_database.h: the tests' PostgreSQL server: its connection string, a fresh schema per test, and direct SQL behind the ledger's back.
//
// The test command starts the server (scripts/test-database.sh, a ctest fixture) and names
// its folder in LT_TEST_DATABASE; the folder's connection.txt holds the connection string.
// A test that needs the server and finds none fails: it never skips.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "odbc/odbc_database.h"

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

}  // namespace lt::test
