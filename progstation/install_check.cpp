// install_check.cpp: snapshot, rescan, pick and service check over the USB device registry.
#include "progstation/install_check.h"

#include <algorithm>
#include <cctype>

#include "common/adapter/requests.h"

namespace lt::progstation {
namespace {

constexpr uint32_t kReEnumerationPause = 5000;
constexpr uint32_t kNewKeyPause = 500;

bool equalsNoCase(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return i == a.size() && b[i] == '\0';
}

// Every subkey of `key` with its instance count, in enumeration order; keys that cannot be
// opened or queried are skipped.
template <typename Visit>
void enumerate(RegistryKey& key, Visit visit) {
    for (uint32_t index = 0;; ++index) {
        const std::optional<std::string> name = key.subkeyName(index);
        if (!name) return;
        visit(*name);
    }
}

std::optional<uint32_t> instanceCount(RegistryKey& usb, const std::string& name) {
    auto key = usb.openSubkey(name);
    if (!key) return std::nullopt;
    return key->subkeyCount();
}

const DeviceKey* findByName(const std::vector<DeviceKey>& keys, const std::string& name) {
    auto it = std::find_if(keys.begin(), keys.end(), [&](const DeviceKey& k) { return k.name == name; });
    return it == keys.end() ? nullptr : &*it;
}

}  // namespace

bool nameCarriesIds(const std::string& name, const std::string& vid, const std::string& pid) {
    return name.size() == 17 && name.compare(4, 4, vid) == 0 && name.compare(13, 4, pid) == 0;
}

std::vector<DeviceKey> InstallCheck::snapshot() {
    std::vector<DeviceKey> keys;
    auto usb = registry_.openUsbKey();
    if (!usb) return keys;
    enumerate(*usb, [&](const std::string& name) {
        if (auto count = instanceCount(*usb, name)) keys.push_back({name, *count});
    });
    return keys;
}

bool InstallCheck::rescan(ScanRecord& r) {
    auto usb = registry_.openUsbKey();
    if (!usb) return false;
    enumerate(*usb, [&](const std::string& name) {
        if (!findByName(r.snapshot, name)) {
            r.added.push_back({name, 0});
        } else if (auto count = instanceCount(*usb, name)) {
            r.known.push_back({name, *count});
        }
    });
    return true;
}

InstallResult InstallCheck::pickAndCheck(ScanRecord& r) {
    struct Pick { std::string name; bool isNew; };
    std::vector<Pick> picked;
    int64_t sum = 0;
    bool reached = false;

    // Known keys whose instance count grew. A key is compared with its own snapshot entry
    // by name, so a device-ID key that disappeared between the scans shifts nothing.
    for (const DeviceKey& now : r.known) {
        const DeviceKey* before = findByName(r.snapshot, now.name);
        if (before && now.instances > before->instances) {
            sum += now.instances - before->instances;
            picked.push_back({now.name, false});
            if (sum == r.target) { reached = true; break; }
        }
    }
    if (!reached) {
        auto usb = registry_.openUsbKey();
        for (DeviceKey& key : r.added) {
            const std::optional<uint32_t> count = usb ? instanceCount(*usb, key.name) : std::nullopt;
            key.instances = count ? int64_t(*count) : -1;
            sum += key.instances;
            picked.push_back({key.name, true});
            if (sum == r.target) break;
        }
    }

    InstallResult result = InstallResult::NothingToCheck;
    for (const Pick& p : picked) {
        if (!p.isNew) {
            result = serviceCheck(p.name);
        } else if (nameCarriesIds(p.name, r.vid, r.pid)) {
            pauses_.pause(kNewKeyPause);
            result = serviceCheck(p.name);
        } else {
            result = InstallResult::ForeignNewKey;
        }
    }
    return result;
}

InstallResult InstallCheck::serviceCheck(const std::string& deviceKey) {
    auto usb = registry_.openUsbKey();
    auto key = usb ? usb->openSubkey(deviceKey) : nullptr;
    if (!key) return InstallResult::NothingToCheck;
    InstallResult answer = InstallResult::NothingToCheck;
    enumerate(*key, [&](const std::string& instanceName) {
        auto instance = key->openSubkey(instanceName);
        if (!instance) return;
        const std::optional<std::string> service = instance->stringValue("Service");
        if (!service)
            answer = InstallResult::ServiceUnreadable;
        else if (equalsNoCase(*service, "KORUMAC"))
            answer = InstallResult::ServiceBound;
    });
    return answer;
}

bool InstallCheck::run(adapter::ControlDevice& device, std::unique_ptr<adapter::ControlHandle>& handle,
                       const std::string& vid, const std::string& pid, bool& reEnumerated,
                       const std::function<void()>& deviceMissing, InstallResult& result) {
    result = InstallResult::NothingToCheck;
    uint32_t error = 0;
    if (!handle) {
        handle = device.open(error);
        if (!handle) {
            deviceMissing();
            return false;
        }
    }
    ScanRecord record{vid, pid, snapshot(), {}, {}, 0};

    uint32_t count = 0;
    if (!adapter::getReplugCount(*handle, count, error)) {
        handle.reset();
        return false;
    }
    if (count != 0) {
        reEnumerated = true;
        pauses_.pause(kReEnumerationPause);
    }
    record.target = count;
    if (rescan(record)) result = pickAndCheck(record);
    handle.reset();
    return true;
}

}  // namespace lt::progstation
