// profile_agreement_test.cpp: the portable profile files and the Win32 private-profile API agree, call for call and byte for byte.
//
// Every case starts both implementations on their own copy of the same file, runs the
// same calls through each and compares every answer and, after every call, the bytes
// of both files.
#include "common/settings/settings_store.h"
#include "portable/file_system_portable.h"
#include "portable/profile_files_portable.h"
#include "tests/support/test_support.h"
#include "win32/file_system_win32.h"
#include "win32/profile_files_win32.h"
#include "win32/system_paths_win32.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

using namespace lt::settings;
using namespace std::string_literals;

namespace {

struct Op {
    enum Kind { ReadString, ReadInt, Write, DeleteKey, DeleteSection, WriteSection } kind;
    std::string section;
    std::string key;
    std::string value;  // the default of a read, the value of a write
    std::size_t size = 0;
    int32_t number = 0;
    std::vector<std::string> lines;
};

Op rs(std::string section, std::string key, std::string def = "DEF", std::size_t size = 100) {
    return {Op::ReadString, std::move(section), std::move(key), std::move(def), size, 0, {}};
}
Op ri(std::string section, std::string key, int32_t def = 77) {
    return {Op::ReadInt, std::move(section), std::move(key), {}, 0, def, {}};
}
Op ws(std::string section, std::string key, std::string value) {
    return {Op::Write, std::move(section), std::move(key), std::move(value), 0, 0, {}};
}
Op dk(std::string section, std::string key) { return {Op::DeleteKey, std::move(section), std::move(key), {}, 0, 0, {}}; }
Op ds(std::string section) { return {Op::DeleteSection, std::move(section), {}, {}, 0, 0, {}}; }
Op wsec(std::string section, std::vector<std::string> lines) {
    return {Op::WriteSection, std::move(section), {}, {}, 0, 0, std::move(lines)};
}

struct Case {
    std::string name;
    std::optional<std::string> initial;  // none: no file
    std::vector<Op> ops;
};

std::string printable(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c >= 0x20 && c < 0x7f && c != '\\') {
            out += char(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        }
    }
    return out;
}

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "<none>";
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void putBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

std::string apply(ProfileFiles& files, const std::string& path, const Op& op) {
    switch (op.kind) {
    case Op::ReadString: return "read '" + printable(files.readString(path, op.section, op.key, op.value, op.size)) + "'";
    case Op::ReadInt: return "int " + std::to_string(files.readInt(path, op.section, op.key, op.number));
    case Op::Write: return files.writeString(path, op.section, op.key, op.value) ? "ok" : "failed";
    case Op::DeleteKey: return files.deleteKey(path, op.section, op.key) ? "ok" : "failed";
    case Op::DeleteSection: return files.deleteSection(path, op.section) ? "ok" : "failed";
    case Op::WriteSection: return files.writeSection(path, op.section, op.lines) ? "ok" : "failed";
    }
    return {};
}

std::string describe(const Op& op) {
    static const char* names[] = {"readString", "readInt", "writeString", "deleteKey", "deleteSection", "writeSection"};
    std::string text = std::string(names[op.kind]) + " [" + printable(op.section) + "] '" + printable(op.key) + "'";
    if (op.kind == Op::ReadString) text += " default '" + printable(op.value) + "' size " + std::to_string(op.size);
    if (op.kind == Op::ReadInt) text += " default " + std::to_string(op.number);
    if (op.kind == Op::Write) text += " = '" + printable(op.value) + "'";
    for (const auto& line : op.lines) text += " | " + printable(line);
    return text;
}

// Runs each case through both implementations, each on its own copy of the file.
void expectAgreement(const std::vector<Case>& cases) {
    lt::win32::ProfileFilesWin32 api;
    PortableProfileFiles portable;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        lt::test::TempDir dir;
        std::filesystem::create_directory(dir.path() / "api");
        std::filesystem::create_directory(dir.path() / "portable");
        const std::string apiPath = (dir.path() / "api" / "test.ini").string();
        const std::string portablePath = (dir.path() / "portable" / "test.ini").string();
        if (c.initial) {
            putBytes(apiPath, *c.initial);
            putBytes(portablePath, *c.initial);
        }
        for (const Op& op : c.ops) {
            SCOPED_TRACE(describe(op));
            const std::string expected = apply(api, apiPath, op);
            const std::string actual = apply(portable, portablePath, op);
            EXPECT_EQ(actual, expected);
            EXPECT_EQ(printable(fileBytes(portablePath)), printable(fileBytes(apiPath)));
        }
    }
}

// One section holding `lines`, CR LF after each.
std::string sectionOf(const std::vector<std::string>& lines) {
    std::string text = "[s]\r\n";
    for (const auto& line : lines) text += line + "\r\n";
    return text;
}

}  // namespace

TEST(ProfileAgreement, integerReadsTakeTheSameNumber) {
    const std::vector<std::string> values = {
        "12", "12abc", "1 2", "1,000", "1e3", "abc", "-", "+7", "-5", "- 5", "+-5", "012", "08", "0x10", "0xAB",
        "0X1f", "0x", "0xg", "0x-5", "0b101", "0B101", "0b2", "0o17", "0o8", "-0b11", "  -0x1F", "4294967295",
        "4294967296", "99999999999", "-2147483649", "0xFFFFFFFF1", "0x100000000", "\"5\"", "'7'", "\" 12\"",
        "\"\x01 5\"", "\"-7\"", "12345678901234567890123456789012345", "\"123456789012345678901234567890\"",
        "\"                              5\"", "", " ", "\"\"", "''", "\"0x1F\"", "\x7f" "5", "\xA0" "5", "0x7fffffff",
        "0x80000000", "-0", "+0x10", "-0o7"};
    std::vector<std::string> lines;
    std::vector<Op> ops;
    for (std::size_t i = 0; i < values.size(); ++i) {
        lines.push_back("k" + std::to_string(i) + "=" + values[i]);
        ops.push_back(ri("s", "k" + std::to_string(i), 77));
        ops.push_back(ri("S", "K" + std::to_string(i), -3));
    }
    lines.push_back("noequals");
    ops.push_back(ri("s", "noequals"));
    ops.push_back(ri("s", "missing", -1));
    ops.push_back(ri("t", "k0", 5));
    expectAgreement({{"many integer values", sectionOf(lines), ops},
                     {"no file", std::nullopt, {ri("s", "k", 9), ri("s", "k", -9)}}});
}

TEST(ProfileAgreement, stringReadsStripTheSameBlanksAndQuotesAndCutAlike) {
    const std::vector<std::string> values = {
        "\"abc\"", "'abc'", "\"abc", "abc\"", "\"a\"b\"", "\" abc \"", "\"\"", "\"", "''", "'", "\"abc'", "'abc\"",
        " \"abc\" ", "a=b", "=v", "v;comment", "\xE9\x81\x8D\xFF", "\"abcdef\"", "abcdef", "'ab'", "\"a\"\""};
    std::vector<std::string> lines;
    std::vector<Op> ops;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::string key = "k" + std::to_string(i);
        lines.push_back(key + "=" + values[i]);
        for (std::size_t size : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 100}) ops.push_back(rs("s", key, "D", size));
    }
    lines.insert(lines.end(), {"  sp  =  v v  ", "\ttab\t=\tv\t", "empty = ", "bare", ";semi=v", "k x=v", "K=upper"});
    for (const char* key : {"sp", "tab", "empty", "bare", ";semi", "k x", "k", " sp ", "\tTAB", "Empty\t", "BARE"})
        ops.push_back(rs("s", key));
    for (const char* def : {"DEF  ", "  DEF", "   ", " ", "", "\"q\"", "'q'", "\"q", "\"q\"  ", "DEFAULT"}) {
        for (std::size_t size : {1, 2, 4, 100}) ops.push_back(rs("s", "missing", def, size));
    }
    std::vector<Op> noFile;
    for (const char* def : {"DEF  ", "   ", "\"q\"", "'q'", "DEFAULT"}) {
        for (std::size_t size : {1, 3, 100}) noFile.push_back(rs("s", "k", def, size));
    }
    expectAgreement({{"values, names and defaults", sectionOf(lines), ops}, {"no file", std::nullopt, noFile}});
}

TEST(ProfileAgreement, filesAreParsedIntoTheSameSectionsAndEntries) {
    auto reads = [](std::vector<std::pair<std::string, std::string>> names) {
        std::vector<Op> ops;
        for (auto& [section, key] : names) {
            ops.push_back(rs(section, key));
            ops.push_back(ri(section, key));
        }
        ops.push_back(ws("s", "added", "1"));
        return ops;
    };
    const std::vector<std::pair<std::string, std::string>> common = {{"s", "k"}, {"", "k"}, {"s", "j"}, {"t", "x"}};
    std::vector<Case> cases;
    const std::vector<std::string> files = {
        "  [ s ]  \r\nk=v\r\n", "\t[\ts\t]\t\r\nk=v\r\n", "[s] junk\r\nk=v\r\n", "[s]x=1\r\nk=v\r\n", "[s\r\nk=v\r\n",
        "x[s]\r\nk=v\r\n", "[a]b]\r\nk=v\r\n", "[ a ] b ]\r\nk=v\r\n", "[]\r\nk=v\r\n", "k=top\r\n[s]\r\nk=v\r\n",
        "[s]\r\nk=1\r\nk=2\r\n", "[s]\r\nK=1\r\nk=2\r\n", "[s]\r\nk=1\r\n[s]\r\nk=2\r\nj=3\r\n",
        "[s]\r\n[t]\r\n[s]\r\nk=1\r\n", "[s]\r\nnoequals\r\nk=v\r\n", "[s]\r\n;k=v\r\nk=w\r\n", "[s]\r\nk=v",
        "[s]\nk=v\nj=w\n", "[s]\rk=v\rj=w\r", "[s]\r\r\n\n\rk=v\n\r\r\nj=w", "\r\n\r\n[s]\r\n\r\n\r\nk=v\r\n\r\n",
        "[s]\r\nk=v\r\n;[t]\r\nj=w\r\n", "\xEF\xBB\xBF[s]\r\nk=v\r\n", "\0\1\2[s]\r\nk=v\r\n"s,
        "[s]\r\nk=v\0w\r\nj=1\r\n\0"s, "[s]\r\nk\0=v\r\n"s, "[s\0t]\r\nk=v\r\n"s, "[s]\r\n\x1a\r\nk=v\r\n",
        "[s]\r\n=a\r\n=b\r\nk=v\r\n", "[s]\r\nx=1\r\n=a\r\n=b\r\n=c\r\ny=2\r\n=d\r\n", "[s]\r\n\0a=1\r\n=b\r\n\0\r\n"s,
        "[a]\r\nx=1\r\n[]\r\nk=v\r\n", "[S]\r\nK=v\r\n[T]\r\nX=1\r\n", "[\xC9]\r\nk=v\r\n[t]\r\n\xC0=1\r\n",
        "", "\r\n", "   \r\n\t\r\n", "[s]", "[", "=", "]", "[s]\r\n[", "k", "[s]\r\nk==v\r\n", "[s]\r\n[[t]]\r\nk=v\r\n"};
    for (std::size_t i = 0; i < files.size(); ++i) {
        auto names = common;
        names.insert(names.end(), {{"a", "k"}, {"a]b", "k"}, {"a ] b", "k"}, {"s", ""}, {"s", "noequals"},
                                   {"s", ";k"}, {"\xE9", "k"}, {"\xC9", "K"}, {"t", "\xE0"}, {"[t]", "k"}, {"[t", "k"}});
        cases.push_back({"file " + std::to_string(i) + ": " + printable(files[i]), files[i], reads(names)});
    }
    expectAgreement(cases);
}

TEST(ProfileAgreement, everyByteIsTakenAsBlankOrTextAlike) {
    std::vector<Case> cases;
    for (int b = 0; b < 256; ++b) {
        const std::string c(1, char(b));
        const std::string file = "[s]\r\nk=" + c + "v" + c + "\r\n" + c + "j" + c + "=w\r\n" + c + "[" + c + "t" + c +
                                 "]" + c + "\r\nx=1\r\n" + "q=\"" + c + "5\"\r\n";
        std::vector<Op> ops = {rs("s", "k"), rs("s", "j"), rs("t", "x"), ri("s", "q"), ri("s", "k"),
                               rs(c + "s" + c, c + "k" + c), ws("s", "n", c + "v" + c)};
        ops.push_back(rs("s", "n" + c));
        ops.push_back(ws(c + "u" + c, c + "m" + c, "1"));
        ops.push_back(rs("u", "m"));
        ops.push_back(dk("s", "k"));
        cases.push_back({"byte " + std::to_string(b), file, ops});
    }
    expectAgreement(cases);
}

TEST(ProfileAgreement, writesChangeTheFileAlike) {
    const std::string mixed = "[s]\nk = v\n  j=w  \n;comment\n\n[t]\nx=1";
    expectAgreement({
        {"new file, then more keys, replacing, empty values, deleting",
         std::nullopt,
         {ws("INITIALMACADDR", "BYTE1", "00"), ws("INITIALMACADDR", "BYTE2", "1b"), ws("INITIALDEVCOUNT", "COUNT", ""),
          ws("initialmacaddr", "byte1", "AA"), ws("INITIALMACADDR", "BYTE2", ""), rs("INITIALMACADDR", "BYTE2", "D", 10),
          ri("INITIALMACADDR", "BYTE2", 42), dk("INITIALMACADDR", "BYTE1"), ds("INITIALDEVCOUNT"), ds("NOPE"),
          dk("INITIALMACADDR", "NOPE"), ds("INITIALMACADDR"), ws("s", "k", "v")}},
        {"mixed spacing and line ends", mixed, {ws("t", "y", "3"), ws("s", "k", "v"), ws("S", "J", "w2")}},
        {"same values change nothing", "[s]\nk=v\nk2=\n\n", {ws("s", "k", "v"), ws("S", "K", "  v"), ws("s", "k2", ""),
                                                            dk("s", "x"), ds("x"), wsec("x", {}), wsec("s2", {"noeq"})}},
        {"values differing in case", "[s]\nk=v\n", {ws("s", "k", "V")}},
        {"blanks in values and names", "[s]\r\nk=v\r\n",
         {ws("s", "j", "  padded  "), ws("s", "q", "\"quoted\""), rs("s", "j"), rs("s", "q"), ws("s", " sp ", "x"),
          ws(" ss ", "a", "b"), ws("s", "t", "\tx\t"), ws("s", "u", "   "), ws(" t\t", " a\t", " b\t"), rs("t", "a"),
          ws("s", "n\t", "v"), rs("s", "n")}},
        {"line breaks, '=' and NUL in written text", "[s]\r\n",
         {ws("s", "nl", "a\r\nb=c"), rs("s", "nl"), rs("s", "b"), ws("s", "a=b", "c"), rs("s", "a"),
          ws("s", "z", "1\0" "2"s), ws("s\0x"s, "y", "1"), rs("s", "z"), rs("s", "y")}},
        {"lines without '='", "[s]\r\nnoequals\r\nk\r\nj=1\r\n", {ws("s", "j", "2"), ws("s", "k", "2"), dk("s", "noequals")}},
        {"empty file", "", {ws("s", "k", "v")}},
        {"blank file", "\r\n\r\n", {ds("s"), ws("s", "k", "v")}},
        {"nameless entries", "k=top\r\n[s]\r\nk=v\r\n", {ws("s", "j", "2"), ws("", "k", "new"), dk("", "k"), ws("", "n", "1")}},
        {"nameless section in a new file", std::nullopt, {ws("", "k", "v"), ws("s", "k", "v"), ws("", "j", "2")}},
        {"duplicates", "[s]\r\nk=1\r\nk=2\r\n[s]\r\nk=3\r\nj=4\r\n",
         {ws("s", "k", "5"), ws("s", "j", "6"), dk("s", "k"), dk("s", "k"), dk("s", "k"), ds("s"), ds("s")}},
        {"high bytes", "[s]\r\nk=\xE9\x81\x8D\xFF\r\n", {ws("s", "j", "\xE9\x90"), ws("\xE9", "\xC0", "\xFF")}},
        {"utf-8 mark", "\xEF\xBB\xBF[s]\r\nk=v\r\n", {ws("s", "j", "2"), rs("s", "k")}},
        {"a '[]' section", "[a]\r\nx=1\r\n[]\r\nk=v\r\n", {ws("a", "y", "2"), rs("a", "k")}},
        {"empty names", "[s]\r\nx=1\r\n=a\r\n=b\r\n=c\r\ny=2\r\n=d\r\n", {ws("s", "z", "1"), ws("s", "", "e")}},
        {"deleting the last section", "[s]\r\nk=v\r\n", {ds("s"), ws("s", "k", "v"), dk("s", "k")}},
        {"deleting compares untrimmed names", "[s]\r\nk=2\r\n[t]\r\n",
         {dk("s", " k "), dk(" s ", "k"), ds(" s "), ds("T"), dk("S", "K")}},
        {"a file without a final line break", "[s]\r\nk=v", {ws("s", "j", "2")}},
        {"CR alone ends lines", "[s]\rk=v\rj=w", {ws("s", "m", "2")}},
        {"a comment before the first section", "\r\n;top comment\r\n\r\n[s]\r\nk=v\r\n", {ws("s", "m", "2")}},
        {"a very long value", "[s]\r\nk=" + std::string(100000, 'x') + "\r\n",
         {rs("s", "k", "", 260), ri("s", "k"), ws("s", "j", std::string(5000, 'y')), rs("s", "j", "", 4999)}},
    });
}

TEST(ProfileAgreement, sectionWritesReplaceTheSameLines) {
    expectAgreement({
        {"replace, add, empty, trimmed", "[a]\r\nx=1\r\n[s]\r\nk=v\r\n[b]\r\ny=2\r\n",
         {wsec("s", {"k1=v1", "k2=v2", "noeq"}), wsec("c", {"z=9"}), wsec("a", {}), wsec("b", {" q = r ", "  ", "=x", "b = "}),
          wsec("B", {"a=1", "", "c=3"}), wsec("b", {"a=1\0c=3"s}), rs("b", "c")}},
        {"a new file", std::nullopt, {wsec("S", {"A=1", "B=2"}), wsec("t", {})}},
        {"an empty write on a missing file", std::nullopt, {wsec("s", {}), wsec("s", {"noeq"})}},
        {"duplicate sections and keys", "[s]\r\nk=1\r\n[s]\r\nk=2\r\n",
         {wsec("s", {"z=1"}), wsec("S", {"a=1", "a=2", "A=3"}), rs("s", "a")}},
        {"untrimmed section names", "[s]\r\nk=2\r\n", {wsec(" s ", {"a=1"}), wsec("s ", {"b=2"})}},
        {"the driver disk's kind of section", "[Strings]\r\nMfgName=\"Old\"\r\n[Version]\r\nSignature=\"$CHICAGO$\"\r\n",
         {wsec("strings", {"MfgName=\"Korvane\"", "ProviderName=\"Korvane\"", "VID=8207"}), rs("Strings", "MfgName")}},
    });
}

TEST(ProfileAgreement, damagedFilesReadAndRewriteAlike) {
    std::vector<Case> cases;
    uint32_t seed = 2024;
    auto next = [&seed] { seed = seed * 1103515245u + 12345u; return char((seed >> 16) & 0xFF); };
    for (int round = 0; round < 40; ++round) {
        std::string junk(std::size_t(1 + round * 131), '\0');
        for (char& c : junk) c = next();
        junk[0] = 'x';  // not a byte-order mark: the API would then read the file as UTF-16
        // Sprinkle structure into some rounds so that sections and entries appear.
        if (round % 2 == 1) {
            for (std::size_t i = 7; i < junk.size(); i += 23) junk[i] = "[]=\r\n"[i % 5];
        }
        cases.push_back({"junk " + std::to_string(round), junk,
                         {rs("s", "k"), ri("s", "k"), rs("", "x"), ws("OVERWRITEFLAG", "OVERWRITE", "1"),
                          rs("OVERWRITEFLAG", "OVERWRITE"), ds("OVERWRITEFLAG")}});
    }
    cases.push_back({"missing sections", "[TESTITEMS]\r\nRegister=1\r\n",
                     {ri("LOGFLAG", "Enable", 0), rs("LONGLOOPBACK", "PacketCount", "10", 260)}});
    cases.push_back({"non-numeric flags", "[TESTITEMS]\r\nRegister=yes\r\nQuickLoopback=1yes\r\nLongLoopback=\r\n",
                     {ri("TESTITEMS", "Register", 1), ri("TESTITEMS", "QuickLoopback", 0),
                      ri("TESTITEMS", "LongLoopback", 1), ri("TESTITEMS", "ExternalLoopback", 0)}});
    expectAgreement(cases);
}

TEST(ProfileAgreement, unwritablePlacesFailAlike) {
    lt::win32::ProfileFilesWin32 api;
    PortableProfileFiles portable;
    lt::test::TempDir dir;
    const std::string missingFolder = dir.file("missing") + "\\test.ini";
    EXPECT_FALSE(api.writeString(missingFolder, "s", "k", "v"));
    EXPECT_FALSE(portable.writeString(missingFolder, "s", "k", "v"));
    const std::string folder = dir.file("folder.ini");
    std::filesystem::create_directory(folder);
    for (ProfileFiles* files : std::initializer_list<ProfileFiles*>{&api, &portable}) {
        EXPECT_FALSE(files->writeString(folder, "s", "k", "v"));
        EXPECT_EQ(files->readString(folder, "s", "k", "DEF", 10), "DEF");
        EXPECT_EQ(files->readInt(folder, "s", "k", 5), 5u);
    }
}

TEST(SettingsAgreement, theTypedSettingsWriteTheSameFilesThroughEitherImplementation) {
    lt::test::TempDir apiWindows;
    lt::test::TempDir portableWindows;
    lt::win32::ProfileFilesWin32 apiFiles;
    lt::win32::FileSystemWin32 apiLookup;
    PortableProfileFiles portableFiles;
    lt::platform::PortableFileSystem portableLookup;
    SettingsStore api{apiFiles, apiLookup, settingsPathsIn(apiWindows.path().string())};
    SettingsStore portable{portableFiles, portableLookup, settingsPathsIn(portableWindows.path().string())};

    auto run = [](SettingsStore& store) {
        std::vector<std::string> answers;
        auto note = [&](auto value) { answers.push_back(std::to_string(value)); };
        // The editor starts on a new machine and saves its defaults.
        note(store.exists(SettingsFile::EthernetDiagnostic));
        note(store.saveDiagnosticSettings(store.loadDiagnosticSettings(Reader::SetupEditor)));
        // The station starts: copies two flags, empties the counts.
        const DiagnosticSettings station = store.loadDiagnosticSettings(Reader::ProgStation);
        note(store.writeDecimal(keys::OverwriteFlag, int32_t(station.overWriteAddress)));
        note(store.writeDecimal(keys::DiagnosticsMode, int32_t(station.launchDiagnosticApp)));
        note(store.lastAddressRecorded(Reader::ProgStation));
        note(store.writeText(keys::InitialDevCount, ""));
        note(store.writeText(keys::PreviousDevCount, ""));
        // A range is started and one lot recorded.
        note(store.writeAddressTexts(AddressRecord::Initial, {"00", "1B", "4E", "7A", "01", "FE"}));
        note(store.writeText(keys::InitialDevCount, "10"));
        note(store.writeAddress(AddressRecord::Previous, {0x00, 0x1b, 0x4e, 0x7a, 0x02, 0x01}));
        note(store.writeCount(keys::PreviousDevCount, 4));
        note(store.writeNextAddress({0x00, 0x1b, 0x4e, 0x7a, 0x02, 0x01}));
        note(store.readNumber(keys::PreviousDevCount, Reader::ProgStation));
        note(store.lastAddressRecorded(Reader::ProgStation));
        // The editor sets the last address by hand, with one box holding "A".
        note(store.writeAddressTexts(AddressRecord::Previous, {"00", "1B", "4E", "FF", "FF", "A"}));
        note(store.writeNextAddress(store.readAddress(AddressRecord::Previous, Reader::SetupEditor)));
        for (const auto& text : store.readAddressTexts(AddressRecord::Next, Reader::ProgStation)) answers.push_back(text);
        note(store.readNumber(keys::DiagnosticsMode, Reader::EthTester));
        // Clear, and the station's descriptor file.
        note(store.clearLastAddress());
        note(store.lastAddressRecorded(Reader::SetupEditor));
        note(store.writeText(keys::Manufacturer, keys::kManufacturerValue));
        note(store.writeText(keys::LanguageId, "0409"));
        answers.push_back(store.readText(keys::ProductId, Reader::ProgStation));
        return answers;
    };
    EXPECT_EQ(run(portable), run(api));
    for (SettingsFile file : {SettingsFile::EpromData, SettingsFile::EthernetDiagnostic, SettingsFile::Customize}) {
        EXPECT_EQ(printable(fileBytes(portable.path(file))), printable(fileBytes(api.path(file))))
            << fileName(file);
    }
    EXPECT_EQ(fileBytes(api.path(SettingsFile::Customize)), "[strings]\r\nMANUFACTURER=MfgName\r\nLANGGUAGEID=0409\r\n");
}

TEST(FileLookupAgreement, bothFindTheSameFilesAndFolders) {
    lt::test::TempDir dir;
    putBytes(dir.file("EpromData.ini"), "[s]\r\n");
    std::filesystem::create_directory(dir.path() / "folder");
    lt::win32::FileSystemWin32 api;
    lt::platform::PortableFileSystem portable;
    const std::string base = dir.path().string();
    for (const std::string& path : {dir.file("EpromData.ini"), dir.file("epromdata.INI"), dir.file("Missing.ini"),
                                    dir.file("folder"), dir.file("folder") + "\\", base + "\\missing\\EpromData.ini",
                                    std::string()}) {
        EXPECT_EQ(portable.exists(path), api.exists(path)) << path;
    }
    EXPECT_TRUE(api.exists(dir.file("EpromData.ini")));
    EXPECT_FALSE(api.exists(dir.file("Missing.ini")));
}

TEST(SystemPathsWin32, givesTheWindowsAndCurrentDirectoriesAndRejectsThisSystem) {
    lt::win32::SystemPathsWin32 system;
    const auto windows = system.windowsDirectory();
    ASSERT_TRUE(windows.has_value());
    EXPECT_TRUE(std::filesystem::is_directory(*windows)) << *windows;
    std::string name = std::filesystem::path(*windows).filename().string();
    for (char& c : name) c = char(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(name, "windows") << *windows;
    const auto current = system.currentDirectory();
    ASSERT_TRUE(current.has_value());
    EXPECT_EQ(std::filesystem::path(*current), std::filesystem::current_path());
    EXPECT_FALSE(system.isRecommendedSystem()) << "Wine 8 reports a newer system than major version 5";
    const auto paths = settingsPaths(system);
    ASSERT_TRUE(paths.has_value());
    EXPECT_EQ(paths->epromData, *windows + "\\EpromData.ini");
}

TEST(ProfileAgreement, writesMadeAsOneChangeGiveTheBytesOfTheWritesOneByOne) {
    lt::win32::ProfileFilesWin32 api;
    PortableProfileFiles portable;
    const std::vector<ProfileWrite> writes = {{"PREVIOUSMACADDR", "BYTE1", "00"}, {"PREVIOUSMACADDR", "BYTE6", "07"},
                                              {"PREVIOUSDEVCOUNT", "COUNT", "8"}, {"NEXTMACADDR", "BYTE6", "08"},
                                              {"previousmacaddr", "byte6", "09"}, {"EMPTY", "KEY", ""}};
    const std::optional<std::string> initials[] = {
        std::nullopt, "[PREVIOUSMACADDR]\r\nBYTE1=00\r\nBYTE6=03\r\n; a comment\r\n[OTHER]\r\nK=V\r\n"};
    for (const auto& initial : initials) {
        SCOPED_TRACE(initial ? "existing file" : "no file");
        lt::test::TempDir dir;
        const std::string oneByOne = dir.file("one.ini"), apiChange = dir.file("api.ini"),
                          portableChange = dir.file("portable.ini");
        if (initial)
            for (const auto& p : {oneByOne, apiChange, portableChange}) putBytes(p, *initial);
        for (const ProfileWrite& w : writes) api.writeString(oneByOne, w.section, w.key, w.value);
        EXPECT_TRUE(api.writeStrings(apiChange, writes));
        EXPECT_TRUE(portable.writeStrings(portableChange, writes));
        EXPECT_EQ(printable(fileBytes(apiChange)), printable(fileBytes(oneByOne)));
        EXPECT_EQ(printable(fileBytes(portableChange)), printable(fileBytes(oneByOne)));
        EXPECT_FALSE(std::filesystem::exists(apiChange + ".new"));
        EXPECT_EQ(api.readString(apiChange, "PREVIOUSMACADDR", "BYTE6", "", 10), "09");
    }
}
