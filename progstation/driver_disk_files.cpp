// driver_disk_files.cpp: the driver disk's file-system calls over the host's files (std::filesystem).
#include <fstream>
#include <system_error>

#include "common/platform/host_path.h"
#include "progstation/driver_disk_ports.h"

namespace lt::progstation {

namespace fs = std::filesystem;

bool PortableDiskFiles::directoryExists(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(platform::hostPath(path), ec);
}

bool PortableDiskFiles::createDirectory(const std::string& path) {
    std::error_code ec;
    return fs::create_directory(platform::hostPath(path), ec) && !ec;
}

bool PortableDiskFiles::copyFile(const std::string& from, const std::string& to) {
    std::error_code ec;
    return fs::copy_file(platform::hostPath(from), platform::hostPath(to), fs::copy_options::overwrite_existing, ec) &&
           !ec;
}

std::optional<std::string> PortableDiskFiles::fullPath(const std::string& path) {
    if (path.empty()) return std::nullopt;
    std::error_code ec;
    fs::path full = fs::absolute(platform::hostPath(path), ec);
    if (ec) return std::nullopt;
    // Keep a trailing separator as given, as the system's call does.
    std::string text = full.lexically_normal().string();
    const char last = path.back();
    if ((last == '\\' || last == '/') && !text.empty() && text.back() != '/') text += '/';
    return text;
}

bool PortableDiskFiles::appendSection(const std::string& path, std::string_view section,
                                      std::span<const std::string> lines) {
    const fs::path host = platform::hostPath(path);
    std::error_code ec;
    if (!fs::is_regular_file(host, ec)) return false;
    // Appending leaves the text before it whole whatever happens to the write.
    std::string text;
    {
        std::ifstream in(host, std::ios::binary);
        if (!in) return false;
        in.seekg(0, std::ios::end);
        if (in.tellg() > 0) {
            in.seekg(-1, std::ios::end);
            if (in.get() != '\n') text = "\r\n";
        }
    }
    text += "[";
    text += section;
    text += "]\r\n";
    for (const std::string& line : lines) text += line + "\r\n";
    std::ofstream out(host, std::ios::binary | std::ios::app);
    out << text;
    out.flush();
    return static_cast<bool>(out);
}

}  // namespace lt::progstation
