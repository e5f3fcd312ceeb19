// package_check.h: where the driver package lies (folder UsbMac at the root of the Windows
// drive) and whether its INF file already knows the station's VID/PID pair.
#pragma once

#include <string>

#include "common/settings/profile_files.h"

namespace lt::progstation {

struct PackagePaths {
    std::string driveRoot;      // "C:\"
    std::string packageFolder;  // "C:\UsbMac"
    std::string inf;            // "C:\UsbMac\netkoru.inf"
};

// The paths on the drive of `windowsDirectory` (its first two characters make the drive).
PackagePaths packagePaths(const std::string& windowsDirectory);

// "USB\VID_8207&PID_6514".
std::string deviceIdText(const std::string& vid, const std::string& pid);
// "%USB\VID_8207&PID_6514.DeviceDesc%".
std::string deviceDescriptionKey(const std::string& vid, const std::string& pid);

// True when the INF's COMPANY entry for the pair ends in exactly the device ID text (the
// value may carry text before it, such as "KorUsbEth, "). A missing file, section or key
// answers false.
bool packageKnowsIds(settings::ProfileFiles& profiles, const std::string& infPath, const std::string& vid,
                     const std::string& pid);

}  // namespace lt::progstation
