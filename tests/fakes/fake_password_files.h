// fake_password_files.h: an in-memory PasswordFiles with the Windows share mode and failures to order, and a fixed SystemPaths.
#pragma once

#include "common/login/password_files.h"
#include "common/platform/system_paths.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace lt::test {

struct FakeFile {
    std::string bytes;
    bool hidden = false;
    int handles = 0;  // open handles: while any is open, every other open fails
};

struct FakePasswordFiles : login::PasswordFiles {
    std::map<std::string, FakeFile> files;
    bool failReads = false;
    // A write stores only half of its bytes and fails (a full disk, a lost connection).
    bool failWrites = false;
    bool failReplace = false;
    bool failCreate = false;
    std::vector<std::string> calls;  // "open PATH", "create-new PATH", "create PATH", "replace A B", "remove PATH"

    std::unique_ptr<login::PasswordFileHandle> openExisting(const std::string& path) override;
    std::unique_ptr<login::PasswordFileHandle> createNew(const std::string& path) override;
    std::unique_ptr<login::PasswordFileHandle> createAlways(const std::string& path) override;
    bool replace(const std::string& from, const std::string& to) override;
    bool remove(const std::string& path) override;

    bool exists(const std::string& path) const { return files.count(path) != 0; }
    int openHandles() const;
};

struct FakeSystemPaths : platform::SystemPaths {
    std::optional<std::string> windows = std::string("C:\\windows");
    std::optional<std::string> current = std::string("C:\\line");
    bool recommended = true;
    std::optional<std::string> windowsDirectory() override { return windows; }
    std::optional<std::string> currentDirectory() override { return current; }
    bool isRecommendedSystem() override { return recommended; }
};

}  // namespace lt::test
