// odbc_database.cpp: the ODBC calls behind Connection: handles, UTF-16 text, prepared statements, parameters, rows and diagnostics.
//
// The only ODBC functions called (each exercised under Wine by the shared ledger's Wine
// test): SQLAllocHandle, SQLSetEnvAttr, SQLSetConnectAttrW, SQLDriverConnectW,
// SQLPrepareW, SQLBindParameter, SQLExecute, SQLExecDirectW, SQLRowCount, SQLFetch,
// SQLGetData, SQLFreeStmt, SQLEndTran, SQLGetDiagRecW, SQLDisconnect, SQLFreeHandle.
#include "odbc/odbc_database.h"

#ifdef _WIN32
#include <windows.h>  // mingw's sql.h needs its types first
#endif
#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cstdint>
#include <unordered_map>

namespace lt::odbc {

namespace {

using WText = std::basic_string<SQLWCHAR>;

// UTF-8 where valid, otherwise the byte as a Latin-1 character; to UTF-16.
WText widen(std::string_view s) {
    WText out;
    out.reserve(s.size());
    auto put = [&](uint32_t cp) {
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(SQLWCHAR(0xD800 + (cp >> 10)));
            out.push_back(SQLWCHAR(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(SQLWCHAR(cp));
        }
    };
    for (std::size_t i = 0; i < s.size();) {
        const auto b = uint8_t(s[i]);
        // The continuation bytes a lead byte announces (0: ASCII, or no lead byte).
        const std::size_t extra = b >= 0xF0 && b <= 0xF4 ? 3 : b >= 0xE0 && b < 0xF0 ? 2 : b >= 0xC2 && b < 0xE0 ? 1 : 0;
        bool valid = extra > 0 && i + extra < s.size();
        uint32_t cp = 0;
        if (valid) {
            cp = b & (0x3F >> extra);
            for (std::size_t k = 1; k <= extra; ++k) {
                const auto c = uint8_t(s[i + k]);
                if ((c & 0xC0) != 0x80) {
                    valid = false;
                    break;
                }
                cp = cp << 6 | (c & 0x3F);
            }
            // Overlong forms, surrogates and code points past U+10FFFF are not UTF-8.
            const uint32_t least = extra == 1 ? 0x80 : extra == 2 ? 0x800 : 0x10000;
            if (valid && (cp < least || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)) valid = false;
        }
        if (valid) {
            put(cp);
            i += extra + 1;
        } else {
            put(b);  // ASCII, or a byte of no UTF-8 sequence taken as Latin-1
            ++i;
        }
    }
    return out;
}

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string narrow(const SQLWCHAR* p, std::size_t n) {
    std::string out;
    out.reserve(n);
    auto put = [&](uint32_t cp) {
        if (cp < 0x80) {
            out.push_back(char(cp));
        } else if (cp < 0x800) {
            out.push_back(char(0xC0 | cp >> 6));
            out.push_back(char(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(char(0xE0 | cp >> 12));
            out.push_back(char(0x80 | (cp >> 6 & 0x3F)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(char(0xF0 | cp >> 18));
            out.push_back(char(0x80 | (cp >> 12 & 0x3F)));
            out.push_back(char(0x80 | (cp >> 6 & 0x3F)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        }
    };
    for (std::size_t i = 0; i < n; ++i) {
        const uint32_t u = p[i];
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < n && p[i + 1] >= 0xDC00 && p[i + 1] < 0xE000) {
            put(0x10000 + ((u - 0xD800) << 10) + (p[i + 1] - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u < 0xE000) {
            put(0xFFFD);
        } else {
            put(u);
        }
    }
    return out;
}

DbResult failure(std::string state, std::string message) {
    DbResult r;
    r.ok = false;
    r.sqlState = std::move(state);
    r.message = std::move(message);
    return r;
}

// The first diagnostic record of a handle after a failed call.
DbResult diagnose(SQLSMALLINT type, SQLHANDLE handle, SQLRETURN rc, const char* what) {
    if (rc == SQL_INVALID_HANDLE) return failure("HY000", std::string(what) + ": invalid handle");
    SQLWCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLWCHAR text[1024];
    SQLSMALLINT length = 0;
    const SQLRETURN got = SQLGetDiagRecW(type, handle, 1, state, &native, text, SQLSMALLINT(std::size(text)), &length);
    if (!SQL_SUCCEEDED(got)) return failure("HY000", std::string(what) + " failed without a diagnostic");
    DbResult r = failure(narrow(state, 5), narrow(text, std::min<std::size_t>(std::max<SQLSMALLINT>(length, 0),
                                                                                    std::size(text) - 1)));
    r.nativeError = native;
    // One line: psqlODBC joins its own text and the server's with line ends.
    while (!r.message.empty() && (r.message.back() == '\n' || r.message.back() == ' ')) r.message.pop_back();
    std::replace(r.message.begin(), r.message.end(), '\n', ' ');
    return r;
}

class StatementRow final : public Row {
public:
    explicit StatementRow(SQLHSTMT stmt) : stmt_(stmt) {}

    std::optional<int64_t> integer(int column) override {
        if (!result.ok) return std::nullopt;
        SQLBIGINT value = 0;
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(stmt_, SQLUSMALLINT(column), SQL_C_SBIGINT, &value, 0, &indicator);
        if (!SQL_SUCCEEDED(rc)) {
            result = diagnose(SQL_HANDLE_STMT, stmt_, rc, "SQLGetData");
            return std::nullopt;
        }
        if (indicator == SQL_NULL_DATA) return std::nullopt;
        return int64_t(value);
    }

    std::optional<std::string> text(int column) override {
        if (!result.ok) return std::nullopt;
        WText all;
        SQLWCHAR piece[512];
        for (;;) {
            SQLLEN indicator = 0;
            const SQLRETURN rc = SQLGetData(stmt_, SQLUSMALLINT(column), SQL_C_WCHAR, piece, sizeof piece, &indicator);
            if (rc == SQL_NO_DATA) break;  // the whole value was read by the calls before
            if (!SQL_SUCCEEDED(rc)) {
                result = diagnose(SQL_HANDLE_STMT, stmt_, rc, "SQLGetData");
                return std::nullopt;
            }
            if (indicator == SQL_NULL_DATA) return std::nullopt;
            const std::size_t room = std::size(piece) - 1;  // one character is the terminating zero
            const std::size_t chars =
                indicator == SQL_NO_TOTAL || std::size_t(indicator) / sizeof(SQLWCHAR) > room
                    ? room
                    : std::size_t(indicator) / sizeof(SQLWCHAR);
            all.append(piece, chars);
            if (rc == SQL_SUCCESS) break;  // SQL_SUCCESS_WITH_INFO: truncated, more to come
        }
        return narrow(all.data(), all.size());
    }

    DbResult result;

private:
    SQLHSTMT stmt_;
};

}  // namespace

bool DbResult::connectionLost() const {
    if (ok) return false;
    if (sqlState.starts_with("08") || sqlState.starts_with("57P0")) return true;
    // psqlODBC reports a connection the server dropped under general states.
    for (const char* sign : {"connection has been lost", "no connection to the server", "server closed the connection",
                             "could not send data", "could not receive data", "terminating connection"})
        if (message.find(sign) != std::string::npos) return true;
    return false;
}

bool DbResult::uniqueViolation() const { return !ok && (sqlState == "23505" || sqlState == "23P01"); }

bool DbResult::retryable() const { return !ok && (sqlState == "40001" || sqlState == "40P01"); }

std::string DbResult::describe() const {
    if (ok) return "no problem";
    return "[" + sqlState + "] " + message;
}

Param Param::integer(int64_t value) {
    Param p;
    p.kind_ = Kind::Integer;
    p.integer_ = value;
    return p;
}

Param Param::text(std::string_view value) {
    Param p;
    p.kind_ = Kind::Text;
    p.text_ = value;
    return p;
}

struct Connection::Impl {
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    bool connected = false;
    std::unordered_map<std::string, SQLHSTMT> prepared;

    void freeStatements() {
        for (auto& [sql, stmt] : prepared) SQLFreeHandle(SQL_HANDLE_STMT, stmt);
        prepared.clear();
    }
    void freeAll() {
        freeStatements();
        if (dbc != SQL_NULL_HDBC) {
            if (connected) SQLDisconnect(dbc);
            SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        }
        if (env != SQL_NULL_HENV) SQLFreeHandle(SQL_HANDLE_ENV, env);
        dbc = SQL_NULL_HDBC;
        env = SQL_NULL_HENV;
        connected = false;
    }
};

Connection::Connection() : impl_(std::make_unique<Impl>()) {}

Connection::~Connection() { impl_->freeAll(); }

bool Connection::isOpen() const { return impl_->connected; }

void Connection::close() { impl_->freeAll(); }

DbResult Connection::open(std::string_view connectionString, uint32_t loginTimeoutSeconds) {
    Impl& m = *impl_;
    m.freeAll();
    SQLRETURN rc = SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &m.env);
    if (!SQL_SUCCEEDED(rc)) {
        m.env = SQL_NULL_HENV;
        return failure("HY001", "the ODBC driver manager cannot be used (SQLAllocHandle failed)");
    }
    rc = SQLSetEnvAttr(m.env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(uintptr_t(SQL_OV_ODBC3)), 0);
    if (!SQL_SUCCEEDED(rc)) {
        DbResult r = diagnose(SQL_HANDLE_ENV, m.env, rc, "SQLSetEnvAttr");
        m.freeAll();
        return r;
    }
    rc = SQLAllocHandle(SQL_HANDLE_DBC, m.env, &m.dbc);
    if (!SQL_SUCCEEDED(rc)) {
        DbResult r = diagnose(SQL_HANDLE_ENV, m.env, rc, "SQLAllocHandle");
        m.dbc = SQL_NULL_HDBC;
        m.freeAll();
        return r;
    }
    rc = SQLSetConnectAttrW(m.dbc, SQL_ATTR_LOGIN_TIMEOUT,
                            reinterpret_cast<SQLPOINTER>(uintptr_t(loginTimeoutSeconds)), SQL_IS_UINTEGER);
    if (!SQL_SUCCEEDED(rc)) {
        DbResult r = diagnose(SQL_HANDLE_DBC, m.dbc, rc, "SQLSetConnectAttrW");
        m.freeAll();
        return r;
    }
    WText text = widen(connectionString);
    SQLWCHAR completed[1024];
    SQLSMALLINT completedLength = 0;
    rc = SQLDriverConnectW(m.dbc, nullptr, text.data(), SQLSMALLINT(text.size()), completed,
                           SQLSMALLINT(std::size(completed)), &completedLength, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc)) {
        DbResult r = diagnose(SQL_HANDLE_DBC, m.dbc, rc, "SQLDriverConnectW");
        m.freeAll();
        return r;
    }
    m.connected = true;
    rc = SQLSetConnectAttrW(m.dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(uintptr_t(SQL_AUTOCOMMIT_OFF)),
                            SQL_IS_UINTEGER);
    if (!SQL_SUCCEEDED(rc)) {
        DbResult r = diagnose(SQL_HANDLE_DBC, m.dbc, rc, "SQLSetConnectAttrW");
        m.freeAll();
        return r;
    }
    return {};
}

DbResult Connection::run(std::string_view sql, std::initializer_list<Param> params,
                         const std::function<void(Row&)>& row, int64_t* affected) {
    return run(sql, std::vector<Param>(params), row, affected);
}

DbResult Connection::run(std::string_view sql, const std::vector<Param>& params,
                         const std::function<void(Row&)>& row, int64_t* affected) {
    Impl& m = *impl_;
    if (affected) *affected = 0;
    if (!m.connected) return failure("08003", "not connected");
    const std::string key(sql);
    auto found = m.prepared.find(key);
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    if (found != m.prepared.end()) {
        stmt = found->second;
    } else {
        SQLRETURN rc = SQLAllocHandle(SQL_HANDLE_STMT, m.dbc, &stmt);
        if (!SQL_SUCCEEDED(rc)) return diagnose(SQL_HANDLE_DBC, m.dbc, rc, "SQLAllocHandle");
        WText text = widen(sql);
        rc = SQLPrepareW(stmt, text.data(), SQLINTEGER(text.size()));
        if (!SQL_SUCCEEDED(rc)) {
            DbResult r = diagnose(SQL_HANDLE_STMT, stmt, rc, "SQLPrepareW");
            SQLFreeHandle(SQL_HANDLE_STMT, stmt);
            return r;
        }
        m.prepared.emplace(key, stmt);
    }

    // The bound buffers must stay where they are until SQLExecute has run.
    std::vector<SQLBIGINT> integers(params.size());
    std::vector<WText> texts(params.size());
    std::vector<SQLLEN> indicators(params.size());
    SQLFreeStmt(stmt, SQL_RESET_PARAMS);
    for (std::size_t i = 0; i < params.size(); ++i) {
        const Param& p = params[i];
        const auto number = SQLUSMALLINT(i + 1);
        SQLRETURN rc = SQL_SUCCESS;
        switch (p.kind()) {
        case Param::Kind::Integer:
            integers[i] = p.integerValue();
            indicators[i] = 0;
            rc = SQLBindParameter(stmt, number, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0, &integers[i], 0,
                                  &indicators[i]);
            break;
        case Param::Kind::Text: {
            texts[i] = widen(p.textValue());
            const std::size_t chars = texts[i].size();
            indicators[i] = SQLLEN(chars * sizeof(SQLWCHAR));
            rc = SQLBindParameter(stmt, number, SQL_PARAM_INPUT, SQL_C_WCHAR,
                                  chars > 4000 ? SQL_WLONGVARCHAR : SQL_WVARCHAR, std::max<std::size_t>(chars, 1), 0,
                                  texts[i].data(), indicators[i], &indicators[i]);
            break;
        }
        }
        if (!SQL_SUCCEEDED(rc)) return diagnose(SQL_HANDLE_STMT, stmt, rc, "SQLBindParameter");
    }

    SQLRETURN rc = SQLExecute(stmt);
    if (rc == SQL_NO_DATA) return {};  // a change of no row
    if (!SQL_SUCCEEDED(rc)) {
        DbResult r = diagnose(SQL_HANDLE_STMT, stmt, rc, "SQLExecute");
        SQLFreeStmt(stmt, SQL_CLOSE);
        return r;
    }
    if (affected) {
        SQLLEN count = 0;
        rc = SQLRowCount(stmt, &count);
        if (!SQL_SUCCEEDED(rc)) {
            DbResult r = diagnose(SQL_HANDLE_STMT, stmt, rc, "SQLRowCount");
            SQLFreeStmt(stmt, SQL_CLOSE);
            return r;
        }
        *affected = count;
    }
    DbResult result;
    if (row) {
        StatementRow current(stmt);
        for (;;) {
            rc = SQLFetch(stmt);
            if (rc == SQL_NO_DATA) break;
            if (!SQL_SUCCEEDED(rc)) {
                result = diagnose(SQL_HANDLE_STMT, stmt, rc, "SQLFetch");
                break;
            }
            row(current);
            if (!current.result.ok) {
                result = current.result;
                break;
            }
        }
    }
    SQLFreeStmt(stmt, SQL_CLOSE);
    return result;
}

DbResult Connection::runOnce(std::string_view sql) {
    Impl& m = *impl_;
    if (!m.connected) return failure("08003", "not connected");
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    SQLRETURN rc = SQLAllocHandle(SQL_HANDLE_STMT, m.dbc, &stmt);
    if (!SQL_SUCCEEDED(rc)) return diagnose(SQL_HANDLE_DBC, m.dbc, rc, "SQLAllocHandle");
    WText text = widen(sql);
    rc = SQLExecDirectW(stmt, text.data(), SQLINTEGER(text.size()));
    DbResult result;
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) result = diagnose(SQL_HANDLE_STMT, stmt, rc, "SQLExecDirectW");
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    return result;
}

DbResult Connection::commit() {
    Impl& m = *impl_;
    if (!m.connected) return failure("08003", "not connected");
    const SQLRETURN rc = SQLEndTran(SQL_HANDLE_DBC, m.dbc, SQL_COMMIT);
    if (!SQL_SUCCEEDED(rc)) return diagnose(SQL_HANDLE_DBC, m.dbc, rc, "SQLEndTran");
    return {};
}

DbResult Connection::rollback() {
    Impl& m = *impl_;
    if (!m.connected) return failure("08003", "not connected");
    const SQLRETURN rc = SQLEndTran(SQL_HANDLE_DBC, m.dbc, SQL_ROLLBACK);
    if (!SQL_SUCCEEDED(rc)) return diagnose(SQL_HANDLE_DBC, m.dbc, rc, "SQLEndTran");
    return {};
}

}  // namespace lt::odbc
