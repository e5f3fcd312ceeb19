// settings_keys.h: every section and key of the settings files, described once, with each program's read and default.
//
// The names are a contract between the three programs and the files already on a
// station: they are spelled as stored (upper-case sections in EpromData.ini, mixed-case
// keys in EthernetDiagnostic.ini, "LANGGUAGEID" with its doubled G in Customize.ini).
// Every read and write of a settings value goes through one of these rows; allKeys()
// lists them all in file order, and a unit test pins each one.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace lt::settings {

// The three files, all in the Windows directory.
enum class SettingsFile : uint8_t {
    EpromData,           // "EpromData.ini": the programming record
    EthernetDiagnostic,  // "EthernetDiagnostic.ini": diagnostics and station settings
    Customize,           // "Customize.ini": the station's descriptor settings
};

// The file's name as it stands in the Windows directory ("EpromData.ini").
std::string_view fileName(SettingsFile file);

// The programs that read the files; their defaults differ.
enum class Reader : uint8_t { ProgStation, EthTester, SetupEditor };

// The form of a stored value.
enum class ValueForm : uint8_t {
    Flag,         // "1" or "0" (any decimal number is taken; non-zero means on)
    HexByte,      // one byte of a MAC address as hexadecimal text ("%02x" or a box's text)
    Count,        // an unsigned 32-bit decimal number as text ("%lu" or a box's text)
    DecimalText,  // decimal digits kept as text (the packet count and size)
    Text,         // free text (the descriptor strings and identifiers)
};

// How one program reads one key.
enum class ReadKind : uint8_t {
    NotRead,  // the program never reads this key
    Integer,  // an integer read (GetPrivateProfileIntA) with `number` as default
    Text,     // a string read with `text` as default into the key's buffer
};

struct ReaderUse {
    ReadKind kind = ReadKind::NotRead;
    int32_t number = 0;     // default of an integer read
    std::string_view text;  // default of a text read

    friend constexpr bool operator==(const ReaderUse&, const ReaderUse&) = default;
};

constexpr ReaderUse notRead() { return {}; }
constexpr ReaderUse integerRead(int32_t defaultValue) { return {ReadKind::Integer, defaultValue, {}}; }
constexpr ReaderUse textRead(std::string_view defaultValue) { return {ReadKind::Text, 0, defaultValue}; }

// One key of one file.
struct SettingKey {
    SettingsFile file;
    std::string_view section;         // as read
    std::string_view writtenSection;  // as written (differs only in case, for Customize.ini)
    std::string_view key;
    ValueForm form;
    // Characters of the buffer that a text read uses: at most bufferSize - 1 come back.
    // 0 for keys that every reader takes with an integer read.
    std::size_t bufferSize;
    ReaderUse progStation;
    ReaderUse ethTester;
    ReaderUse setupEditor;

    constexpr const ReaderUse& use(Reader reader) const {
        switch (reader) {
        case Reader::ProgStation: return progStation;
        case Reader::EthTester: return ethTester;
        case Reader::SetupEditor: break;
        }
        return setupEditor;
    }
};

// Read buffers, in characters (the read returns at most one less).
inline constexpr std::size_t kByteBuffer = 10;   // MAC address bytes, counts, the two copied flags
inline constexpr std::size_t kValueBuffer = 260;  // packet values, descriptor values, the BYTE1 presence test

// MAC address records of EpromData.ini: six keys BYTE1..BYTE6 in one section, BYTE1
// holding the first (leftmost) byte of the address.
enum class AddressRecord : uint8_t {
    Initial,   // INITIALMACADDR: start address of the current range
    Previous,  // PREVIOUSMACADDR: last address handed out
    Next,      // NEXTMACADDR: first free address (PREVIOUSMACADDR stepped once)
};

namespace keys {

namespace detail {
constexpr SettingKey eprom(std::string_view section, std::string_view key, ValueForm form, ReaderUse progStation,
                           ReaderUse ethTester, ReaderUse setupEditor) {
    return {SettingsFile::EpromData, section, section, key, form, kByteBuffer, progStation, ethTester, setupEditor};
}
constexpr std::array<SettingKey, 6> address(std::string_view section, ReaderUse progStation, ReaderUse setupEditor) {
    return {eprom(section, "BYTE1", ValueForm::HexByte, progStation, notRead(), setupEditor),
            eprom(section, "BYTE2", ValueForm::HexByte, progStation, notRead(), setupEditor),
            eprom(section, "BYTE3", ValueForm::HexByte, progStation, notRead(), setupEditor),
            eprom(section, "BYTE4", ValueForm::HexByte, progStation, notRead(), setupEditor),
            eprom(section, "BYTE5", ValueForm::HexByte, progStation, notRead(), setupEditor),
            eprom(section, "BYTE6", ValueForm::HexByte, progStation, notRead(), setupEditor)};
}
constexpr SettingKey diagFlag(std::string_view section, std::string_view key, ReaderUse progStation,
                              ReaderUse ethTester, ReaderUse setupEditor) {
    return {SettingsFile::EthernetDiagnostic, section, section, key, ValueForm::Flag, 0,
            progStation, ethTester, setupEditor};
}
constexpr SettingKey diagText(std::string_view key, std::string_view defaultValue) {
    return {SettingsFile::EthernetDiagnostic, "LONGLOOPBACK", "LONGLOOPBACK", key, ValueForm::DecimalText,
            kValueBuffer, notRead(), textRead(defaultValue), textRead(defaultValue)};
}
constexpr SettingKey diagTextKey(std::string_view section, std::string_view key, ReaderUse progStation,
                                 ReaderUse ethTester, ReaderUse setupEditor) {
    return {SettingsFile::EthernetDiagnostic, section, section, key, ValueForm::Text, kValueBuffer,
            progStation, ethTester, setupEditor};
}
constexpr SettingKey custom(std::string_view key, ReaderUse progStation) {
    return {SettingsFile::Customize, "Strings", "strings", key, ValueForm::Text, kValueBuffer,
            progStation, notRead(), notRead()};
}
}  // namespace detail

// Every key of the three files, file by file in file order, one row each: X(Name, its
// definition). Each row declares keys::Name below, and allKeys() lists the rows in this
// order, so a key is added (or removed) at this one place.
#define LT_SETTINGS_KEYS(X)                                                                                          \
    /* ---- EpromData.ini: the programming record. Written by ProgStation (all) and SetupEditor                  */ \
    /* (PREVIOUSMACADDR, NEXTMACADDR); every text read passes an empty default.                                  */ \
    /* Start address of the current range: the Start Address boxes' texts.                                       */ \
    X(InitialMacAddr, detail::address("INITIALMACADDR", textRead(""), notRead()))                                    \
    /* Declared size of the range: the Device Count box's text; empty when no range is open.                     */ \
    X(InitialDevCount,                                                                                               \
      detail::eprom("INITIALDEVCOUNT", "COUNT", ValueForm::Count, textRead(""), notRead(), notRead()))               \
    /* Last address handed out: "%02x" per byte (ProgStation) or the editor's box texts.                         */ \
    X(PreviousMacAddr, detail::address("PREVIOUSMACADDR", textRead(""), textRead("")))                               \
    /* Adapters of the range programmed so far ("%lu"); empty when no range is open.                             */ \
    X(PreviousDevCount,                                                                                              \
      detail::eprom("PREVIOUSDEVCOUNT", "COUNT", ValueForm::Count, textRead(""), notRead(), notRead()))              \
    /* First free address: always "%02x" per byte.                                                               */ \
    X(NextMacAddr, detail::address("NEXTMACADDR", textRead(""), notRead()))                                          \
    /* Overwrite choice; ProgStation reads the text and parses it as "%d" (empty gives 0).                       */ \
    X(OverwriteFlag,                                                                                                 \
      detail::eprom("OVERWRITEFLAG", "OVERWRITE", ValueForm::Flag, textRead(""), notRead(), notRead()))              \
    /* Automatic diagnostics: ProgStation parses the text as "%d"; EthTester takes an integer read with          */ \
    /* default 0 and starts a run by itself when it is non-zero.                                                 */ \
    X(DiagnosticsMode,                                                                                               \
      detail::eprom("DIAGNOSTICSMODE", "AUTO", ValueForm::Flag, textRead(""), integerRead(0), notRead()))            \
                                                                                                                     \
    /* ---- EthernetDiagnostic.ini: diagnostics and station settings. Written only by SetupEditor; flags         */ \
    /* are integer reads. The defaults differ between the programs.                                              */ \
    X(TestRegister, detail::diagFlag("TESTITEMS", "Register", notRead(), integerRead(1), integerRead(1)))            \
    X(TestQuickLoopback, detail::diagFlag("TESTITEMS", "QuickLoopback", notRead(), integerRead(1), integerRead(1)))  \
    X(TestLongLoopback, detail::diagFlag("TESTITEMS", "LongLoopback", notRead(), integerRead(0), integerRead(1)))    \
    X(TestExternalLoopback,                                                                                          \
      detail::diagFlag("TESTITEMS", "ExternalLoopback", notRead(), integerRead(0), integerRead(1)))                  \
    /* Read only while LongLoopback or ExternalLoopback reads non-zero.                                          */ \
    X(PacketCount, detail::diagText("PacketCount", "10"))                                                            \
    X(PacketSize, detail::diagText("PacketSize", "1514"))                                                            \
    X(LogEnable, detail::diagFlag("LOGFLAG", "Enable", notRead(), integerRead(0), integerRead(0)))                   \
    X(OverWriteAddress,                                                                                              \
      detail::diagFlag("EPROMUTILITY", "OverWriteAddress", integerRead(1), notRead(), integerRead(0)))               \
    X(DisplayMacAddresses,                                                                                           \
      detail::diagFlag("EPROMUTILITY", "DisplayMacAddresses", integerRead(1), notRead(), integerRead(0)))            \
    X(LaunchDiagnosticApp,                                                                                           \
      detail::diagFlag("EPROMUTILITY", "LaunchDiagnosticApp", integerRead(1), notRead(), integerRead(0)))            \
    /* The station's production ledger. StationName: the name written in its lines and its key on a ledger      */ \
    /* server; empty means the computer's name. GuardReissue: ask before a press hands out addresses that the    */ \
    /* ledger holds as shipped (non-zero), or not (0). Connection: an ODBC connection string ("DSN=...") of     */ \
    /* the ledger server that the stations of a line share; empty means the station's own AddressLedger.csv.  */ \
    X(StationName, detail::diagTextKey("LEDGER", "StationName", textRead(""), notRead(), textRead("")))              \
    X(GuardReissue, detail::diagFlag("LEDGER", "GuardReissue", integerRead(1), notRead(), integerRead(1)))           \
    X(LedgerConnection, detail::diagTextKey("LEDGER", "Connection", textRead(""), notRead(), textRead("")))          \
                                                                                                                     \
    /* ---- Customize.ini: the station's descriptor settings, section read as "Strings" and written as           */ \
    /* "strings". A value that is missing or empty counts as not read: the station then takes the default        */ \
    /* given here and writes it back.                                                                            */ \
    /* Written once, when the station creates the file, with kManufacturerValue and kProviderValue; never        */ \
    /* read.                                                                                                     */ \
    X(Manufacturer, detail::custom("MANUFACTURER", notRead()))                                                       \
    X(Provider, detail::custom("PROVIDER", notRead()))                                                               \
    X(ManufacturerId, detail::custom("MANUFACTURERID", textRead("Korvane Semiconductor")))                           \
    X(ProductId, detail::custom("PRODUCTID", textRead("USB-MAC Controller")))                                        \
    X(Vid, detail::custom("VID", textRead("8207")))                                                                  \
    X(Pid, detail::custom("PID", textRead("6514")))                                                                  \
    X(LanguageId, detail::custom("LANGGUAGEID", textRead("0409")))

// keys::InitialMacAddr and the others: a SettingKey, or the six of an address record.
#define LT_DECLARE_SETTING_KEY(name, ...) inline constexpr auto name = __VA_ARGS__;
LT_SETTINGS_KEYS(LT_DECLARE_SETTING_KEY)
#undef LT_DECLARE_SETTING_KEY

// The values the station writes to MANUFACTURER and PROVIDER.
inline constexpr std::string_view kManufacturerValue = "MfgName";
inline constexpr std::string_view kProviderValue = "ProviderName";

}  // namespace keys

// The six keys of an address record.
const std::array<SettingKey, 6>& addressKeys(AddressRecord record);

// Every key of the three files, file by file in the order above.
std::span<const SettingKey> allKeys();

}  // namespace lt::settings
