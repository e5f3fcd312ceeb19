// host_path.cpp: for the portable implementations of the ports: Windows-style paths to host paths.
#include "portable/host_path.h"

#include <string>

namespace lt::platform {

std::filesystem::path hostPath(std::string_view path) {
    std::string text(path);
    if constexpr (std::filesystem::path::preferred_separator == '/') {
        for (char& c : text) {
            if (c == '\\') c = '/';
        }
    }
    return std::filesystem::path(text);
}

}  // namespace lt::platform
