// settings_keys.cpp: the file names and the list of every settings key in file order.
#include "common/settings/settings_keys.h"

namespace lt::settings {

std::string_view fileName(SettingsFile file) {
    switch (file) {
    case SettingsFile::EpromData: return "EpromData.ini";
    case SettingsFile::EthernetDiagnostic: return "EthernetDiagnostic.ini";
    case SettingsFile::Customize: break;
    }
    return "Customize.ini";
}

const std::array<SettingKey, 6>& addressKeys(AddressRecord record) {
    switch (record) {
    case AddressRecord::Initial: return keys::InitialMacAddr;
    case AddressRecord::Previous: return keys::PreviousMacAddr;
    case AddressRecord::Next: break;
    }
    return keys::NextMacAddr;
}

namespace {

constexpr std::size_t kKeyCount = 6 + 1 + 6 + 1 + 6 + 1 + 1 + 12 + 7;

constexpr std::array<SettingKey, kKeyCount> makeAllKeys() {
    std::array<SettingKey, kKeyCount> all{};
    std::size_t n = 0;
    auto add = [&](const SettingKey& key) { all[n++] = key; };
    for (const auto& key : keys::InitialMacAddr) add(key);
    add(keys::InitialDevCount);
    for (const auto& key : keys::PreviousMacAddr) add(key);
    add(keys::PreviousDevCount);
    for (const auto& key : keys::NextMacAddr) add(key);
    add(keys::OverwriteFlag);
    add(keys::DiagnosticsMode);
    add(keys::TestRegister);
    add(keys::TestQuickLoopback);
    add(keys::TestLongLoopback);
    add(keys::TestExternalLoopback);
    add(keys::PacketCount);
    add(keys::PacketSize);
    add(keys::LogEnable);
    add(keys::OverWriteAddress);
    add(keys::DisplayMacAddresses);
    add(keys::LaunchDiagnosticApp);
    add(keys::StationName);
    add(keys::GuardReissue);
    add(keys::Manufacturer);
    add(keys::Provider);
    add(keys::ManufacturerId);
    add(keys::ProductId);
    add(keys::Vid);
    add(keys::Pid);
    add(keys::LanguageId);
    return all;
}

constexpr std::array<SettingKey, kKeyCount> kAllKeys = makeAllKeys();

}  // namespace

std::span<const SettingKey> allKeys() { return kAllKeys; }

}  // namespace lt::settings
