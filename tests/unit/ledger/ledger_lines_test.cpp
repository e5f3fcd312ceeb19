// ledger_lines_test.cpp: the ledger's line format: each event's line, quoting, times, and reading lines back (whole, cut short, damaged).
#include "progstation/ledger/ledger_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace lt;
using namespace lt::ledger;

namespace {

constexpr adapter::MacAddress kStart = {0x00, 0x1b, 0x4e, 0x7a, 0x01, 0x00};

Record sample(Event event) {
    Record r;
    r.time = 1714557600;  // 2024-05-01T10:00:00Z
    r.station = "LINE-1";
    r.event = event;
    r.lot = 42;
    r.device = 3;
    r.mac = {0x00, 0x1b, 0x4e, 0x7a, 0x01, 0x0a};
    r.vid = 0x8207;
    r.pid = 0x6514;
    r.rangeStart = kStart;
    r.rangeCount = 1000;
    return r;
}

std::string lineOf(const Record& r) {
    std::string out;
    appendLine(out, r);
    return out;
}

}  // namespace

TEST(LedgerLines, headerNamesTheTwelveColumnsInOrder) {
    EXPECT_EQ(kHeader, "time,station,event,lot,device,mac,serial,vid,pid,range_start,range_count,detail");
    EXPECT_EQ(kLedgerFileName, "AddressLedger.csv");
}

TEST(LedgerLines, eachEventIsWrittenAsOneCrLfLineInTheHeadersOrder) {
    struct Case {
        Event event;
        std::string serial, detail, expected;
    };
    const std::vector<Case> cases = {
        {Event::Issued, "", "diagnostics 0",
         "2024-05-01T10:00:00Z,LINE-1,issued,42,3,00-1B-4E-7A-01-0A,,8207,6514,00-1B-4E-7A-01-00,1000,diagnostics 0\r\n"},
        {Event::Shipped, "001B4E7A010A", "",
         "2024-05-01T10:00:00Z,LINE-1,shipped,42,3,00-1B-4E-7A-01-0A,001B4E7A010A,8207,6514,00-1B-4E-7A-01-00,1000,\r\n"},
        {Event::Void, "", "interrupted",
         "2024-05-01T10:00:00Z,LINE-1,void,42,3,00-1B-4E-7A-01-0A,,8207,6514,00-1B-4E-7A-01-00,1000,interrupted\r\n"},
        {Event::Reissued, "", "operator opusr",
         "2024-05-01T10:00:00Z,LINE-1,reissued,42,3,00-1B-4E-7A-01-0A,,8207,6514,00-1B-4E-7A-01-00,1000,operator opusr\r\n"},
    };
    for (const Case& c : cases) {
        Record r = sample(c.event);
        r.serial = c.serial;
        r.detail = c.detail;
        EXPECT_EQ(lineOf(r), c.expected);
    }
}

TEST(LedgerLines, identifiersAreFourUpperCaseDigitsAndTheCountDecimal) {
    Record r = sample(Event::Issued);
    r.vid = 0x0a;
    r.pid = 0xbeef;
    r.rangeCount = 7;
    EXPECT_EQ(lineOf(r), "2024-05-01T10:00:00Z,LINE-1,issued,42,3,00-1B-4E-7A-01-0A,,000A,BEEF,00-1B-4E-7A-01-00,7,\r\n");
}

TEST(LedgerLines, textFieldsWithCommasOrQuotesAreQuotedAndControlCharactersBecomeBlanks) {
    struct Case {
        std::string detail, written;
    };
    const std::vector<Case> cases = {
        {"refused, range", "\"refused, range\""},
        {"the \"Retry\" answer", "\"the \"\"Retry\"\" answer\""},
        {"two\r\nlines\tand a tab", "two  lines and a tab"},
        {"\"", "\"\"\"\""},
    };
    for (const Case& c : cases) {
        Record r = sample(Event::Void);
        r.detail = c.detail;
        r.station = "LINE,2";
        const std::string line = lineOf(r);
        EXPECT_EQ(line, "2024-05-01T10:00:00Z,\"LINE,2\",void,42,3,00-1B-4E-7A-01-0A,,8207,6514,00-1B-4E-7A-01-00,1000," +
                            c.written + "\r\n");
        Record back;
        std::string problem;
        ASSERT_EQ(readLine(std::string_view(line).substr(0, line.size() - 2), back, problem), LineKind::Record)
            << problem;
        EXPECT_EQ(back.station, "LINE,2");
        std::string expected = c.detail;
        for (char& ch : expected)
            if (static_cast<unsigned char>(ch) < 0x20) ch = ' ';
        EXPECT_EQ(back.detail, expected);
    }
}

TEST(LedgerLines, timesAreUtcToTheSecondWithZ) {
    EXPECT_EQ(formatTime(0), "1970-01-01T00:00:00Z");
    EXPECT_EQ(formatTime(951782400), "2000-02-29T00:00:00Z");
    EXPECT_EQ(formatTime(1714557600 + 3599), "2024-05-01T10:59:59Z");
    EXPECT_EQ(formatTime(253402300799), "9999-12-31T23:59:59Z");
    for (int64_t t : {int64_t(0), int64_t(951782400), int64_t(1714557600), int64_t(4102444799)})
        EXPECT_EQ(parseTime(formatTime(t)), t);
    for (const char* bad : {"2023-02-29T00:00:00Z", "2024-13-01T00:00:00Z", "2024-04-31T00:00:00Z",
                            "2024-05-01T24:00:00Z", "2024-05-01T10:60:00Z", "2024-05-01T10:00:60Z",
                            "2024-05-01 10:00:00Z", "2024-05-01T10:00:00", "1969-12-31T23:59:59Z"})
        EXPECT_EQ(parseTime(bad), std::nullopt) << bad;
}

TEST(LedgerLines, aWrittenLineReadsBackAsTheSameRecord) {
    Record r = sample(Event::Shipped);
    r.serial = "001B4E7A010A";
    r.detail = "a, \"b\"";
    r.lot = 18446744073709551615u;
    r.device = 4294967295u;
    const std::string line = lineOf(r);
    Record back;
    std::string problem;
    ASSERT_EQ(readLine(std::string_view(line).substr(0, line.size() - 2), back, problem), LineKind::Record);
    EXPECT_EQ(back.time, r.time);
    EXPECT_EQ(back.station, r.station);
    EXPECT_EQ(back.event, r.event);
    EXPECT_EQ(back.lot, r.lot);
    EXPECT_EQ(back.device, r.device);
    EXPECT_EQ(back.mac, r.mac);
    EXPECT_EQ(back.serial, r.serial);
    EXPECT_EQ(back.vid, r.vid);
    EXPECT_EQ(back.pid, r.pid);
    EXPECT_EQ(back.rangeStart, r.rangeStart);
    EXPECT_EQ(back.rangeCount, r.rangeCount);
    EXPECT_EQ(back.detail, r.detail);
}

TEST(LedgerLines, readersTakeLowerCaseDigitsAndQuotedValuesInAnyField) {
    Record back;
    std::string problem;
    ASSERT_EQ(readLine("2024-05-01T10:00:00Z,LINE-1,\"shipped\",\"42\",3,00-1b-4e-7a-01-0a,,82a7,6514,00-1B-4E-7A-01-00,1000,",
                       back, problem),
              LineKind::Record)
        << problem;
    EXPECT_EQ(back.event, Event::Shipped);
    EXPECT_EQ(back.lot, 42u);
    EXPECT_EQ(back.mac[5], 0x0a);
    EXPECT_EQ(back.vid, 0x82a7);
}

// A stop while appending leaves the start of a line: every beginning of a line is either
// cut short or, once all twelve fields have begun, the record with its detail's end lost.
TEST(LedgerLines, everyBeginningOfALineIsCutShortNeverDamaged) {
    Record r = sample(Event::Shipped);
    r.serial = "SER,1";
    r.detail = "diagnostics \"0\", passed";
    const std::string line = lineOf(r);
    const std::size_t body = line.size() - 2;
    const std::size_t detailStarts = line.rfind(",\"diag") + 1;
    for (std::size_t cut = 0; cut <= body; ++cut) {
        Record back;
        std::string problem;
        const LineKind kind = readLine(std::string_view(line).substr(0, cut), back, problem);
        SCOPED_TRACE(line.substr(0, cut));
        if (cut == 0)
            EXPECT_EQ(kind, LineKind::Blank);
        else if (cut < detailStarts)
            EXPECT_EQ(kind, LineKind::CutShort) << problem;
        else
            EXPECT_EQ(kind, LineKind::Record) << problem;
        // The same beginning followed by the NUL bytes of a lost write.
        if (cut < detailStarts) {
            EXPECT_EQ(readLine(line.substr(0, cut) + std::string(5, '\0'), back, problem), LineKind::CutShort);
        }
    }
}

TEST(LedgerLines, linesThatAreNotRecordsOrTheirBeginningsAreDamagedWithTheReason) {
    struct Case {
        std::string line, problem;
    };
    const std::string good = "2024-05-01T10:00:00Z,LINE-1,shipped,42,3,00-1B-4E-7A-01-0A,,8207,6514,00-1B-4E-7A-01-00,1000,x";
    const std::vector<Case> cases = {
        {"2024-05-01T10:00:00Z,LINE-1,shiped,42,3,00-1B-4E-7A-01-0A,,8207,6514,00-1B-4E-7A-01-00,1000,",
         "unknown event \"shiped\""},
        {"2024-05-01T10:00:00Z,LINE-1,shipped,42,3,00-1B-4E-7A-01,,8207,6514,00-1B-4E-7A-01-00,1000,",
         "bad mac \"00-1B-4E-7A-01\""},
        {"2024-05-01T10:00:00Z,LINE-1,shipped,4x,3", "bad lot \"4x\""},
        {"2024-02-30T10:00:00Z,LINE-1,shipped", "bad time \"2024-02-30T10:00:00Z\""},
        {"2024-05-01T10:00:00Z,LINE-1,shipped,42,3,00-1B-4E-7A-01-0A,,820,6514", "bad vid \"820\""},
        {"2024-05-01X", "bad time \"2024-05-01X\""},
        {"shipped,42", "bad time \"shipped\""},
        {good + ",extra", "more than 12 fields"},
        {"2024-05-01T10:00:00Z,LI\"NE,shipped", "a double quote inside the unquoted field station"},
        {"2024-05-01T10:00:00Z,\"LINE\"1,shipped", "text after the closing quote of field station"},
        {good.substr(0, 30) + std::string(1, '\0') + "x", "NUL bytes inside the line"},
    };
    for (const Case& c : cases) {
        Record back;
        std::string problem;
        EXPECT_EQ(readLine(c.line, back, problem), LineKind::Damaged) << c.line;
        EXPECT_EQ(problem, c.problem) << c.line;
    }
}
