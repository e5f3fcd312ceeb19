// file_attributes.cpp: the read-only attribute over the host's file permissions.
#include "progstation/file_attributes.h"

#include <filesystem>
#include <system_error>

#include "common/platform/host_path.h"

namespace lt::progstation {

bool PortableFileAttributes::clearReadOnly(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path file = platform::hostPath(path);
    const fs::file_status status = fs::status(file, error);
    if (error || !fs::exists(status)) return true;
    if ((status.permissions() & fs::perms::owner_write) != fs::perms::none) return true;
    fs::permissions(file, fs::perms::owner_write, fs::perm_options::add, error);
    return !error;
}

}  // namespace lt::progstation
