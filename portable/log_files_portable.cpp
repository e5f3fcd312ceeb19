// log_files_portable.cpp: the portable implementation of LogFiles: the old log deleted with std::filesystem, the log opened with std::fopen.
#include "portable/log_files_portable.h"

#include <filesystem>
#include <system_error>

#include "portable/host_path.h"

namespace lt::ethtester {

void PortableLogFiles::remove(const std::string& path) {
    const std::filesystem::path file = platform::hostPath(path);
    std::error_code ec;
    std::filesystem::permissions(file, std::filesystem::perms::owner_write, std::filesystem::perm_options::add, ec);
    std::filesystem::remove(file, ec);
}

std::FILE* PortableLogFiles::openForAppend(const std::string& path) {
    std::string text = path;  // the C library takes the host's own path text
    if constexpr (std::filesystem::path::preferred_separator == '/') {
        for (char& c : text)
            if (c == '\\') c = '/';
    }
    return std::fopen(text.c_str(), "a+");
}

}  // namespace lt::ethtester
