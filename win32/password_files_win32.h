// password_files_win32.h: PasswordFiles over CreateFileA, ReadFile, WriteFile, MoveFileExA and DeleteFileA.
#pragma once

#include "common/login/password_files.h"

namespace lt::win32 {

class PasswordFilesWin32 final : public login::PasswordFiles {
public:
    std::unique_ptr<login::PasswordFileHandle> openExisting(const std::string& path) override;
    std::unique_ptr<login::PasswordFileHandle> createNew(const std::string& path) override;
    std::unique_ptr<login::PasswordFileHandle> createAlways(const std::string& path) override;
    bool replace(const std::string& from, const std::string& to) override;
    bool remove(const std::string& path) override;
};

}  // namespace lt::win32
