// install_check.h: the driver installation check run after a lot has been programmed:
// waits for adapters that come back under their new USB identity and looks at the
// driver service bound to them.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/adapter/control_device.h"
#include "common/platform/pauses.h"
#include "progstation/device_registry.h"

namespace lt::progstation {

// What the service check found (the programming cycle goes on whatever it is).
enum class InstallResult {
    NothingToCheck = 0,   // no key picked, registry unreadable, or no instance answered
    ServiceBound = 1,     // an instance of the last key checked is bound to "KORUMAC"
    ForeignNewKey = 2,    // the last key picked is new and does not carry the station's VID and PID
    ServiceUnreadable = 4 // an instance of the last key checked has no readable "Service" value
};

// One device-ID key seen in a scan.
struct DeviceKey {
    std::string name;
    int64_t instances = 0;  // -1: a new key that could not be opened or queried
};

// The lists of one check. They grow with the registry: any number of device-ID keys is
// scanned (no fixed table to overflow, and no key left out).
struct ScanRecord {
    std::string vid, pid;
    std::vector<DeviceKey> snapshot;
    std::vector<DeviceKey> known;  // rescan: keys that were in the snapshot
    std::vector<DeviceKey> added;  // rescan: keys that were not
    uint32_t target = 0;
};

// The exact 17-character USB name test: characters 5-8 the VID, 14-17 the PID (case-sensitive).
bool nameCarriesIds(const std::string& name, const std::string& vid, const std::string& pid);

class InstallCheck {
public:
    InstallCheck(DeviceRegistry& registry, platform::Pauses& pauses) : registry_(registry), pauses_(pauses) {}

    // Snapshot of the USB key (empty when it cannot be opened).
    std::vector<DeviceKey> snapshot();
    // Rescan against a snapshot; false when the USB key cannot be opened.
    bool rescan(ScanRecord& record);
    // Picks the keys that account for the target and checks their service; the result of
    // the last picked key, NothingToCheck when none was picked.
    InstallResult pickAndCheck(ScanRecord& record);
    // The service bound to the instances of one device-ID key.
    InstallResult serviceCheck(const std::string& deviceKey);

    // The whole check: snapshot, IOCTL_GET_REPLUG_COUNT, the 5000 ms pause and the
    // re-enumerated flag when adapters re-enumerate, then rescan, pick and check.
    // `handle` is the main dialog's control-device handle: opened here when null
    // (`deviceMissing` shows the operator's message when that fails) and closed at the end.
    // Returns whether the replug count was asked; `result` receives the check's result.
    bool run(adapter::ControlDevice& device, std::unique_ptr<adapter::ControlHandle>& handle, const std::string& vid,
             const std::string& pid, bool& reEnumerated, const std::function<void()>& deviceMissing,
             InstallResult& result);

private:
    DeviceRegistry& registry_;
    platform::Pauses& pauses_;
};

}  // namespace lt::progstation
