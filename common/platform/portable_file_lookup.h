// portable_file_lookup.h: FileLookup in standard C++ (std::filesystem), for native code and tests.
#pragma once

#include "common/platform/file_lookup.h"

namespace lt::platform {

class PortableFileLookup final : public FileLookup {
public:
    // True when the path names an existing file or folder. A path with a trailing
    // separator, or one that cannot be examined, counts as missing, as FindFirstFileA
    // reports it. Wildcards are not expanded.
    bool exists(const std::string& path) override;
};

}  // namespace lt::platform
