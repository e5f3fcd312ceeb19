// test_database.cpp: finding the tests' PostgreSQL server and making a schema of each test's own on it.
#include "tests/database/test_database.h"

#include <cstdlib>
#include <fstream>

namespace lt::test {

std::optional<std::string> testServer(std::string& why) {
    const char* dir = std::getenv("LT_TEST_DATABASE");
    if (!dir || !*dir) {
        why = "LT_TEST_DATABASE does not name the test server's folder (scripts/test-database.sh start DIR)";
        return std::nullopt;
    }
    std::ifstream in(std::string(dir) + "/connection.txt");
    std::string line;
    if (!in || !std::getline(in, line) || line.empty()) {
        why = std::string("no test server: ") + dir + "/connection.txt is missing or empty";
        return std::nullopt;
    }
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    return line;
}

std::string freshSchema(const std::string& name, std::string& why) {
    const auto server = testServer(why);
    if (!server) return "";
    odbc::Connection admin;
    odbc::DbResult r = admin.open(*server, 10);
    if (r.ok) r = admin.runOnce("DROP SCHEMA IF EXISTS " + name + " CASCADE");
    if (r.ok) r = admin.runOnce("CREATE SCHEMA " + name);
    if (r.ok) r = admin.commit();
    if (!r.ok) {
        why = "cannot make the schema " + name + ": " + r.describe();
        return "";
    }
    return *server + ";ConnSettings=SET search_path TO " + name;
}

SqlResult runSql(const std::string& connection, const std::string& sql, int columns) {
    SqlResult out;
    odbc::Connection db;
    out.result = db.open(connection, 10);
    if (!out.result.ok) return out;
    out.result = db.run(sql, {}, [&](odbc::Row& row) {
        std::vector<std::string> values;
        for (int c = 1; c <= columns; ++c) values.push_back(row.text(c).value_or("NULL"));
        out.rows.push_back(std::move(values));
    }, &out.affected);
    if (out.result.ok) out.result = db.commit();
    return out;
}

}  // namespace lt::test
