// settings_store.h: typed access to the settings files (EpromData.ini, EthernetDiagnostic.ini, Customize.ini) over the profile-file port.
//
// Every call opens, reads or writes and closes the file through ProfileFiles; nothing is
// cached, so each program sees the others' latest writes at its next read. Missing files,
// sections and keys read as the reader's default of settings_keys.h. Writes return
// whether the profile write succeeded: the station acts on it for its programming records
// (range, lot, completion) and the editor for Save and Clear; the other writes go
// unchecked (a failed one leaves the old value). Nothing is thrown.
#pragma once

#include "common/adapter/mac_address.h"
#include "common/platform/file_system.h"
#include "common/platform/system_paths.h"
#include "common/settings/diagnostic_settings.h"
#include "common/settings/profile_files.h"
#include "common/settings/settings_keys.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lt::settings {

// The paths of the three files: the Windows directory, a backslash and the file name.
struct SettingsPaths {
    std::string epromData;           // <windows>\EpromData.ini
    std::string ethernetDiagnostic;  // <windows>\EthernetDiagnostic.ini
    std::string customize;           // <windows>\Customize.ini

    friend bool operator==(const SettingsPaths&, const SettingsPaths&) = default;
};

// The paths inside `windowsDirectory` (taken as it stands).
SettingsPaths settingsPathsIn(std::string_view windowsDirectory);
// The paths inside the machine's Windows directory; nothing when the directory cannot be had.
std::optional<SettingsPaths> settingsPaths(platform::SystemPaths& system);

// The six texts of an address record, BYTE1 first, as they stand in the file or a box.
using AddressTexts = std::array<std::string, 6>;

// Several keys of one file, written as one change: a program stopped halfway leaves the file
// with all of them or none (ProfileFiles::writeStrings). The records of a lot and of a range
// are written so, because a mix of old and new keys could hand out an address again.
class SettingsChange {
public:
    void text(const SettingKey& key, std::string_view value);
    void flag(const SettingKey& key, bool on) { text(key, on ? "1" : "0"); }
    void count(const SettingKey& key, uint32_t value);
    void addressTexts(AddressRecord record, const AddressTexts& texts);
    void address(AddressRecord record, const adapter::MacAddress& address);  // "%02x" each

private:
    friend class SettingsStore;
    std::optional<SettingsFile> file_;
    bool mixed_ = false;  // keys of more than one file: refused
    std::vector<ProfileWrite> writes_;
};

class SettingsStore {
public:
    SettingsStore(ProfileFiles& profiles, platform::FileSystem& files, SettingsPaths paths);

    const SettingsPaths& paths() const { return paths_; }
    const std::string& path(SettingsFile file) const;

    // The file exists (looked up as FindFirstFileA does).
    bool exists(SettingsFile file);

    // ---- One key, read the way `reader` reads it (settings_keys.h).
    // Text: a string read with the reader's default into the key's buffer. For a key the
    // reader takes with an integer read, or does not read, an empty default and a buffer
    // of kValueBuffer are used.
    std::string readText(const SettingKey& key, Reader reader);
    // Number: an integer read with the reader's default when the reader reads the key as
    // an integer; otherwise the text read above parsed by its form ("%d" for flags, "%lu"
    // for counts and decimal text, "%x" for hex bytes, 0 for free text).
    uint32_t readNumber(const SettingKey& key, Reader reader);

    bool writeText(const SettingKey& key, std::string_view value);
    bool writeFlag(const SettingKey& key, bool on);          // "1" or "0"
    bool writeDecimal(const SettingKey& key, int32_t value);  // "%d", a number copied from a read
    bool writeCount(const SettingKey& key, uint32_t value);   // "%lu"

    // ---- MAC address records (EpromData.ini), six keys each, BYTE1 to BYTE6 in order.
    // The six texts as stored (10-character buffers, empty default).
    AddressTexts readAddressTexts(AddressRecord record, Reader reader);
    // The six texts each parsed as "%x", low eight bits kept (text that does not parse gives 0).
    adapter::MacAddress readAddress(AddressRecord record, Reader reader);
    bool writeAddressTexts(AddressRecord record, const AddressTexts& texts);
    bool writeAddress(AddressRecord record, const adapter::MacAddress& address);  // "%02x" each
    bool clearAddress(AddressRecord record);  // the empty string to all six keys
    // Writes every key of `change` as one change of its file. A change with keys of more
    // than one file writes nothing and gives false.
    bool apply(const SettingsChange& change);

    // Whether a last address is recorded. ProgStation: EpromData.ini exists and
    // PREVIOUSMACADDR BYTE1 is not empty. SetupEditor (and EthTester, which never asks):
    // PREVIOUSMACADDR BYTE1 is not empty. BYTE1 is read into a 260-character buffer.
    bool lastAddressRecorded(Reader reader);

    // NEXTMACADDR := `previous` stepped by one address step, six "%02x" values in order.
    bool writeNextAddress(const adapter::MacAddress& previous);

    // Clearing the last address: when EpromData.ini exists, the empty string to
    // PREVIOUSMACADDR BYTE1..BYTE6 and then to NEXTMACADDR BYTE1..BYTE6; every other record
    // stays. Nothing is written (and false returned) when the file does not exist.
    bool clearLastAddress();

    // ---- EthernetDiagnostic.ini as a whole, row by row of diagnostic_settings.h.
    // The keys `reader` reads, each with its default; the packet values are read (260-
    // character buffers) only when LongLoopback or ExternalLoopback reads non-zero, else
    // both are "1". Keys the reader does not read stay as in a default DiagnosticSettings.
    DiagnosticSettings loadDiagnosticSettings(Reader reader);
    // SetupEditor's write of the whole file, in the table's order: the four TESTITEMS flags;
    // the two LONGLOOPBACK values only when long or external loopback is on (otherwise the
    // section is left as it is); LOGFLAG Enable; the three EPROMUTILITY flags. Flags are
    // written "1" (non-zero) or "0", packet values as given. True when every write succeeded.
    bool saveDiagnosticSettings(const DiagnosticSettings& settings);

private:
    ProfileFiles& profiles_;
    platform::FileSystem& files_;
    SettingsPaths paths_;
};

}  // namespace lt::settings
