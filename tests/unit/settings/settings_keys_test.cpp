// settings_keys_test.cpp: pins every stored section, key, value form, read buffer and each program's default.
//
// The names and defaults are a contract with the other programs and with the files on
// every station: a change here must be deliberate.
#include "common/settings/settings_keys.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace lt::settings;

namespace {

struct Pinned {
    SettingsFile file;
    std::string section;
    std::string writtenSection;
    std::string key;
    ValueForm form;
    std::size_t bufferSize;
    ReaderUse progStation, ethTester, setupEditor;
};

constexpr auto E = SettingsFile::EpromData;
constexpr auto D = SettingsFile::EthernetDiagnostic;
constexpr auto C = SettingsFile::Customize;
constexpr auto Hex = ValueForm::HexByte;
constexpr auto Count = ValueForm::Count;
constexpr auto Flag = ValueForm::Flag;
constexpr auto Digits = ValueForm::DecimalText;
constexpr auto Text = ValueForm::Text;
constexpr ReaderUse none{};
constexpr ReaderUse empty{ReadKind::Text, 0, ""};
constexpr ReaderUse int0{ReadKind::Integer, 0, {}};
constexpr ReaderUse int1{ReadKind::Integer, 1, {}};
constexpr ReaderUse text(std::string_view d) { return {ReadKind::Text, 0, d}; }

std::vector<Pinned> expectedKeys() {
    std::vector<Pinned> keys;
    for (const char* byte : {"BYTE1", "BYTE2", "BYTE3", "BYTE4", "BYTE5", "BYTE6"})
        keys.push_back({E, "INITIALMACADDR", "INITIALMACADDR", byte, Hex, 10, empty, none, none});
    keys.push_back({E, "INITIALDEVCOUNT", "INITIALDEVCOUNT", "COUNT", Count, 10, empty, none, none});
    for (const char* byte : {"BYTE1", "BYTE2", "BYTE3", "BYTE4", "BYTE5", "BYTE6"})
        keys.push_back({E, "PREVIOUSMACADDR", "PREVIOUSMACADDR", byte, Hex, 10, empty, none, empty});
    keys.push_back({E, "PREVIOUSDEVCOUNT", "PREVIOUSDEVCOUNT", "COUNT", Count, 10, empty, none, none});
    for (const char* byte : {"BYTE1", "BYTE2", "BYTE3", "BYTE4", "BYTE5", "BYTE6"})
        keys.push_back({E, "NEXTMACADDR", "NEXTMACADDR", byte, Hex, 10, empty, none, none});
    keys.push_back({E, "OVERWRITEFLAG", "OVERWRITEFLAG", "OVERWRITE", Flag, 10, empty, none, none});
    keys.push_back({E, "DIAGNOSTICSMODE", "DIAGNOSTICSMODE", "AUTO", Flag, 10, empty, int0, none});

    keys.push_back({D, "TESTITEMS", "TESTITEMS", "Register", Flag, 0, none, int1, int1});
    keys.push_back({D, "TESTITEMS", "TESTITEMS", "QuickLoopback", Flag, 0, none, int1, int1});
    keys.push_back({D, "TESTITEMS", "TESTITEMS", "LongLoopback", Flag, 0, none, int0, int1});
    keys.push_back({D, "TESTITEMS", "TESTITEMS", "ExternalLoopback", Flag, 0, none, int0, int1});
    keys.push_back({D, "LONGLOOPBACK", "LONGLOOPBACK", "PacketCount", Digits, 260, none, text("10"), text("10")});
    keys.push_back({D, "LONGLOOPBACK", "LONGLOOPBACK", "PacketSize", Digits, 260, none, text("1514"), text("1514")});
    keys.push_back({D, "LOGFLAG", "LOGFLAG", "Enable", Flag, 0, none, int0, int0});
    keys.push_back({D, "EPROMUTILITY", "EPROMUTILITY", "OverWriteAddress", Flag, 0, int1, none, int0});
    keys.push_back({D, "EPROMUTILITY", "EPROMUTILITY", "DisplayMacAddresses", Flag, 0, int1, none, int0});
    keys.push_back({D, "EPROMUTILITY", "EPROMUTILITY", "LaunchDiagnosticApp", Flag, 0, int1, none, int0});
    keys.push_back({D, "LEDGER", "LEDGER", "StationName", Text, 260, empty, none, empty});
    keys.push_back({D, "LEDGER", "LEDGER", "GuardReissue", Flag, 0, int1, none, int1});
    keys.push_back({D, "LEDGER", "LEDGER", "Connection", Text, 260, empty, none, empty});

    keys.push_back({C, "Strings", "strings", "MANUFACTURER", Text, 260, none, none, none});
    keys.push_back({C, "Strings", "strings", "PROVIDER", Text, 260, none, none, none});
    keys.push_back({C, "Strings", "strings", "MANUFACTURERID", Text, 260, text("Korvane Semiconductor"), none, none});
    keys.push_back({C, "Strings", "strings", "PRODUCTID", Text, 260, text("USB-MAC Controller"), none, none});
    keys.push_back({C, "Strings", "strings", "VID", Text, 260, text("8207"), none, none});
    keys.push_back({C, "Strings", "strings", "PID", Text, 260, text("6514"), none, none});
    keys.push_back({C, "Strings", "strings", "LANGGUAGEID", Text, 260, text("0409"), none, none});
    return keys;
}

}  // namespace

TEST(SettingsKeys, everyStoredNameFormBufferAndDefaultIsPinned) {
    const auto expected = expectedKeys();
    const auto actual = allKeys();
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const Pinned& e = expected[i];
        const SettingKey& a = actual[i];
        SCOPED_TRACE("[" + e.section + "] " + e.key);
        EXPECT_EQ(a.file, e.file);
        EXPECT_EQ(a.section, e.section);
        EXPECT_EQ(a.writtenSection, e.writtenSection);
        EXPECT_EQ(a.key, e.key);
        EXPECT_EQ(a.form, e.form);
        EXPECT_EQ(a.bufferSize, e.bufferSize);
        EXPECT_EQ(a.use(Reader::ProgStation), e.progStation);
        EXPECT_EQ(a.use(Reader::EthTester), e.ethTester);
        EXPECT_EQ(a.use(Reader::SetupEditor), e.setupEditor);
    }
}

TEST(SettingsKeys, namedKeysAndAddressRecordsAreRowsOfTheTable) {
    const auto all = allKeys();
    auto row = [&](const SettingKey& key) {
        for (std::size_t i = 0; i < all.size(); ++i)
            if (all[i].file == key.file && all[i].section == key.section && all[i].key == key.key) return int(i);
        return -1;
    };
    EXPECT_EQ(row(keys::InitialDevCount), 6);
    EXPECT_EQ(row(keys::PreviousDevCount), 13);
    EXPECT_EQ(row(keys::OverwriteFlag), 20);
    EXPECT_EQ(row(keys::DiagnosticsMode), 21);
    EXPECT_EQ(row(keys::LaunchDiagnosticApp), 31);
    EXPECT_EQ(row(keys::StationName), 32);
    EXPECT_EQ(row(keys::GuardReissue), 33);
    EXPECT_EQ(row(keys::LedgerConnection), 34);
    EXPECT_EQ(row(keys::LanguageId), 41);
    EXPECT_EQ(keys::kManufacturerValue, "MfgName");
    EXPECT_EQ(keys::kProviderValue, "ProviderName");
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(row(addressKeys(AddressRecord::Initial)[i]), i);
        EXPECT_EQ(row(addressKeys(AddressRecord::Previous)[i]), 7 + i);
        EXPECT_EQ(row(addressKeys(AddressRecord::Next)[i]), 14 + i);
    }
}

TEST(SettingsKeys, fileNamesAreTheStoredOnes) {
    EXPECT_EQ(fileName(SettingsFile::EpromData), "EpromData.ini");
    EXPECT_EQ(fileName(SettingsFile::EthernetDiagnostic), "EthernetDiagnostic.ini");
    EXPECT_EQ(fileName(SettingsFile::Customize), "Customize.ini");
}
