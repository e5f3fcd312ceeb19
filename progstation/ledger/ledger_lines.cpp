// ledger_lines.cpp: writing and reading the ledger's CSV lines, and its UTC times.
#include "progstation/ledger/ledger_lines.h"

#include <array>
#include <charconv>
#include <cstdio>

#include "common/adapter/hex_digits.h"

namespace lt::ledger {

namespace {

using adapter::hexDigitValue;
using adapter::isHexDigit;

enum Column : std::size_t {
    kTime, kStation, kEvent, kLot, kDevice, kMac, kSerial, kVid, kPid, kRangeStart, kRangeCount, kDetail
};

constexpr std::array<std::string_view, kColumns> kColumnNames = {
    "time", "station", "event", "lot", "device", "mac", "serial", "vid", "pid", "range_start", "range_count", "detail"};

constexpr std::array<std::string_view, 4> kEventNames = {"issued", "shipped", "void", "reissued"};

// '0' stands for a decimal digit, 'H' for a hexadecimal one; other characters stand for themselves.
constexpr std::string_view kTimeShape = "0000-00-00T00:00:00Z";
constexpr std::string_view kMacShape = "HH-HH-HH-HH-HH-HH";

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// True when `text` is `shape` or its beginning.
bool fitsShape(std::string_view text, std::string_view shape) {
    if (text.size() > shape.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char s = shape[i], c = text[i];
        if (s == '0' ? !isDigit(c) : s == 'H' ? !isHexDigit(c) : c != s) return false;
    }
    return true;
}

bool allDigits(std::string_view text) {
    for (char c : text)
        if (!isDigit(c)) return false;
    return true;
}

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void civilFromDays(int64_t z, int64_t& y, unsigned& m, unsigned& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<int64_t>(yoe) + era * 400 + (m <= 2);
}

unsigned daysInMonth(int64_t y, unsigned m) {
    static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m == 2 && leap ? 29 : kDays[m - 1];
}

constexpr int64_t kFirstTime = 0;                  // 1970-01-01T00:00:00Z
constexpr int64_t kLastTime = 253402300799;        // 9999-12-31T23:59:59Z

template <typename T>
bool parseDecimal(std::string_view text, T& out) {
    if (text.empty() || !allDigits(text)) return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size();
}

bool parseMac(std::string_view text, adapter::MacAddress& out) {
    if (text.size() != kMacShape.size() || !fitsShape(text, kMacShape)) return false;
    for (std::size_t i = 0; i < 6; ++i)
        out[i] = static_cast<uint8_t>(hexDigitValue(text[3 * i]) * 16 + hexDigitValue(text[3 * i + 1]));
    return true;
}

bool parseHex4(std::string_view text, uint16_t& out) {
    if (text.size() != 4) return false;
    unsigned v = 0;
    for (char c : text) {
        if (!isHexDigit(c)) return false;
        v = v * 16 + static_cast<unsigned>(hexDigitValue(c));
    }
    out = static_cast<uint16_t>(v);
    return true;
}

// A whole field: parsed into `record`.
bool readField(std::size_t column, std::string_view text, Record& record) {
    switch (column) {
    case kTime: {
        const auto t = parseTime(text);
        if (!t) return false;
        record.time = *t;
        return true;
    }
    case kStation: record.station.assign(text); return true;
    case kEvent:
        for (std::size_t e = 0; e < kEventNames.size(); ++e)
            if (text == kEventNames[e]) {
                record.event = static_cast<Event>(e);
                return true;
            }
        return false;
    case kLot: return parseDecimal(text, record.lot);
    case kDevice: return parseDecimal(text, record.device);
    case kMac: return parseMac(text, record.mac);
    case kSerial: record.serial.assign(text); return true;
    case kVid: return parseHex4(text, record.vid);
    case kPid: return parseHex4(text, record.pid);
    case kRangeStart: return parseMac(text, record.rangeStart);
    case kRangeCount: return parseDecimal(text, record.rangeCount);
    default: record.detail.assign(text); return true;
    }
}

// The beginning of a field, as a stop while appending leaves it.
bool fieldBeginning(std::size_t column, std::string_view text) {
    switch (column) {
    case kTime: return fitsShape(text, kTimeShape);
    case kEvent:
        for (std::string_view name : kEventNames)
            if (name.starts_with(text)) return true;
        return false;
    case kLot:
    case kDevice:
    case kRangeCount: return allDigits(text);
    case kMac:
    case kRangeStart: return fitsShape(text, kMacShape);
    case kVid:
    case kPid: return fitsShape(text, "HHHH");
    default: return true;  // station, serial, detail: free text
    }
}

std::string quoted(std::string_view text) {
    constexpr std::size_t kShown = 40;
    std::string out = "\"";
    out.append(text.substr(0, kShown));
    if (text.size() > kShown) out += "...";
    return out + "\"";
}

void appendField(std::string& out, std::string_view text) {
    bool quote = false;
    for (char c : text)
        if (c == ',' || c == '"') quote = true;
    if (quote) out += '"';
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) c = ' ';
        if (c == '"' && quote) out += '"';
        out += c;
    }
    if (quote) out += '"';
}

void appendMac(std::string& out, const adapter::MacAddress& mac) { out += adapter::formatUpper(mac); }

void appendHex4(std::string& out, uint16_t value) {
    char text[5];
    std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(value));
    out += text;
}

template <typename T>
void appendNumber(std::string& out, T value) {
    char text[24];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, value);
    out.append(text, end);
}

}  // namespace

std::string_view eventName(Event event) { return kEventNames[static_cast<std::size_t>(event)]; }

std::string formatTime(int64_t utcSeconds) {
    const int64_t t = utcSeconds < kFirstTime ? kFirstTime : utcSeconds > kLastTime ? kLastTime : utcSeconds;
    const int64_t days = t / 86400, secs = t % 86400;
    int64_t y;
    unsigned m, d;
    civilFromDays(days, y, m, d);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(y), m, d,
                  static_cast<int>(secs / 3600), static_cast<int>(secs / 60 % 60), static_cast<int>(secs % 60));
    return text;
}

std::optional<int64_t> parseTime(std::string_view text) {
    if (text.size() != kTimeShape.size() || !fitsShape(text, kTimeShape)) return std::nullopt;
    auto num = [&](std::size_t at, std::size_t len) {
        int v = 0;
        for (std::size_t i = at; i < at + len; ++i) v = v * 10 + (text[i] - '0');
        return v;
    };
    const int year = num(0, 4), month = num(5, 2), day = num(8, 2);
    const int hour = num(11, 2), minute = num(14, 2), second = num(17, 2);
    if (year < 1970 || month < 1 || month > 12 || day < 1 ||
        static_cast<unsigned>(day) > daysInMonth(year, static_cast<unsigned>(month)) || hour > 23 || minute > 59 ||
        second > 59)
        return std::nullopt;
    return daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) * 86400 + hour * 3600 +
           minute * 60 + second;
}

void appendLine(std::string& out, const Record& r) {
    out += formatTime(r.time);
    out += ',';
    appendField(out, r.station);
    out += ',';
    out += eventName(r.event);
    out += ',';
    appendNumber(out, r.lot);
    out += ',';
    appendNumber(out, r.device);
    out += ',';
    appendMac(out, r.mac);
    out += ',';
    appendField(out, r.serial);
    out += ',';
    appendHex4(out, r.vid);
    out += ',';
    appendHex4(out, r.pid);
    out += ',';
    appendMac(out, r.rangeStart);
    out += ',';
    appendNumber(out, r.rangeCount);
    out += ',';
    appendField(out, r.detail);
    out += "\r\n";
}

LineKind readLine(std::string_view line, Record& record, std::string& problem) {
    // A lost write leaves NUL bytes at the end of what was appended; anywhere else they are damage.
    bool nulTail = false;
    if (const auto nul = line.find('\0'); nul != std::string_view::npos) {
        if (line.find_first_not_of('\0', nul) != std::string_view::npos) {
            problem = "NUL bytes inside the line";
            return LineKind::Damaged;
        }
        line = line.substr(0, nul);
        nulTail = true;
    }
    if (line.empty()) return nulTail ? LineKind::CutShort : LineKind::Blank;

    std::array<std::string_view, kColumns> fields;
    std::array<std::string, kColumns> unquoted;  // room for the quoted fields' values
    std::size_t count = 0;
    bool openQuote = false;  // the line ends inside a quoted field
    std::size_t at = 0;
    for (;;) {
        if (count == kColumns) {
            problem = "more than " + std::to_string(kColumns) + " fields";
            return LineKind::Damaged;
        }
        std::string_view value;
        if (at < line.size() && line[at] == '"') {
            std::string& text = unquoted[count];
            std::size_t i = at + 1;
            for (;;) {
                const auto q = line.find('"', i);
                if (q == std::string_view::npos) {
                    text.append(line.substr(i));
                    openQuote = true;
                    at = line.size();
                    break;
                }
                text.append(line.substr(i, q - i));
                if (q + 1 < line.size() && line[q + 1] == '"') {
                    text += '"';
                    i = q + 2;
                    continue;
                }
                at = q + 1;
                if (at < line.size() && line[at] != ',') {
                    problem = "text after the closing quote of field " + std::string(kColumnNames[count]);
                    return LineKind::Damaged;
                }
                break;
            }
            value = text;
        } else {
            const auto comma = line.find(',', at);
            const auto end = comma == std::string_view::npos ? line.size() : comma;
            value = line.substr(at, end - at);
            if (value.find('"') != std::string_view::npos) {
                problem = "a double quote inside the unquoted field " + std::string(kColumnNames[count]);
                return LineKind::Damaged;
            }
            at = end;
        }
        fields[count++] = value;
        if (openQuote || at >= line.size()) break;
        ++at;  // past the comma: another field follows, empty if the line ends here
    }

    // Every field before the last is whole; the last is whole only in a line of twelve.
    for (std::size_t c = 0; c + 1 < count; ++c)
        if (!readField(c, fields[c], record)) {
            problem = (c == kEvent ? "unknown event " : "bad " + std::string(kColumnNames[c]) + " ") + quoted(fields[c]);
            return LineKind::Damaged;
        }
    const std::size_t last = count - 1;
    if (count == kColumns) {
        // The detail is free text: a line cut inside it has lost only the detail's end.
        readField(last, fields[last], record);
        return LineKind::Record;
    }
    if (fieldBeginning(last, fields[last])) return LineKind::CutShort;
    problem = (last == kEvent ? "unknown event " : "bad " + std::string(kColumnNames[last]) + " ") +
              quoted(fields[last]);
    return LineKind::Damaged;
}

}  // namespace lt::ledger
