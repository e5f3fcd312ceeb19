// file_attributes_win32.h: the read-only attribute of a file with GetFileAttributesA and SetFileAttributesA.
#pragma once

#include "progstation/file_attributes.h"

namespace lt::win32 {

class FileAttributesWin32 final : public progstation::FileAttributes {
public:
    bool clearReadOnly(const std::string& path) override;
};

}  // namespace lt::win32
