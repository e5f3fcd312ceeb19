// settings_store.cpp: typed reads and writes of the settings files, each through one profile call.
#include "common/settings/settings_store.h"

#include "common/settings/value_forms.h"

#include <utility>

namespace lt::settings {

SettingsPaths settingsPathsIn(std::string_view windowsDirectory) {
    const std::string dir(windowsDirectory);
    return {dir + "\\" + std::string(fileName(SettingsFile::EpromData)),
            dir + "\\" + std::string(fileName(SettingsFile::EthernetDiagnostic)),
            dir + "\\" + std::string(fileName(SettingsFile::Customize))};
}

std::optional<SettingsPaths> settingsPaths(platform::SystemPaths& system) {
    const auto dir = system.windowsDirectory();
    if (!dir || dir->empty()) return std::nullopt;
    return settingsPathsIn(*dir);
}

SettingsStore::SettingsStore(ProfileFiles& profiles, platform::FileSystem& files, SettingsPaths paths)
    : profiles_(profiles), files_(files), paths_(std::move(paths)) {}

const std::string& SettingsStore::path(SettingsFile file) const {
    switch (file) {
    case SettingsFile::EpromData: return paths_.epromData;
    case SettingsFile::EthernetDiagnostic: return paths_.ethernetDiagnostic;
    case SettingsFile::Customize: break;
    }
    return paths_.customize;
}

bool SettingsStore::exists(SettingsFile file) { return files_.exists(path(file)); }

std::string SettingsStore::readText(const SettingKey& key, Reader reader) {
    const ReaderUse& use = key.use(reader);
    if (use.kind == ReadKind::Text) {
        return profiles_.readString(path(key.file), key.section, key.key, use.text, key.bufferSize);
    }
    return profiles_.readString(path(key.file), key.section, key.key, "", kValueBuffer);
}

uint32_t SettingsStore::readNumber(const SettingKey& key, Reader reader) {
    const ReaderUse& use = key.use(reader);
    if (use.kind == ReadKind::Integer) {
        return profiles_.readInt(path(key.file), key.section, key.key, use.number);
    }
    const std::string text = readText(key, reader);
    switch (key.form) {
    case ValueForm::Flag: return static_cast<uint32_t>(parseDecimal(text));
    case ValueForm::HexByte: return parseHexByte(text);
    case ValueForm::Count:
    case ValueForm::DecimalText: return parseCount(text);
    case ValueForm::Text: break;
    }
    return 0;
}

namespace {
// A line break would end the entry and start another one in the file (the profile API
// writes it as it stands), so a value is cut at its first CR or LF.
std::string_view oneLine(std::string_view value) { return value.substr(0, value.find_first_of("\r\n")); }
}  // namespace

bool SettingsStore::writeText(const SettingKey& key, std::string_view value) {
    return profiles_.writeString(path(key.file), key.writtenSection, key.key, oneLine(value));
}

void SettingsChange::text(const SettingKey& key, std::string_view value) {
    if (file_ && *file_ != key.file) mixed_ = true;
    file_ = key.file;
    writes_.push_back({std::string(key.writtenSection), std::string(key.key), std::string(oneLine(value))});
}

void SettingsChange::count(const SettingKey& key, uint32_t value) { text(key, formatCount(value)); }

void SettingsChange::addressTexts(AddressRecord record, const AddressTexts& texts) {
    const auto& keys = addressKeys(record);
    for (std::size_t i = 0; i < keys.size(); ++i) text(keys[i], texts[i]);
}

void SettingsChange::address(AddressRecord record, const adapter::MacAddress& address) {
    const auto& keys = addressKeys(record);
    for (std::size_t i = 0; i < keys.size(); ++i) text(keys[i], formatHexByte(address[i]));
}

bool SettingsStore::apply(const SettingsChange& change) {
    if (change.mixed_) return false;
    if (!change.file_) return true;
    return profiles_.writeStrings(path(*change.file_), change.writes_);
}

bool SettingsStore::writeFlag(const SettingKey& key, bool on) { return writeText(key, on ? "1" : "0"); }

bool SettingsStore::writeDecimal(const SettingKey& key, int32_t value) { return writeText(key, formatDecimal(value)); }

bool SettingsStore::writeCount(const SettingKey& key, uint32_t value) { return writeText(key, formatCount(value)); }

AddressTexts SettingsStore::readAddressTexts(AddressRecord record, Reader reader) {
    AddressTexts texts;
    const auto& keys = addressKeys(record);
    for (std::size_t i = 0; i < keys.size(); ++i) texts[i] = readText(keys[i], reader);
    return texts;
}

adapter::MacAddress SettingsStore::readAddress(AddressRecord record, Reader reader) {
    const AddressTexts texts = readAddressTexts(record, reader);
    adapter::MacAddress address{};
    for (std::size_t i = 0; i < address.size(); ++i) address[i] = parseHexByte(texts[i]);
    return address;
}

bool SettingsStore::writeAddressTexts(AddressRecord record, const AddressTexts& texts) {
    const auto& keys = addressKeys(record);
    bool ok = true;
    for (std::size_t i = 0; i < keys.size(); ++i) ok &= writeText(keys[i], texts[i]);
    return ok;
}

bool SettingsStore::writeAddress(AddressRecord record, const adapter::MacAddress& address) {
    const auto& keys = addressKeys(record);
    bool ok = true;
    for (std::size_t i = 0; i < keys.size(); ++i) ok &= writeText(keys[i], formatHexByte(address[i]));
    return ok;
}

bool SettingsStore::clearAddress(AddressRecord record) {
    bool ok = true;
    for (const SettingKey& key : addressKeys(record)) ok &= writeText(key, "");
    return ok;
}

bool SettingsStore::lastAddressRecorded(Reader reader) {
    if (reader == Reader::ProgStation && !exists(SettingsFile::EpromData)) return false;
    const SettingKey& byte1 = keys::PreviousMacAddr[0];
    return !profiles_.readString(path(byte1.file), byte1.section, byte1.key, "", kValueBuffer).empty();
}

bool SettingsStore::writeNextAddress(const adapter::MacAddress& previous) {
    return writeAddress(AddressRecord::Next, adapter::stepAddress(previous));
}

bool SettingsStore::clearLastAddress() {
    if (!exists(SettingsFile::EpromData)) return false;
    const bool previous = clearAddress(AddressRecord::Previous);
    const bool next = clearAddress(AddressRecord::Next);
    return previous && next;
}

DiagnosticSettings SettingsStore::loadDiagnosticSettings(Reader reader) {
    DiagnosticSettings settings;
    // The loopback flags come before the packet values in the table, so packetsUsed() is
    // known when those are reached.
    for (const DiagnosticField& f : diagnosticFields()) {
        const SettingKey& key = *f.key;
        if (f.flag)
            settings.*f.flag = key.use(reader).kind == ReadKind::NotRead ? 0 : readNumber(key, reader);
        else if (settings.packetsUsed())
            settings.*f.text = readText(key, reader);
    }
    return settings;
}

bool SettingsStore::saveDiagnosticSettings(const DiagnosticSettings& settings) {
    bool ok = true;
    for (const DiagnosticField& f : diagnosticFields()) {
        if (f.flag)
            ok &= writeFlag(*f.key, settings.*f.flag != 0);
        else if (settings.packetsUsed())
            ok &= writeText(*f.key, settings.*f.text);
    }
    return ok;
}

}  // namespace lt::settings
