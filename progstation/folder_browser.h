// folder_browser.h: the port for the system's folder browser, in which the operator chooses the driver disk's folder (SHBrowseForFolderA).
#pragma once

#include <optional>
#include <string>

namespace lt::progstation {

class FolderBrowser {
public:
    virtual ~FolderBrowser() = default;
    // Lets the operator choose a file-system folder anywhere in the system's namespace,
    // the station's window as owner. `proposed` is selected when the browser opens, and
    // the path of whatever is selected shows as the browser's status text. The chosen
    // folder's full path, nothing when the operator cancels.
    virtual std::optional<std::string> chooseFolder(const std::string& proposed) = 0;
};

}  // namespace lt::progstation
