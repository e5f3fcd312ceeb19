// file_system_portable.cpp: the portable implementation of FileSystem (common/platform/file_system.h): the file-system calls over the host's files, with std::filesystem.
#include "portable/file_system_portable.h"

#include <filesystem>
#include <system_error>

#include "portable/host_path.h"

namespace lt::platform {

namespace fs = std::filesystem;

bool PortableFileSystem::exists(const std::string& path) {
    // FindFirstFileA finds no entry for "C:\dir\" (an empty last component), nor for "".
    if (path.empty() || path.back() == '\\' || path.back() == '/') return false;
    std::error_code ec;
    return fs::exists(hostPath(path), ec) && !ec;
}

bool PortableFileSystem::directoryExists(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(hostPath(path), ec);
}

bool PortableFileSystem::createDirectory(const std::string& path) {
    std::error_code ec;
    return fs::create_directory(hostPath(path), ec) && !ec;
}

bool PortableFileSystem::copyFile(const std::string& from, const std::string& to) {
    std::error_code ec;
    return fs::copy_file(hostPath(from), hostPath(to), fs::copy_options::overwrite_existing, ec) && !ec;
}

std::optional<std::string> PortableFileSystem::fullPath(const std::string& path) {
    if (path.empty()) return std::nullopt;
    std::error_code ec;
    fs::path full = fs::absolute(hostPath(path), ec);
    if (ec) return std::nullopt;
    // Keep a trailing separator as given, as the system's call does.
    std::string text = full.lexically_normal().string();
    const char last = path.back();
    if ((last == '\\' || last == '/') && !text.empty() && text.back() != '/') text += '/';
    return text;
}

bool PortableFileSystem::clearReadOnly(const std::string& path) {
    std::error_code error;
    const fs::path file = hostPath(path);
    const fs::file_status status = fs::status(file, error);
    if (error || !fs::exists(status)) return true;
    if ((status.permissions() & fs::perms::owner_write) != fs::perms::none) return true;
    fs::permissions(file, fs::perms::owner_write, fs::perm_options::add, error);
    return !error;
}

}  // namespace lt::platform
