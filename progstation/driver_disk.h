// driver_disk.h: "&Create Disk": copies the driver package of folder UsbMac into a new folder and rewrites the copy's INF for the station's VID/PID pair.
//
// The disk folder is proposed at the root of the Windows drive ("Drv_Disk_8207_6514",
// or "..._01" to "..._99" when the operator keeps an existing one), and the operator
// confirms or changes it in the system's folder browser. The station deletes only a
// folder that this run created, and never one that is or contains the folder the
// operator chose: the two are compared as canonical full paths without regard to case.
// On success the disk is opened in the file browser and the station closes through its
// Exit action; on failure the station says "Failed To Create Driver Disk", stays open
// and leaves what was copied.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "common/platform/file_system.h"
#include "common/platform/system_paths.h"
#include "common/settings/profile_files.h"
#include "common/ui/dialog_view.h"
#include "common/ui/strings.h"
#include "progstation/folder_browser.h"
#include "progstation/shell_folders.h"

namespace lt::progstation {

// Characters of a path buffer of the platform, the terminating zero included (MAX_PATH):
// a disk whose paths would not fit fails before anything is created.
inline constexpr std::size_t kPathBuffer = 260;

inline constexpr std::string_view kDiskFailed = "Failed To Create Driver Disk";

// The package files, copied in this order.
inline constexpr std::array<std::string_view, 5> kPackageFiles = {"\\Setup.exe", "\\MacUnInstall.exe", "\\netkoru.inf",
                                                                  "\\korumac.sys", "\\kormac98.sys"};

// "Drv_Disk_8207_6514".
std::string defaultDiskFolderName(const std::string& vid, const std::string& pid);

// Rewrites the INF at `infPath` for the pair, in five steps; false at the first step that
// fails (the later ones are not tried):
// 1. [ControlFlags] ExcludeFromSelect=USB\VID_v&PID_p
// 2. [COMPANY] %USB\VID_v&PID_p.DeviceDesc%=KorUsbEth, USB\VID_v&PID_p
// 3. [KorUsbEth] DeviceID=USB\VID_v&PID_p
// 4. [KORUMAC_DevID.ndi] replaced by the one line HKR,Ndi,DeviceID,,USB\VID_v&PID_p
// 5. [strings] USB\VID_v&PID_p.DeviceDesc="USB-Ethernet Adapter"
// Each key step clears the read-only attribute, deletes the key twice (so up to two
// earlier entries of it go) and writes it; it succeeds when the write does. Entries under
// other keys, those of other ID pairs among them, stay. Step 4 clears the attribute,
// deletes the section and, when that succeeded, writes it anew at the end of the file.
bool rewriteInf(settings::ProfileFiles& profiles, platform::FileSystem& files, const std::string& infPath,
                const std::string& vid, const std::string& pid);

// How a press of "&Create Disk" ended.
enum class DiskOutcome {
    PackageMissing,  // message 26, nothing created
    Cancelled,       // the browser was cancelled
    DriveRoot,       // a drive root was chosen: stopped without a message
    Failed,          // "Failed To Create Driver Disk"; the station stays open
    Created,         // the disk is written and opened; the station was closed
};

struct DriverDiskPorts {
    settings::ProfileFiles& profiles;  // the INF of the disk
    platform::SystemPaths& system;     // the Windows directory gives the drive
    platform::FileSystem& files;       // the package, the disk's folder and copies, their read-only attribute
    ShellFolders& shell;
    FolderBrowser& browser;
    const ui::Strings& strings;        // messages 25 and 26
};

// The VID and PID texts of the station's descriptor settings ("8207", "6514").
struct IdTexts {
    std::string vid;
    std::string pid;
};

// What the station's main dialog gives the disk creation.
struct DriverDiskHost {
    std::function<IdTexts()> takeFields;  // takes the dialog's fields into the station's settings
    std::function<void()> refreshDialog;  // shows the station's settings in the dialog again
    std::function<void()> exitStation;    // the Exit button's action
};

class DriverDisk {
public:
    DriverDisk(DriverDiskPorts ports, ui::DialogView& view) : ports_(ports), view_(view) {}

    // One press of "&Create Disk", for the VID and PID that the host's fields give.
    DiskOutcome create(const DriverDiskHost& host);

    // The name, below the Windows drive root, of the folder the last creation step made
    // (or proposed, when it made none).
    const std::string& folderName() const { return folderName_; }

private:
    bool createProposedFolder(const std::string& driveRoot);
    bool samePlace(const std::string& a, const std::string& b);
    bool contains(const std::string& outer, const std::string& inner);
    std::string canonical(const std::string& path);
    bool copyPackage(const std::string& packageFolder, const std::string& diskFolder);
    DiskOutcome fail();

    DriverDiskPorts ports_;
    ui::DialogView& view_;
    std::string folderName_;
};

}  // namespace lt::progstation
