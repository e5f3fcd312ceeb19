// portable_file_lookup.cpp: whether a path names an existing file or folder, with std::filesystem.
#include "common/platform/portable_file_lookup.h"

#include "common/platform/host_path.h"

#include <system_error>

namespace lt::platform {

bool PortableFileLookup::exists(const std::string& path) {
    // FindFirstFileA finds no entry for "C:\dir\" (an empty last component), nor for "".
    if (path.empty() || path.back() == '\\' || path.back() == '/') return false;
    std::error_code ec;
    return std::filesystem::exists(hostPath(path), ec) && !ec;
}

}  // namespace lt::platform
