// portable_profile_files_test.cpp: the portable INI implementation reads and writes files as the private-profile API does.
//
// The expected values were measured on the API under Wine; the Wine test of this area
// runs the same kind of table through both implementations and compares them.
#include "portable/profile_files_portable.h"

#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace lt::settings;
using namespace std::string_literals;

namespace {

class ProfileFile : public ::testing::Test {
protected:
    lt::test::TempDir dir;
    PortableProfileFiles profiles;
    std::string path = dir.file("test.ini");

    void put(const std::string& bytes) { put(path, bytes); }
    static void put(const std::string& file, const std::string& bytes) {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), std::streamsize(bytes.size()));
    }
    std::string bytes() const { return bytes(path); }
    static std::string bytes(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        if (!in) return "<none>";
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::string read(std::string_view section, std::string_view key, std::string_view def = "DEF",
                     std::size_t size = 100) {
        return profiles.readString(path, section, key, def, size);
    }
};

TEST_F(ProfileFile, readsTheCallersDefaultWhenFileSectionOrKeyIsMissing) {
    EXPECT_EQ(read("s", "k"), "DEF");
    EXPECT_EQ(profiles.readInt(path, "s", "k", -3), uint32_t(-3));
    put("[s]\r\nk=1\r\n");
    EXPECT_EQ(read("t", "k"), "DEF");
    EXPECT_EQ(read("s", "x"), "DEF");
    EXPECT_EQ(read("s", "x", ""), "");
    EXPECT_EQ(profiles.readInt(path, "t", "k", 5), 5u);
    EXPECT_EQ(bytes(), "[s]\r\nk=1\r\n") << "a read never writes";
}

TEST_F(ProfileFile, matchesSectionAndKeyNamesWithoutRegardToAsciiCase) {
    put("[EPROMUTILITY]\r\nOverWriteAddress=1\r\n[\xC9]\r\nk=v\r\n");
    EXPECT_EQ(read("eepromutility", "overwriteaddress"), "DEF");
    EXPECT_EQ(read("eprOMutility", "OVERWRITEADDRESS"), "1");
    EXPECT_EQ(profiles.readInt(path, "EpromUtility", "overwriteaddress", 7), 1u);
    EXPECT_EQ(read("\xE9", "k"), "DEF") << "letters beyond ASCII match only in the same case";
    EXPECT_EQ(read("\xC9", "K"), "v");
}

TEST_F(ProfileFile, integerReadTakesTheNumberTheValueStartsWithAsTheApiParsesIt) {
    struct Case { std::string value; uint32_t expected; };
    const Case cases[] = {
        {"12", 12},          {"12abc", 12},       {"1 2", 1},          {"1,000", 1},     {"1e3", 1},
        {"abc", 0},          {"-", 0},            {"+7", 7},           {"-5", uint32_t(-5)},
        {"- 5", 0},          {"+-5", 0},          {"012", 12},         {"08", 8},
        {"0x10", 16},        {"0xAB", 171},       {"0xab", 171},       {"0X1f", 0},      {"0x", 0},
        {"0xg", 0},          {"0x-5", 0},         {"0b101", 5},        {"0B101", 0},     {"0b2", 0},
        {"0o17", 15},        {"0o8", 0},          {"-0b11", uint32_t(-3)}, {"  -0x1F", uint32_t(-31)},
        {"4294967295", 4294967295u}, {"4294967296", 0}, {"99999999999", 1215752191u},
        {"-2147483649", 2147483647u}, {"0xFFFFFFFF1", 4294967281u}, {"0x100000000", 0},
        {"\"5\"", 5},        {"'7'", 7},          {"\" 12\"", 12},     {"\"\x01 5\"", 5},  {"\"-7\"", uint32_t(-7)},
        // The value is read into 30 characters first: only 29 digits count.
        {"12345678901234567890123456789012345", 1849262357u},
        {"\"123456789012345678901234567890\"", 1849262357u},
        {"\"                              5\"", 0},
        // Empty (also after stripping quotes or blanks) gives the default.
        {"", 77},            {" ", 77},           {"\"\"", 77},
    };
    for (const auto& c : cases) {
        put("[s]\r\nk=" + c.value + "\r\n");
        EXPECT_EQ(profiles.readInt(path, "s", "k", 77), c.expected) << "value '" << c.value << "'";
    }
    put("[s]\r\nk\r\n");
    EXPECT_EQ(profiles.readInt(path, "s", "k", 77), 77u) << "a line without '=' has no value";
}

TEST_F(ProfileFile, stringReadStripsBlanksAndOnePairOfMatchingQuotes) {
    struct Case { std::string line; std::string key; std::string expected; };
    const Case cases[] = {
        {"k=\"abc\"", "k", "abc"},        {"k='abc'", "k", "abc"},         {"k=\"abc", "k", "\"abc"},
        {"k=abc\"", "k", "abc\""},        {"k=\"a\"b\"", "k", "a\"b"},     {"k=\" abc \"", "k", " abc "},
        {"k=\"\"", "k", ""},              {"k=\"", "k", "\""},             {"k=''", "k", ""},
        {"k='", "k", "'"},                {"k=\"abc'", "k", "\"abc'"},     {"k= \"abc\" ", "k", "abc"},
        {"  k  =  v v  ", "k", "v v"},    {"\tk\t=\tv\t", "k", "v"},       {"k = ", "k", ""},
        {"k=a=b", "k", "a=b"},            {"k==v", "k", "=v"},             {"k=v;comment", "k", "v;comment"},
        {";k=v", ";k", "v"},              {"=v", "", "v"},                 {"k x=v", "k x", "v"},
        {"k", "k", "DEF"},                {"k=\x0bv\x0c", "k", "v"},       {"k=\x1av\x1a", "k", "v"},
        {"k=\x01v\x01", "k", "\x01v\x01"}, {"k=\xA0v\xA0", "k", "\xA0v\xA0"},
        {"k=\xE9\x81\x8D\xFF", "k", "\xE9\x81\x8D\xFF"},
        {"k=v\0w"s, "k", "v"},            {"k\0=v"s, "k", "v"},
    };
    for (const auto& c : cases) {
        put("[s]\r\n" + c.line + "\r\n");
        EXPECT_EQ(read("s", c.key), c.expected) << "line '" << c.line << "'";
        EXPECT_EQ(read(" s\t", "\t" + c.key + " "), c.expected) << "requested names lose their blanks";
    }
}

TEST_F(ProfileFile, stringReadReturnsAtMostOneCharacterLessThanTheBuffer) {
    struct Case { std::string value; std::size_t size; std::string expected; };
    const Case cases[] = {
        {"abcdef", 0, ""},       {"abcdef", 1, ""},        {"abcdef", 2, "a"},      {"abcdef", 3, "ab"},
        {"abcdef", 6, "abcde"},  {"abcdef", 7, "abcdef"},  {"abcdef", 8, "abcdef"},
        {"\"abcdef\"", 4, "abc"}, {"\"abcdef\"", 6, "abcde"}, {"\"abcdef\"", 8, "abcdef"},
        // The API's quirk: a quoted value one character too long for the buffer loses one more.
        {"\"abcdef\"", 7, "abcde"}, {"'ab'", 3, "a"},       {"'ab'", 4, "ab"},       {"\"\"", 1, ""},
    };
    for (const auto& c : cases) {
        put("[s]\r\nk=" + c.value + "\r\n");
        EXPECT_EQ(read("s", "k", "D", c.size), c.expected) << c.value << " into " << c.size;
    }
}

TEST_F(ProfileFile, defaultLosesTrailingSpacesAndQuotesAndIsCutLikeAValue) {
    for (bool fileExists : {false, true}) {
        if (fileExists) put("[s]\r\nk=1\r\n");
        EXPECT_EQ(read("s", "x", "DEF  "), "DEF");
        EXPECT_EQ(read("s", "x", "  DEF"), "  DEF");
        EXPECT_EQ(read("s", "x", "   "), " ");
        EXPECT_EQ(read("s", "x", "\"q\""), "q");
        EXPECT_EQ(read("s", "x", "DEFAULT", 4), "DEF");
        EXPECT_EQ(read("s", "x", "DEFAULT", 1), "");
    }
}

TEST_F(ProfileFile, findsSectionsAndKeysAsTheApiParsesTheLines) {
    struct Case { std::string content; std::string section; std::string key; std::string expected; };
    const Case cases[] = {
        {"  [ s ]  \r\nk=v\r\n", "s", "k", "v"},
        {"\t[\ts\t]\t\r\nk=v\r\n", "s", "k", "v"},
        {"[s] junk\r\nk=v\r\n", "s", "k", "v"},
        {"[s]x=1\r\nk=v\r\n", "s", "x", "DEF"},
        {"[s\r\nk=v\r\n", "s", "k", "DEF"},
        {"[s\r\nk=v\r\n", "", "k", "v"},
        {"x[s]\r\nk=v\r\n", "s", "k", "DEF"},
        {"[a]b]\r\nk=v\r\n", "a", "k", "DEF"},
        {"[a]b]\r\nk=v\r\n", "a]b", "k", "v"},
        {"[ a ] b ]\r\nk=v\r\n", "a ] b", "k", "v"},
        {"[]\r\nk=v\r\n", "", "k", "DEF"},
        {"k=top\r\n[s]\r\nk=v\r\n", "", "k", "top"},
        {"[s]\r\nk=1\r\nk=2\r\n", "s", "k", "1"},
        {"[s]\r\nK=1\r\nk=2\r\n", "s", "k", "1"},
        {"[s]\r\nk=1\r\n[s]\r\nk=2\r\nj=3\r\n", "s", "j", "DEF"},
        {"[s]\r\n[t]\r\n[s]\r\nk=1\r\n", "s", "k", "DEF"},
        {"[s]\r\nnoequals\r\nk=v\r\n", "s", "noequals", "DEF"},
        {"[s]\r\nnoequals\r\nk=v\r\n", "s", "k", "v"},
        {"[s]\r\n;k=v\r\nk=w\r\n", "s", "k", "w"},
        {"[s]\r\nk=v", "s", "k", "v"},
        {"[s]\nk=v\nj=w\n", "s", "j", "w"},
        {"[s]\rk=v\rj=w\r", "s", "j", "w"},
        {"\r\n\r\n[s]\r\n\r\n\r\nk=v\r\n\r\n", "s", "k", "v"},
        {"[s]\r\nk=v\r\n;[t]\r\nj=w\r\n", "s", "j", "w"},
        {"\xEF\xBB\xBF[s]\r\nk=v\r\n", "s", "k", "v"},
        {"\0\1\2[s]\r\nk=v\r\n"s, "s", "k", "DEF"},
        {"\0\1\2[s]\r\nk=v\r\n"s, "", "k", "v"},
        {"[s]\r\n\x1a\r\nk=v\r\n", "s", "k", "v"},
    };
    for (const auto& c : cases) {
        put(c.content);
        EXPECT_EQ(read(c.section, c.key), c.expected) << "[" << c.section << "] " << c.key << " in '" << c.content << "'";
    }
}

TEST_F(ProfileFile, writeCreatesFileSectionAndKeyAndRewritesTheFileInCrLfLines) {
    ASSERT_TRUE(profiles.writeString(path, "INITIALMACADDR", "BYTE1", "00"));
    EXPECT_EQ(bytes(), "[INITIALMACADDR]\r\nBYTE1=00\r\n");
    ASSERT_TRUE(profiles.writeString(path, "INITIALMACADDR", "BYTE2", "1b"));
    ASSERT_TRUE(profiles.writeString(path, "INITIALDEVCOUNT", "COUNT", ""));
    EXPECT_EQ(bytes(), "[INITIALMACADDR]\r\nBYTE1=00\r\nBYTE2=1b\r\n[INITIALDEVCOUNT]\r\nCOUNT=\r\n");
    ASSERT_TRUE(profiles.writeString(path, "initialmacaddr", "byte1", "AA"));
    EXPECT_EQ(bytes(), "[INITIALMACADDR]\r\nBYTE1=AA\r\nBYTE2=1b\r\n[INITIALDEVCOUNT]\r\nCOUNT=\r\n")
        << "stored names keep their case";
    ASSERT_TRUE(profiles.writeString(path, "INITIALMACADDR", "BYTE2", ""));
    EXPECT_EQ(read("INITIALMACADDR", "BYTE2"), "") << "an empty value keeps the key";
    EXPECT_EQ(profiles.readInt(path, "INITIALMACADDR", "BYTE2", 42), 42u);
    ASSERT_TRUE(profiles.deleteKey(path, "INITIALMACADDR", "BYTE1"));
    ASSERT_TRUE(profiles.deleteSection(path, "INITIALDEVCOUNT"));
    EXPECT_EQ(bytes(), "[INITIALMACADDR]\r\nBYTE2=\r\n");
    ASSERT_TRUE(profiles.deleteSection(path, "INITIALMACADDR"));
    EXPECT_EQ(bytes(), "") << "the last section gone leaves an empty file";
}

struct WriteCase {
    const char* what;
    std::string before;  // "<none>": no file
    enum { Write, DeleteKey, DeleteSection, WriteSection } op;
    std::string section, key, value;
    std::vector<std::string> lines;
    std::string after;
};

TEST_F(ProfileFile, changesFilesAsTheApiDoes) {
    const WriteCase cases[] = {
        {"new key goes to the end of its section, blank lines go", "[s]\r\nk=v\r\n\r\n[t]\r\nx=1\r\n",
         WriteCase::Write, "s", "j", "2", {}, "[s]\r\nk=v\r\nj=2\r\n[t]\r\nx=1\r\n"},
        {"the whole file is rewritten in the API's form", "[s]\nk = v\n  j=w  \n;comment\n\n[t]\nx=1",
         WriteCase::Write, "t", "y", "3", {}, "[s]\r\nk=v\r\nj=w\r\n;comment\r\n[t]\r\nx=1\r\ny=3\r\n"},
        {"a file without a final line break", "[s]\r\nk=v", WriteCase::Write, "s", "j", "2", {},
         "[s]\r\nk=v\r\nj=2\r\n"},
        {"the first of duplicate keys is replaced", "[s]\r\nk=1\r\nk=2\r\n", WriteCase::Write, "s", "k", "3", {},
         "[s]\r\nk=3\r\nk=2\r\n"},
        {"the first of duplicate sections takes the key", "[s]\r\nk=1\r\n[s]\r\nk=2\r\n", WriteCase::Write, "s", "j",
         "3", {}, "[s]\r\nk=1\r\nj=3\r\n[s]\r\nk=2\r\n"},
        {"leading blanks of a value go, trailing ones stay", "[s]\r\nk=v\r\n", WriteCase::Write, "s", "j",
         "  padded  ", {}, "[s]\r\nk=v\r\nj=padded  \r\n"},
        {"quotes are written as given", "[s]\r\nk=v\r\n", WriteCase::Write, "s", "q", "\"quoted\"", {},
         "[s]\r\nk=v\r\nq=\"quoted\"\r\n"},
        {"new names keep trailing blanks", "[s]\r\nk=v\r\n", WriteCase::Write, " t\t", " a\t", " b\t", {},
         "[s]\r\nk=v\r\n[t\t]\r\na\t=b\t\r\n"},
        {"lines without '=' stay", "[s]\r\nnoequals\r\nk=v\r\n", WriteCase::Write, "s", "j", "2", {},
         "[s]\r\nnoequals\r\nk=v\r\nj=2\r\n"},
        {"a line without '=' takes the value of its name", "[s]\r\nk\r\nj=1\r\n", WriteCase::Write, "s", "k", "2", {},
         "[s]\r\nk=2\r\nj=1\r\n"},
        {"an empty file", "", WriteCase::Write, "s", "k", "v", {}, "[s]\r\nk=v\r\n"},
        {"entries before the first section stay first", "k=top\r\n[s]\r\nk=v\r\n", WriteCase::Write, "s", "j", "2",
         {}, "k=top\r\n[s]\r\nk=v\r\nj=2\r\n"},
        {"an empty section name is the nameless section", "[s]\r\nk=1\r\n", WriteCase::Write, "", "k", "new", {},
         "k=new\r\n[s]\r\nk=1\r\n"},
        {"a '[]' section is written without its header", "[a]\r\nx=1\r\n[]\r\nk=v\r\n", WriteCase::Write, "a", "y",
         "2", {}, "[a]\r\nx=1\r\ny=2\r\nk=v\r\n"},
        {"the same value changes nothing", "[s]\nk=v\n\n", WriteCase::Write, "S", "K", "  v", {}, "[s]\nk=v\n\n"},
        {"a value differing in case is written", "[s]\nk=v\n", WriteCase::Write, "s", "k", "V", {}, "[s]\r\nk=V\r\n"},
        {"an empty value over an empty value changes nothing", "[s]\nk=\n", WriteCase::Write, "s", "k", "", {},
         "[s]\nk=\n"},
        {"an empty value over no value is written", "[s]\nk\n", WriteCase::Write, "s", "k", "", {}, "[s]\r\nk=\r\n"},
        {"a line break in a value is written as it stands", "[s]\r\n", WriteCase::Write, "s", "nl", "a\r\nb=c", {},
         "[s]\r\nnl=a\r\nb=c\r\n"},
        {"a key holding '='", "[s]\r\n", WriteCase::Write, "s", "a=b", "c", {}, "[s]\r\na=b=c\r\n"},
        {"high bytes pass unchanged", "[s]\r\nk=\xE9\x81\x8D\xFF\r\n", WriteCase::Write, "s", "j", "\xE9\x90", {},
         "[s]\r\nk=\xE9\x81\x8D\xFF\r\nj=\xE9\x90\r\n"},
        {"a UTF-8 mark stays in front", "\xEF\xBB\xBF[s]\r\nk=v\r\n", WriteCase::Write, "s", "j", "2", {},
         "\xEF\xBB\xBF[s]\r\nk=v\r\nj=2\r\n"},
        {"an unclosed header is an entry", "[s\r\nk=v\r\n", WriteCase::Write, "s", "j", "2", {},
         "[s\r\nk=v\r\n[s]\r\nj=2\r\n"},
        {"a header runs to the last ']'", "[a]b]\r\nk=v\r\n", WriteCase::Write, "a", "j", "2", {},
         "[a]b]\r\nk=v\r\n[a]\r\nj=2\r\n"},
        {"text after a header goes", "[s]x=1\r\nk=v\r\n", WriteCase::Write, "s", "j", "2", {},
         "[s]\r\nk=v\r\nj=2\r\n"},
        {"CR alone ends lines", "[s]\rk=v\rj=w", WriteCase::Write, "s", "m", "2", {},
         "[s]\r\nk=v\r\nj=w\r\nm=2\r\n"},
        {"a second empty name in a row goes", "[s]\r\nx=1\r\n=a\r\n=b\r\n=c\r\ny=2\r\n=d\r\n", WriteCase::Write, "s",
         "z", "1", {}, "[s]\r\nx=1\r\n=a\r\ny=2\r\n=d\r\nz=1\r\n"},
        {"names and values end at a NUL", "[s]\r\nk=v\0w\r\n\0\1\2\r\nj=1\r\n"s, WriteCase::Write, "s", "j", "2", {},
         "[s]\r\nk=v\r\n\r\nj=2\r\n"},
        {"junk before the first header", "\0\1\2[s]\r\nk=v\r\n\0"s, WriteCase::Write, "s", "j", "2", {},
         "\r\nk=v\r\n\r\n[s]\r\nj=2\r\n"},
        {"deleting a key in a file with LF lines", "[s]\nk=v\n\n", WriteCase::DeleteKey, "s", "k", "", {}, "[s]\r\n"},
        {"deleting a missing key changes nothing", "[s]\nk=v\n\n", WriteCase::DeleteKey, "s", "x", "", {},
         "[s]\nk=v\n\n"},
        {"deleting a missing section changes nothing", "[s]\nk=v\n\n", WriteCase::DeleteSection, "x", "", "", {},
         "[s]\nk=v\n\n"},
        {"deleting in a missing file creates none", "<none>", WriteCase::DeleteKey, "s", "k", "", {}, "<none>"},
        {"deleting a section of a missing file creates none", "<none>", WriteCase::DeleteSection, "s", "", "", {},
         "<none>"},
        {"deleting takes the first of duplicate keys", "[s]\r\nk=1\r\nk=2\r\n", WriteCase::DeleteKey, "s", "k", "", {},
         "[s]\r\nk=2\r\n"},
        {"deleting a key looks in every section of the name", "[s]\r\na=1\r\n[s]\r\nk=2\r\n", WriteCase::DeleteKey, "s",
         "k", "", {}, "[s]\r\na=1\r\n[s]\r\n"},
        {"deleting a key compares untrimmed names", "[s]\r\nk=2\r\n", WriteCase::DeleteKey, "s", " k ", "", {},
         "[s]\r\nk=2\r\n"},
        {"deleting takes the first of duplicate sections", "[s]\r\nk=1\r\n[s]\r\nk=2\r\n", WriteCase::DeleteSection, "s",
         "", "", {}, "[s]\r\nk=2\r\n"},
        {"deleting a section compares untrimmed names", "[s]\r\nk=2\r\n[t]\r\n", WriteCase::DeleteSection, " s ", "", "",
         {}, "[s]\r\nk=2\r\n[t]\r\n"},
        {"a section write replaces the section's lines", "[a]\r\nx=1\r\n[s]\r\nk=v\r\n[b]\r\ny=2\r\n",
         WriteCase::WriteSection, "s", "", "", {"k1=v1", "k2=v2", "noeq"},
         "[a]\r\nx=1\r\n[s]\r\nk1=v1\r\nk2=v2\r\n[b]\r\ny=2\r\n"},
        {"a section write appends a new section", "[a]\r\nx=1\r\n", WriteCase::WriteSection, "c", "", "", {"z=9"},
         "[a]\r\nx=1\r\n[c]\r\nz=9\r\n"},
        {"an empty section write keeps the header", "[a]\r\nx=1\r\n[b]\r\n", WriteCase::WriteSection, "a", "", "", {},
         "[a]\r\n[b]\r\n"},
        {"a section write trims as a key write does", "[b]\r\ny=2\r\n", WriteCase::WriteSection, "b", "", "",
         {" q = r ", "  ", "=x", "b = "}, "[b]\r\nq =r \r\n=x\r\nb =\r\n"},
        {"an empty line ends the section's list", "[b]\r\n", WriteCase::WriteSection, "b", "", "", {"a=1", "", "c=3"},
         "[b]\r\na=1\r\n"},
        {"a NUL splits a section line", "[b]\r\n", WriteCase::WriteSection, "b", "", "", {"a=1\0c=3"s},
         "[b]\r\na=1\r\nc=3\r\n"},
        {"a section write keeps duplicate keys", "[s]\r\nk=1\r\n", WriteCase::WriteSection, "S", "", "",
         {"a=1", "a=2", "A=3"}, "[s]\r\na=1\r\na=2\r\nA=3\r\n"},
        {"a section write empties every section of the name", "[s]\r\nk=1\r\n[s]\r\nk=2\r\n", WriteCase::WriteSection,
         "s", "", "", {"z=1"}, "[s]\r\nz=1\r\n[s]\r\n"},
        {"a section write creates the file", "<none>", WriteCase::WriteSection, "S", "", "", {"A=1", "B=2"},
         "[S]\r\nA=1\r\nB=2\r\n"},
        {"an empty section write on a missing file creates none", "<none>", WriteCase::WriteSection, "s", "", "", {},
         "<none>"},
        {"a section write with nothing to delete or add changes nothing", "[s]\n", WriteCase::WriteSection, "s", "",
         "", {"abc"}, "[s]\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(path);
        if (c.before != "<none>") put(c.before);
        bool ok = false;
        switch (c.op) {
        case WriteCase::Write: ok = profiles.writeString(path, c.section, c.key, c.value); break;
        case WriteCase::DeleteKey: ok = profiles.deleteKey(path, c.section, c.key); break;
        case WriteCase::DeleteSection: ok = profiles.deleteSection(path, c.section); break;
        case WriteCase::WriteSection: ok = profiles.writeSection(path, c.section, c.lines); break;
        }
        EXPECT_TRUE(ok);
        EXPECT_EQ(bytes(), c.after);
    }
}

TEST_F(ProfileFile, writeFailsWithoutTouchingAnythingWhenThePlaceCannotBeWritten) {
    const std::string inMissingFolder = dir.file("missing") + "\\test.ini";
    EXPECT_FALSE(profiles.writeString(inMissingFolder, "s", "k", "v"));
    EXPECT_EQ(profiles.readString(inMissingFolder, "s", "k", "DEF", 10), "DEF");

    const std::string folder = dir.file("folder.ini");
    std::filesystem::create_directory(folder);
    EXPECT_FALSE(profiles.writeString(folder, "s", "k", "v"));
    EXPECT_EQ(profiles.readString(folder, "s", "k", "DEF", 10), "DEF");
    EXPECT_EQ(profiles.readInt(folder, "s", "k", 5), 5u);

    put("[s]\r\nk=old\r\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                           std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
    EXPECT_FALSE(profiles.writeString(path, "s", "k", "new")) << "a read-only file is not written";
    EXPECT_EQ(bytes(), "[s]\r\nk=old\r\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
}

TEST_F(ProfileFile, writeLeavesNoWorkFileBesideTheTarget) {
    put("[s]\r\nk=1\r\n");
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(profiles.writeString(path, "s", "k", std::to_string(i)));
    ASSERT_TRUE(profiles.writeSection(path, "t", std::vector<std::string>{"a=1"}));
    ASSERT_TRUE(profiles.deleteKey(path, "s", "k"));
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"test.ini"});
    EXPECT_EQ(bytes(), "[s]\r\n[t]\r\na=1\r\n");
}

TEST_F(ProfileFile, takesABackslashAsAFolderSeparatorOnHostsThatUseSlashes) {
    if constexpr (std::filesystem::path::preferred_separator != '/') {
        GTEST_SKIP() << "the host's own separator is the backslash";
    } else {
        std::filesystem::create_directory(dir.path() / "windows");
        const std::string windowsStyle = dir.path().string() + "\\windows\\EpromData.ini";
        ASSERT_TRUE(profiles.writeString(windowsStyle, "NEXTMACADDR", "BYTE1", "00"));
        EXPECT_EQ(bytes((dir.path() / "windows" / "EpromData.ini").string()), "[NEXTMACADDR]\r\nBYTE1=00\r\n");
        EXPECT_EQ(profiles.readString(windowsStyle, "nextmacaddr", "byte1", "", 10), "00");
    }
}

TEST_F(ProfileFile, damagedFilesReadAsTheApiWouldAndNeverBreakAWrite) {
    // Binary junk: whatever it holds, reads answer and a write leaves a file in the
    // API's form that reads back what was written.
    uint32_t seed = 12345;
    auto next = [&seed] { seed = seed * 1103515245u + 12345u; return char((seed >> 16) & 0xFF); };
    for (int round = 0; round < 50; ++round) {
        std::string junk(std::size_t(1 + round * 97), '\0');
        for (char& c : junk) c = next();
        junk[0] = 'x';  // no byte-order mark
        put(junk);
        (void)read("s", "k");
        (void)profiles.readInt(path, "s", "k", 1);
        ASSERT_TRUE(profiles.writeString(path, "OVERWRITEFLAG", "OVERWRITE", "1"));
        EXPECT_EQ(read("OVERWRITEFLAG", "OVERWRITE"), "1");
        EXPECT_EQ(profiles.readInt(path, "OVERWRITEFLAG", "OVERWRITE", 0), 1u);
    }

    // A very long line: cut to the buffer.
    put("[LONGLOOPBACK]\r\nPacketCount=" + std::string(200000, '7') + "\r\nPacketSize=1514\r\n");
    EXPECT_EQ(read("LONGLOOPBACK", "PacketCount", "10", 260), std::string(259, '7'));
    EXPECT_EQ(read("LONGLOOPBACK", "PacketSize", "1514", 260), "1514");
    ASSERT_TRUE(profiles.writeString(path, "LONGLOOPBACK", "PacketSize", "64"));
    EXPECT_EQ(bytes(), "[LONGLOOPBACK]\r\nPacketCount=" + std::string(200000, '7') + "\r\nPacketSize=64\r\n");

    // Non-numeric flags read as the number they start with (none: 0).
    put("[TESTITEMS]\r\nRegister=yes\r\nQuickLoopback=1yes\r\nLongLoopback=\r\n");
    EXPECT_EQ(profiles.readInt(path, "TESTITEMS", "Register", 1), 0u);
    EXPECT_EQ(profiles.readInt(path, "TESTITEMS", "QuickLoopback", 0), 1u);
    EXPECT_EQ(profiles.readInt(path, "TESTITEMS", "LongLoopback", 1), 1u);
    EXPECT_EQ(profiles.readInt(path, "TESTITEMS", "ExternalLoopback", 0), 0u);
}

}  // namespace
