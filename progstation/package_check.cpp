// package_check.cpp: the driver package's paths and its VID/PID check.
#include "progstation/package_check.h"

namespace lt::progstation {

PackagePaths packagePaths(const std::string& windowsDirectory) {
    PackagePaths p;
    p.driveRoot = windowsDirectory.substr(0, 2) + "\\";
    p.packageFolder = windowsDirectory.substr(0, 1) + ":\\UsbMac";
    p.inf = p.packageFolder + "\\netkoru.inf";
    return p;
}

std::string deviceIdText(const std::string& vid, const std::string& pid) {
    return "USB\\VID_" + vid + "&PID_" + pid;
}

std::string deviceDescriptionKey(const std::string& vid, const std::string& pid) {
    std::string key = "%";
    key += deviceIdText(vid, pid);
    key += ".DeviceDesc%";
    return key;
}

bool packageKnowsIds(settings::ProfileFiles& profiles, const std::string& infPath, const std::string& vid,
                     const std::string& pid) {
    const std::string id = deviceIdText(vid, pid);
    std::string value = profiles.readString(infPath, "COMPANY", deviceDescriptionKey(vid, pid), "", 260);
    const std::size_t p = value.find(id);
    if (p != std::string::npos && p > 0) value.erase(0, p);
    return value == id;
}

}  // namespace lt::progstation
