// odbc_database.h: a connection to a database server through ODBC: connect, run statements with parameters, read rows, end transactions.
//
// This folder is, besides win32/, the one place that includes platform and ODBC headers;
// this header includes neither, so portable code (the shared ledger) uses it as it stands.
// Natively it runs on unixODBC, in the Windows build on odbc32 (under Wine 8 odbc32 hands
// every call to the host's unixODBC). Only the W-suffixed or unsuffixed functions are
// called: Wine 8's SQLDriverConnectA and SQLExecDirectA are stubs that end the process.
//
// Text goes both ways as UTF-16 (SQL_C_WCHAR). Strings given to this class are taken as
// UTF-8 where they are valid UTF-8 and byte by byte as Latin-1 where they are not, so
// ASCII passes unchanged and no input is refused; text read back is UTF-8.
// Nothing is thrown: every call returns a DbResult.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lt::odbc {

// What a failed call reports: the first diagnostic record (SQLGetDiagRecW).
struct DbResult {
    bool ok = true;
    std::string sqlState;     // five characters, e.g. "08001" (connection), "23505" (unique violation)
    int32_t nativeError = 0;  // the driver's own error number
    std::string message;      // the driver's and the server's text

    // The connection cannot be used any more (SQLSTATE class 08, the server shutting down
    // (57P0x), or the driver reporting that it has no connection): reconnect before the next call.
    bool connectionLost() const;
    // A unique or exclusion constraint refused a row (23505, 23P01).
    bool uniqueViolation() const;
    // The transaction lost to another one (serialization failure 40001, deadlock 40P01): run it again.
    bool retryable() const;
    // "[08001] could not connect to server: Connection refused", for a message.
    std::string describe() const;
};

// One statement parameter: a 64-bit integer or a text.
class Param {
public:
    static Param integer(int64_t value);
    static Param text(std::string_view value);

    enum class Kind : uint8_t { Integer, Text };
    Kind kind() const { return kind_; }
    int64_t integerValue() const { return integer_; }
    const std::string& textValue() const { return text_; }

private:
    Kind kind_ = Kind::Integer;
    int64_t integer_ = 0;
    std::string text_;
};

// The current row of a result, read column by column (1-based, in any order, each once).
class Row {
public:
    virtual ~Row() = default;
    // Nothing for NULL; a column that cannot be read as asked ends the statement with a failure.
    virtual std::optional<int64_t> integer(int column) = 0;
    virtual std::optional<std::string> text(int column) = 0;
};

class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Connects with SQLDriverConnectW, no prompt ("DSN=...", or "Driver={...};Server=...;..."),
    // with automatic commits off: every statement runs in a transaction that only commit()
    // or rollback() ends. Closes any connection held before. `loginTimeoutSeconds`: how long
    // to wait for the server.
    DbResult open(std::string_view connectionString, uint32_t loginTimeoutSeconds);
    // Disconnects (an open transaction is rolled back by the server) and frees every handle.
    void close();
    bool isOpen() const;

    // Runs one statement: prepared once per connection (SQLPrepareW) and executed with its
    // parameters bound (SQLBindParameter, SQLExecute). `row` is called for each row of the
    // result; `affected` receives the rows changed (SQLRowCount). A statement that changes
    // no row is no failure.
    DbResult run(std::string_view sql, std::initializer_list<Param> params = {},
                 const std::function<void(Row&)>& row = {}, int64_t* affected = nullptr);
    DbResult run(std::string_view sql, const std::vector<Param>& params,
                 const std::function<void(Row&)>& row = {}, int64_t* affected = nullptr);
    // Runs statements that take no parameters and return no rows once (SQLExecDirectW),
    // e.g. the statements that create tables.
    DbResult runOnce(std::string_view sql);

    DbResult commit();
    DbResult rollback();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace lt::odbc
