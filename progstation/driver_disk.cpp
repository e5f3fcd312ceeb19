// driver_disk.cpp: the driver disk's folder choice, package copy and INF rewriting.
#include "progstation/driver_disk.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "progstation/package_check.h"
#include "resources/progstation_ids.h"

namespace lt::progstation {
namespace {

constexpr std::size_t longestPackageFile() {
    std::size_t longest = 0;
    for (std::string_view file : kPackageFiles) longest = std::max(longest, file.size());
    return longest;
}
constexpr int kNumberedNames = 99;

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

// True when the path is a drive root such as "C:\" (nothing after the drive part).
bool isDriveRoot(std::string_view path) {
    while (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.remove_suffix(1);
    return path.size() == 2 && path[1] == ':';
}

std::string withoutTrailingSeparators(std::string path) {
    while (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    return path;
}

// Writes one key: delete it twice, then write it; the step stands on the write.
bool writeKey(settings::ProfileFiles& profiles, platform::FileSystem& files, const std::string& inf,
              std::string_view section, const std::string& key, const std::string& value) {
    files.clearReadOnly(inf);
    profiles.deleteKey(inf, section, key);
    profiles.deleteKey(inf, section, key);
    return profiles.writeString(inf, section, key, value);
}

}  // namespace

std::string defaultDiskFolderName(const std::string& vid, const std::string& pid) {
    return "Drv_Disk_" + vid + "_" + pid;
}

bool rewriteInf(settings::ProfileFiles& profiles, platform::FileSystem& files, const std::string& infPath,
                const std::string& vid, const std::string& pid) {
    const std::string id = deviceIdText(vid, pid);
    if (!writeKey(profiles, files, infPath, "ControlFlags", "ExcludeFromSelect", id)) return false;
    if (!writeKey(profiles, files, infPath, "COMPANY", deviceDescriptionKey(vid, pid), "KorUsbEth, " + id))
        return false;
    if (!writeKey(profiles, files, infPath, "KorUsbEth", "DeviceID", id)) return false;

    files.clearReadOnly(infPath);
    constexpr std::string_view kNdiSection = "KORUMAC_DevID.ndi";
    if (!profiles.deleteSection(infPath, kNdiSection)) return false;
    const std::string lines[] = {"HKR,Ndi,DeviceID,," + id};
    if (!profiles.appendSection(infPath, kNdiSection, lines)) return false;

    return writeKey(profiles, files, infPath, "strings", id + ".DeviceDesc", "\"USB-Ethernet Adapter\"");
}

DiskOutcome DriverDisk::create(const DriverDiskHost& host) {
    const std::string windows = ports_.system.windowsDirectory().value_or("");
    const PackagePaths package = packagePaths(windows);
    if (windows.size() < 2 || !ports_.files.directoryExists(package.packageFolder)) {
        view_.messageBox(ports_.strings.text(IDS_CHECK_DRIVER_INSTALLED), ui::Icon::Exclamation, ui::Buttons::Ok);
        return DiskOutcome::PackageMissing;
    }

    const IdTexts ids = host.takeFields ? host.takeFields() : IdTexts{};
    const std::string& vid = ids.vid;
    const std::string& pid = ids.pid;
    folderName_ = defaultDiskFolderName(vid, pid);
    // Room for a numbered name and the longest package file in a path buffer; a longer
    // ID text (a damaged Customize.ini) is refused before anything is created.
    if (package.driveRoot.size() + folderName_.size() + 3 + longestPackageFile() >= kPathBuffer) return fail();

    const bool created = createProposedFolder(package.driveRoot);
    const std::string proposed = package.driveRoot + folderName_;

    const std::optional<std::string> chosen = ports_.browser.chooseFolder(proposed);
    if (!chosen) {
        if (created) ports_.shell.deleteFolder(proposed);
        return DiskOutcome::Cancelled;
    }
    std::string diskFolder = proposed;
    if (!samePlace(*chosen, proposed)) {
        // A folder made inside the proposed one in the browser keeps the proposed one.
        if (created && !contains(proposed, *chosen)) ports_.shell.deleteFolder(proposed);
        diskFolder = *chosen;
    }
    if (host.refreshDialog) host.refreshDialog();

    if (isDriveRoot(*chosen)) return DiskOutcome::DriveRoot;

    if (!copyPackage(package.packageFolder, diskFolder)) return fail();
    if (!rewriteInf(ports_.profiles, ports_.files, withoutTrailingSeparators(diskFolder) + "\\netkoru.inf", vid, pid))
        return fail();

    ports_.shell.openFolder(*chosen);
    if (host.exitStation) host.exitStation();
    return DiskOutcome::Created;
}

// Makes the proposed folder; true when this run created the folder it proposes now.
bool DriverDisk::createProposedFolder(const std::string& driveRoot) {
    const std::string path = driveRoot + folderName_;
    if (ports_.files.createDirectory(path)) return true;
    if (view_.messageBox(ports_.strings.text(IDS_OVERWRITE_DIRECTORY), ui::Icon::Information,
                         ui::Buttons::OkCancel) == ui::Answer::Ok) {
        ports_.shell.deleteFolder(path);
        return ports_.files.createDirectory(path);
    }
    for (int n = 1; n <= kNumberedNames; ++n) {
        char suffix[16];  // "_01" to "_99", with room for any int: g++ -O1 cannot see n's range
        std::snprintf(suffix, sizeof suffix, "_%02d", n);
        const std::string name = folderName_ + suffix;
        if (ports_.files.createDirectory(driveRoot + name)) {
            folderName_ = name;
            return true;
        }
    }
    return false;  // all taken: the existing folder is proposed, and nothing is deleted
}

// The full path as the system resolves it, without trailing separators, in lower case.
std::string DriverDisk::canonical(const std::string& path) {
    std::string full = ports_.files.fullPath(path).value_or(path);
    for (char& c : full) c = c == '/' ? '\\' : lowerAscii(c);
    return withoutTrailingSeparators(std::move(full));
}

bool DriverDisk::samePlace(const std::string& a, const std::string& b) { return canonical(a) == canonical(b); }

bool DriverDisk::contains(const std::string& outer, const std::string& inner) {
    const std::string o = canonical(outer) + "\\";
    return canonical(inner).compare(0, o.size(), o) == 0;
}

bool DriverDisk::copyPackage(const std::string& packageFolder, const std::string& diskFolder) {
    const std::string folder = withoutTrailingSeparators(diskFolder);
    for (std::string_view file : kPackageFiles) {
        const std::string from = packageFolder + std::string(file);
        const std::string to = folder + std::string(file);
        if (to.size() >= kPathBuffer || from.size() >= kPathBuffer) return false;
        if (!ports_.files.copyFile(from, to)) return false;
        ports_.files.clearReadOnly(to);
    }
    return true;
}

DiskOutcome DriverDisk::fail() {
    view_.messageBox(kDiskFailed, ui::Icon::None, ui::Buttons::Ok);
    return DiskOutcome::Failed;
}

}  // namespace lt::progstation
