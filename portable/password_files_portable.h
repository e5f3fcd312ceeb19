// password_files_portable.h: the portable implementation of PasswordFiles (common/login/password_files.h), over the C++ standard library.
//
// Sharing is kept within the process: while a handle is open, every other open,
// replace or delete of the same path fails, as the Windows share mode makes them fail.
// Hosts without hidden files keep the file as it is (the attribute is not modelled).
// A backslash in a path is read as a directory separator.
#pragma once

#include "common/login/password_files.h"

namespace lt::login {

class PortablePasswordFiles : public PasswordFiles {
public:
    std::unique_ptr<PasswordFileHandle> openExisting(const std::string& path) override;
    std::unique_ptr<PasswordFileHandle> createNew(const std::string& path) override;
    std::unique_ptr<PasswordFileHandle> createAlways(const std::string& path) override;
    bool replace(const std::string& from, const std::string& to) override;
    bool remove(const std::string& path) override;
};

}  // namespace lt::login
