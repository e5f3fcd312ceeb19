// fake_file_system.h: a FileSystem with nothing in it, the base of fakes that answer only the calls their code makes.
#pragma once

#include <optional>
#include <string>

#include "common/platform/file_system.h"

namespace lt::test {

// Every look-up misses and every change fails; a fake overrides the calls it answers.
struct EmptyFileSystem : platform::FileSystem {
    bool exists(const std::string&) override { return false; }
    bool directoryExists(const std::string&) override { return false; }
    bool createDirectory(const std::string&) override { return false; }
    bool copyFile(const std::string&, const std::string&) override { return false; }
    std::optional<std::string> fullPath(const std::string&) override { return std::nullopt; }
    bool clearReadOnly(const std::string&) override { return false; }
};

}  // namespace lt::test
