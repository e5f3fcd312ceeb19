// file_lookup_win32.h: FileLookup over FindFirstFileA.
#pragma once

#include "common/platform/file_lookup.h"

namespace lt::win32 {

class FileLookupWin32 final : public platform::FileLookup {
public:
    bool exists(const std::string& path) override;
};

}  // namespace lt::win32
