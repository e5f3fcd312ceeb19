// settings_store_test.cpp: typed access to the settings files: defaults per program, address records, next address, Clear.
#include "common/settings/settings_store.h"

#include "portable/file_system_portable.h"
#include "portable/profile_files_portable.h"
#include "tests/fakes/fake_file_system.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace lt::settings;
using lt::adapter::MacAddress;

namespace {

// Passes every call to the portable files and records the writes in order.
struct RecordingProfiles : ProfileFiles {
    PortableProfileFiles real;
    std::vector<std::string> writes;  // "[SECTION] KEY=value"

    std::string readString(const std::string& path, std::string_view section, std::string_view key,
                           std::string_view def, std::size_t size) override {
        return real.readString(path, section, key, def, size);
    }
    uint32_t readInt(const std::string& path, std::string_view section, std::string_view key, int32_t def) override {
        return real.readInt(path, section, key, def);
    }
    bool writeString(const std::string& path, std::string_view section, std::string_view key,
                     std::string_view value) override {
        writes.push_back("[" + std::string(section) + "] " + std::string(key) + "=" + std::string(value));
        return real.writeString(path, section, key, value);
    }
    bool deleteKey(const std::string& path, std::string_view section, std::string_view key) override {
        return real.deleteKey(path, section, key);
    }
    bool deleteSection(const std::string& path, std::string_view section) override {
        return real.deleteSection(path, section);
    }
    bool writeSection(const std::string& path, std::string_view section, std::span<const std::string> lines) override {
        return real.writeSection(path, section, lines);
    }
};

struct FixedSystemPaths : lt::platform::SystemPaths {
    std::optional<std::string> windows;
    std::optional<std::string> windowsDirectory() override { return windows; }
    std::optional<std::string> currentDirectory() override { return std::nullopt; }
    bool isRecommendedSystem() override { return false; }
};

// Answers "exists" from its own flag, whatever is on disk.
struct FixedLookup : lt::test::EmptyFileSystem {
    bool answer = false;
    bool exists(const std::string&) override { return answer; }
};

class Settings : public ::testing::Test {
protected:
    lt::test::TempDir windows;
    RecordingProfiles profiles;
    lt::platform::PortableFileSystem files;
    SettingsStore store{profiles, files, settingsPathsIn(windows.path().string())};

    std::string eprom() const { return windows.file("EpromData.ini"); }
    std::string diag() const { return windows.file("EthernetDiagnostic.ini"); }
    static void put(const std::string& file, const std::string& bytes) {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    static std::string bytes(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        if (!in) return "<none>";
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
};

const std::string kRecord =
    "[INITIALMACADDR]\r\nBYTE1=00\r\nBYTE2=1B\r\nBYTE3=4E\r\nBYTE4=7A\r\nBYTE5=01\r\nBYTE6=00\r\n"
    "[INITIALDEVCOUNT]\r\nCOUNT=10\r\n"
    "[PREVIOUSMACADDR]\r\nBYTE1=00\r\nBYTE2=1b\r\nBYTE3=4e\r\nBYTE4=7a\r\nBYTE5=01\r\nBYTE6=03\r\n"
    "[PREVIOUSDEVCOUNT]\r\nCOUNT=4\r\n"
    "[NEXTMACADDR]\r\nBYTE1=00\r\nBYTE2=1b\r\nBYTE3=4e\r\nBYTE4=7a\r\nBYTE5=01\r\nBYTE6=04\r\n"
    "[OVERWRITEFLAG]\r\nOVERWRITE=1\r\n[DIAGNOSTICSMODE]\r\nAUTO=0\r\n";

}  // namespace

TEST(SettingsPaths, areTheWindowsDirectoryABackslashAndTheFileName) {
    const SettingsPaths expected{"C:\\WINDOWS\\EpromData.ini", "C:\\WINDOWS\\EthernetDiagnostic.ini",
                                 "C:\\WINDOWS\\Customize.ini"};
    EXPECT_EQ(settingsPathsIn("C:\\WINDOWS"), expected);
    FixedSystemPaths system;
    system.windows = "C:\\WINDOWS";
    EXPECT_EQ(settingsPaths(system), expected);
    system.windows = std::nullopt;
    EXPECT_EQ(settingsPaths(system), std::nullopt);
    system.windows = "";
    EXPECT_EQ(settingsPaths(system), std::nullopt);
}

TEST_F(Settings, eachProgramReadsItsOwnDefaultsFromMissingFiles) {
    DiagnosticSettings station;
    station.overWriteAddress = station.displayMacAddresses = station.launchDiagnosticApp = 1;
    EXPECT_EQ(store.loadDiagnosticSettings(Reader::ProgStation), station);

    DiagnosticSettings tester;
    tester.registerTest = tester.quickLoopback = 1;
    EXPECT_EQ(store.loadDiagnosticSettings(Reader::EthTester), tester) << "packet boxes show 1 without long tests";

    DiagnosticSettings editor;
    editor.registerTest = editor.quickLoopback = editor.longLoopback = editor.externalLoopback = 1;
    editor.packetCount = "10";
    editor.packetSize = "1514";
    EXPECT_EQ(store.loadDiagnosticSettings(Reader::SetupEditor), editor);

    EXPECT_EQ(store.readNumber(keys::DiagnosticsMode, Reader::EthTester), 0u);
    EXPECT_EQ(store.readNumber(keys::OverwriteFlag, Reader::ProgStation), 0u) << "missing leaves the box clear";
    EXPECT_EQ(store.readText(keys::InitialDevCount, Reader::ProgStation), "");
    EXPECT_EQ(store.readAddressTexts(AddressRecord::Next, Reader::ProgStation), AddressTexts{});
    EXPECT_EQ(store.readText(keys::ManufacturerId, Reader::ProgStation), "Korvane Semiconductor");
    EXPECT_EQ(store.readText(keys::LanguageId, Reader::ProgStation), "0409");
    EXPECT_FALSE(store.lastAddressRecorded(Reader::ProgStation));
    EXPECT_FALSE(store.lastAddressRecorded(Reader::SetupEditor));
    EXPECT_FALSE(store.exists(SettingsFile::EpromData));
    EXPECT_FALSE(store.exists(SettingsFile::EthernetDiagnostic));
    EXPECT_TRUE(profiles.writes.empty()) << "reads never create a file";
}

TEST_F(Settings, editorsFirstSaveCreatesTheDiagnosticsFileWithItsDefaults) {
    ASSERT_TRUE(store.saveDiagnosticSettings(store.loadDiagnosticSettings(Reader::SetupEditor)));
    EXPECT_EQ(bytes(diag()),
              "[TESTITEMS]\r\nRegister=1\r\nQuickLoopback=1\r\nLongLoopback=1\r\nExternalLoopback=1\r\n"
              "[LONGLOOPBACK]\r\nPacketCount=10\r\nPacketSize=1514\r\n"
              "[LOGFLAG]\r\nEnable=0\r\n"
              "[EPROMUTILITY]\r\nOverWriteAddress=0\r\nDisplayMacAddresses=0\r\nLaunchDiagnosticApp=0\r\n");

    // Once the editor has run, the station's automatic options read off.
    const DiagnosticSettings station = store.loadDiagnosticSettings(Reader::ProgStation);
    EXPECT_EQ(station.overWriteAddress, 0u);
    EXPECT_EQ(station.displayMacAddresses, 0u);
    EXPECT_EQ(station.launchDiagnosticApp, 0u);
    const DiagnosticSettings tester = store.loadDiagnosticSettings(Reader::EthTester);
    EXPECT_EQ(tester.longLoopback, 1u);
    EXPECT_EQ(tester.packetCount, "10");
    EXPECT_EQ(tester.packetSize, "1514");
}

TEST_F(Settings, saveWithoutLongTestsLeavesThePacketValuesAsTheyAre) {
    put(diag(), "[LONGLOOPBACK]\r\nPacketCount=500\r\nPacketSize=64\r\n");
    DiagnosticSettings settings = store.loadDiagnosticSettings(Reader::SetupEditor);
    settings.longLoopback = settings.externalLoopback = 0;
    settings.packetCount = settings.packetSize = "1";
    ASSERT_TRUE(store.saveDiagnosticSettings(settings));
    EXPECT_EQ(bytes(diag()),
              "[LONGLOOPBACK]\r\nPacketCount=500\r\nPacketSize=64\r\n"
              "[TESTITEMS]\r\nRegister=1\r\nQuickLoopback=1\r\nLongLoopback=0\r\nExternalLoopback=0\r\n"
              "[LOGFLAG]\r\nEnable=0\r\n"
              "[EPROMUTILITY]\r\nOverWriteAddress=0\r\nDisplayMacAddresses=0\r\nLaunchDiagnosticApp=0\r\n");
    const DiagnosticSettings tester = store.loadDiagnosticSettings(Reader::EthTester);
    EXPECT_EQ(tester.packetCount, "1") << "neither reader looks at the packet values then";
    EXPECT_EQ(tester.packetSize, "1");
}

TEST_F(Settings, packetValuesComeFromTheFileOrTheirDefaultsWhileALongTestIsOn) {
    put(diag(), "[TESTITEMS]\r\nExternalLoopback=1\r\n");
    DiagnosticSettings tester = store.loadDiagnosticSettings(Reader::EthTester);
    EXPECT_EQ(tester.externalLoopback, 1u);
    EXPECT_EQ(tester.packetCount, "10");
    EXPECT_EQ(tester.packetSize, "1514");
    put(diag(), "[TESTITEMS]\r\nLongLoopback=2\r\n[LONGLOOPBACK]\r\nPacketCount=100000\r\nPacketSize=" +
                    std::string(300, '9') + "\r\n");
    tester = store.loadDiagnosticSettings(Reader::EthTester);
    EXPECT_EQ(tester.longLoopback, 2u);
    EXPECT_EQ(tester.packetCount, "100000");
    EXPECT_EQ(tester.packetSize, std::string(259, '9')) << "260-character buffer";
}

TEST_F(Settings, readersAcceptAnyOrderOfSectionsAndKeysAndBlankLines) {
    put(diag(),
        "\n[epromutility]\nlaunchdiagnosticapp = 1\n\n  displaymacaddresses=1\noverwriteaddress=0\n\n"
        "[LONGLOOPBACK]\nPacketSize=512\nPacketCount=77\n[logflag]\nENABLE=1\n\n\n"
        "[TestItems]\nExternalLoopback=0\nLongLoopback=1\nquickloopback=0\nregister=1\n");
    DiagnosticSettings expected;
    expected.registerTest = 1;
    expected.longLoopback = 1;
    expected.packetCount = "77";
    expected.packetSize = "512";
    expected.logging = 1;
    expected.displayMacAddresses = 1;
    expected.launchDiagnosticApp = 1;
    EXPECT_EQ(store.loadDiagnosticSettings(Reader::SetupEditor), expected);
}

TEST_F(Settings, nextAddressIsThePreviousOneSteppedOnceInLowerCaseDigits) {
    struct Case { MacAddress previous; AddressTexts next; };
    const Case cases[] = {
        {{0x00, 0x1b, 0x4e, 0x12, 0xff, 0xff}, {"00", "1b", "4e", "13", "00", "00"}},
        {{0x00, 0x1b, 0x4e, 0x7a, 0x01, 0xff}, {"00", "1b", "4e", "7a", "02", "00"}},
        {{0x00, 0x1b, 0x4e, 0xff, 0xff, 0xff}, {"00", "1b", "4e", "00", "00", "00"}},
        {{0xAA, 0xBB, 0xCC, 0x00, 0x00, 0x09}, {"aa", "bb", "cc", "00", "00", "0a"}},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(store.writeNextAddress(c.previous));
        EXPECT_EQ(store.readAddressTexts(AddressRecord::Next, Reader::ProgStation), c.next);
    }
}

TEST_F(Settings, addressTypedInTheEditorIsStoredAsTypedAndParsedAsHex) {
    // The editor's Save: the box texts as they stand, then the next address from their values.
    const AddressTexts boxes{"00", "1B", "4E", "7A", "01", "FF"};
    ASSERT_TRUE(store.writeAddressTexts(AddressRecord::Previous, boxes));
    ASSERT_TRUE(store.lastAddressRecorded(Reader::SetupEditor));
    ASSERT_TRUE(store.writeNextAddress(store.readAddress(AddressRecord::Previous, Reader::SetupEditor)));
    EXPECT_EQ(store.readAddressTexts(AddressRecord::Previous, Reader::ProgStation), boxes);
    EXPECT_EQ(store.readAddressTexts(AddressRecord::Next, Reader::ProgStation),
              (AddressTexts{"00", "1b", "4e", "7a", "02", "00"}));

    ASSERT_TRUE(store.writeAddressTexts(AddressRecord::Previous, {"00", "1B", "4E", "7A", "01", "A"}));
    EXPECT_EQ(store.readText(keys::PreviousMacAddr[5], Reader::ProgStation), "A");
    EXPECT_EQ(store.readAddress(AddressRecord::Previous, Reader::ProgStation),
              (MacAddress{0x00, 0x1b, 0x4e, 0x7a, 0x01, 0x0a}));
    EXPECT_EQ(store.readNumber(keys::PreviousMacAddr[5], Reader::ProgStation), 0x0au);
}

TEST_F(Settings, byteAndCountValuesAreReadIntoTenCharacterBuffers) {
    put(eprom(), "[INITIALMACADDR]\r\nBYTE1=0123456789ABC\r\n[INITIALDEVCOUNT]\r\nCOUNT=12345678901\r\n");
    EXPECT_EQ(store.readText(keys::InitialMacAddr[0], Reader::ProgStation), "012345678");
    EXPECT_EQ(store.readText(keys::InitialDevCount, Reader::ProgStation), "123456789");
    EXPECT_EQ(store.readNumber(keys::InitialDevCount, Reader::ProgStation), 123456789u);
}

TEST_F(Settings, numbersAreReadAsEachProgramReadsThem) {
    put(eprom(), "[OVERWRITEFLAG]\r\nOVERWRITE= 1x\r\n[DIAGNOSTICSMODE]\r\nAUTO=-2\r\n[PREVIOUSDEVCOUNT]\r\nCOUNT=4\r\n");
    EXPECT_EQ(store.readNumber(keys::OverwriteFlag, Reader::ProgStation), 1u);
    EXPECT_EQ(store.readNumber(keys::DiagnosticsMode, Reader::ProgStation), uint32_t(-2));
    EXPECT_EQ(store.readNumber(keys::DiagnosticsMode, Reader::EthTester), uint32_t(-2)) << "non-zero: auto mode";
    EXPECT_EQ(store.readNumber(keys::PreviousDevCount, Reader::ProgStation), 4u);
    put(eprom(), "[DIAGNOSTICSMODE]\r\nAUTO=on\r\n[PREVIOUSDEVCOUNT]\r\nCOUNT=\r\n");
    EXPECT_EQ(store.readNumber(keys::DiagnosticsMode, Reader::EthTester), 0u);
    EXPECT_EQ(store.readNumber(keys::PreviousDevCount, Reader::ProgStation), 0u) << "empty gives 0";
}

TEST_F(Settings, writesFlagsCopiesAndCountsInTheirForms) {
    ASSERT_TRUE(store.writeDecimal(keys::OverwriteFlag, 1));
    ASSERT_TRUE(store.writeFlag(keys::DiagnosticsMode, false));
    ASSERT_TRUE(store.writeCount(keys::PreviousDevCount, 4294967295u));
    ASSERT_TRUE(store.writeText(keys::InitialDevCount, ""));
    EXPECT_EQ(bytes(eprom()),
              "[OVERWRITEFLAG]\r\nOVERWRITE=1\r\n[DIAGNOSTICSMODE]\r\nAUTO=0\r\n"
              "[PREVIOUSDEVCOUNT]\r\nCOUNT=4294967295\r\n[INITIALDEVCOUNT]\r\nCOUNT=\r\n");
    ASSERT_TRUE(store.writeText(keys::Vid, "8207"));
    EXPECT_EQ(bytes(windows.file("Customize.ini")), "[strings]\r\nVID=8207\r\n") << "written as \"strings\"";
    EXPECT_EQ(store.readText(keys::Vid, Reader::ProgStation), "8207");
}

TEST_F(Settings, aValueWithALineBreakCannotAddEntriesToTheFile) {
    ASSERT_TRUE(store.writeText(keys::PacketCount, "12\r\n[TESTITEMS]\r\nRegister=0"));
    ASSERT_TRUE(store.writeText(keys::PreviousMacAddr[0], "0\nPREVIOUSMACADDR"));
    EXPECT_EQ(bytes(diag()), "[LONGLOOPBACK]\r\nPacketCount=12\r\n");
    EXPECT_EQ(bytes(eprom()), "[PREVIOUSMACADDR]\r\nBYTE1=0\r\n");
}

TEST_F(Settings, lastAddressIsRecordedWhenPreviousByteOneIsNotEmpty) {
    struct Case { const char* file; bool recorded; };
    const Case cases[] = {
        {"[NEXTMACADDR]\r\nBYTE1=00\r\n", false},
        {"[PREVIOUSMACADDR]\r\nBYTE1=\r\nBYTE2=1b\r\n", false},
        {"[PREVIOUSMACADDR]\r\nBYTE2=1b\r\n", false},
        {"[PREVIOUSMACADDR]\r\nBYTE1=00\r\n", true},
        {"[previousmacaddr]\r\nbyte1=\"\"\r\n", false},
        {"[PREVIOUSMACADDR]\r\nBYTE1=0123456789012\r\n", true},
    };
    for (const auto& c : cases) {
        put(eprom(), c.file);
        EXPECT_EQ(store.lastAddressRecorded(Reader::ProgStation), c.recorded) << c.file;
        EXPECT_EQ(store.lastAddressRecorded(Reader::SetupEditor), c.recorded) << c.file;
    }
}

TEST_F(Settings, stationCountsALastAddressOnlyWhenTheFileIsFound) {
    put(eprom(), "[PREVIOUSMACADDR]\r\nBYTE1=00\r\n");
    FixedLookup lookup;
    SettingsStore seen{profiles, lookup, settingsPathsIn(windows.path().string())};
    lookup.answer = false;
    EXPECT_FALSE(seen.lastAddressRecorded(Reader::ProgStation));
    EXPECT_TRUE(seen.lastAddressRecorded(Reader::SetupEditor)) << "the editor reads BYTE1 whether or not it is found";
    lookup.answer = true;
    EXPECT_TRUE(seen.lastAddressRecorded(Reader::ProgStation));
}

TEST_F(Settings, clearEmptiesPreviousThenNextAndKeepsEveryOtherRecord) {
    put(eprom(), kRecord);
    ASSERT_TRUE(store.clearLastAddress());
    EXPECT_EQ(profiles.writes,
              (std::vector<std::string>{"[PREVIOUSMACADDR] BYTE1=", "[PREVIOUSMACADDR] BYTE2=", "[PREVIOUSMACADDR] BYTE3=",
                                        "[PREVIOUSMACADDR] BYTE4=", "[PREVIOUSMACADDR] BYTE5=", "[PREVIOUSMACADDR] BYTE6=",
                                        "[NEXTMACADDR] BYTE1=", "[NEXTMACADDR] BYTE2=", "[NEXTMACADDR] BYTE3=",
                                        "[NEXTMACADDR] BYTE4=", "[NEXTMACADDR] BYTE5=", "[NEXTMACADDR] BYTE6="}));
    EXPECT_EQ(bytes(eprom()),
              "[INITIALMACADDR]\r\nBYTE1=00\r\nBYTE2=1B\r\nBYTE3=4E\r\nBYTE4=7A\r\nBYTE5=01\r\nBYTE6=00\r\n"
              "[INITIALDEVCOUNT]\r\nCOUNT=10\r\n"
              "[PREVIOUSMACADDR]\r\nBYTE1=\r\nBYTE2=\r\nBYTE3=\r\nBYTE4=\r\nBYTE5=\r\nBYTE6=\r\n"
              "[PREVIOUSDEVCOUNT]\r\nCOUNT=4\r\n"
              "[NEXTMACADDR]\r\nBYTE1=\r\nBYTE2=\r\nBYTE3=\r\nBYTE4=\r\nBYTE5=\r\nBYTE6=\r\n"
              "[OVERWRITEFLAG]\r\nOVERWRITE=1\r\n[DIAGNOSTICSMODE]\r\nAUTO=0\r\n");
    EXPECT_FALSE(store.lastAddressRecorded(Reader::SetupEditor));
    EXPECT_EQ(store.readAddressTexts(AddressRecord::Previous, Reader::SetupEditor), AddressTexts{});
}

TEST_F(Settings, clearWritesNothingWhenTheRecordFileDoesNotExist) {
    EXPECT_FALSE(store.clearLastAddress());
    EXPECT_TRUE(profiles.writes.empty());
    EXPECT_EQ(bytes(eprom()), "<none>");
}

TEST_F(Settings, aLotRecordWritesTheLastAddressTheCountAndTheNextAddress) {
    put(eprom(), kRecord);
    const MacAddress last{0x00, 0x1b, 0x4e, 0x7a, 0x01, 0x07};
    ASSERT_TRUE(store.writeAddress(AddressRecord::Previous, last));
    ASSERT_TRUE(store.writeCount(keys::PreviousDevCount, 8));
    ASSERT_TRUE(store.writeNextAddress(last));
    EXPECT_EQ(store.readAddressTexts(AddressRecord::Previous, Reader::ProgStation),
              (AddressTexts{"00", "1b", "4e", "7a", "01", "07"}));
    EXPECT_EQ(store.readText(keys::PreviousDevCount, Reader::ProgStation), "8");
    EXPECT_EQ(store.readAddressTexts(AddressRecord::Next, Reader::ProgStation),
              (AddressTexts{"00", "1b", "4e", "7a", "01", "08"}));
    EXPECT_EQ(store.readAddressTexts(AddressRecord::Initial, Reader::ProgStation),
              (AddressTexts{"00", "1B", "4E", "7A", "01", "00"}));
    ASSERT_TRUE(store.clearAddress(AddressRecord::Initial));
    EXPECT_EQ(store.readAddressTexts(AddressRecord::Initial, Reader::ProgStation), AddressTexts{});
}
