// ledger_lines.h: the lines of AddressLedger.csv: the header, the events, writing one record and reading a line back.
//
// A line is one record of twelve comma-separated fields in the header's order, ended by
// CR LF. `time` is UTC in ISO 8601 to the second with "Z"; `mac` and `range_start` are
// six upper-case two-digit bytes joined by hyphens; `vid` and `pid` four upper-case
// hexadecimal digits; `lot`, `device` and `range_count` decimal. A field holding a comma
// or a double quote is written in double quotes with its quotes doubled; control
// characters (CR and LF among them) are written as blanks, so a record never spans lines.
// Readers take a quoted value in any field, hexadecimal digits of either case, and a
// line ended by LF alone.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/adapter/mac_address.h"

namespace lt::ledger {

inline constexpr std::string_view kLedgerFileName = "AddressLedger.csv";
inline constexpr std::string_view kHeader =
    "time,station,event,lot,device,mac,serial,vid,pid,range_start,range_count,detail";
inline constexpr std::size_t kColumns = 12;

enum class Event : uint8_t { Issued, Shipped, Void, Reissued };

// "issued", "shipped", "void", "reissued".
std::string_view eventName(Event event);

struct Record {
    int64_t time = 0;  // seconds since 1970-01-01T00:00:00Z
    std::string station;
    Event event = Event::Issued;
    uint64_t lot = 0;
    uint32_t device = 0;
    adapter::MacAddress mac{};
    std::string serial;
    uint16_t vid = 0;
    uint16_t pid = 0;
    adapter::MacAddress rangeStart{};
    uint32_t rangeCount = 0;
    std::string detail;
};

// Appends the record's line, CR LF included.
void appendLine(std::string& out, const Record& record);

// "2024-05-01T10:00:00Z". Times before 1970 or after 9999 are written as the nearest of the two.
std::string formatTime(int64_t utcSeconds);
// The inverse of formatTime for exactly that form (a real date and time of day); nothing otherwise.
std::optional<int64_t> parseTime(std::string_view text);

// What one line of the file (its LF and one CR before it removed) is.
enum class LineKind : uint8_t {
    Record,    // a whole record, in `record`
    Blank,     // an empty line
    CutShort,  // the start of a record cut short by a stop while it was appended (possibly
               // followed by NUL bytes, as a lost write leaves them): not a record
    Damaged,   // anything else; `problem` says what
};

// Reads one line. `record` is filled for LineKind::Record (and may be changed otherwise);
// `problem` is set for LineKind::Damaged. Reusing one record across lines keeps its
// strings' room, so reading a large file allocates little.
LineKind readLine(std::string_view line, Record& record, std::string& problem);

}  // namespace lt::ledger
