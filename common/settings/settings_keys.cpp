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

// One key counts one, an address record six.
constexpr std::size_t keyCount(const SettingKey&) { return 1; }
template <std::size_t N>
constexpr std::size_t keyCount(const std::array<SettingKey, N>&) {
    return N;
}

#define LT_COUNT_SETTING_KEY(name, ...) +keyCount(keys::name)
constexpr std::size_t kKeyCount = 0 LT_SETTINGS_KEYS(LT_COUNT_SETTING_KEY);
#undef LT_COUNT_SETTING_KEY

template <std::size_t Count>
struct KeyList {
    std::array<SettingKey, Count> keys{};
    std::size_t size = 0;

    constexpr void add(const SettingKey& key) { keys[size++] = key; }
    template <std::size_t N>
    constexpr void add(const std::array<SettingKey, N>& record) {
        for (const auto& key : record) add(key);
    }
};

constexpr std::array<SettingKey, kKeyCount> makeAllKeys() {
    KeyList<kKeyCount> list;
#define LT_ADD_SETTING_KEY(name, ...) list.add(keys::name);
    LT_SETTINGS_KEYS(LT_ADD_SETTING_KEY)
#undef LT_ADD_SETTING_KEY
    return list.keys;
}

constexpr std::array<SettingKey, kKeyCount> kAllKeys = makeAllKeys();

}  // namespace

std::span<const SettingKey> allKeys() { return kAllKeys; }

}  // namespace lt::settings
