// test_support.h: small helpers shared by the unit and end-to-end tests.
#pragma once

#include <filesystem>
#include <string>

namespace lt::test {

// The source tree, for tests that read the programs' resource files.
std::filesystem::path sourceDir();

// A fresh directory of its own for one test, removed when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The path as text with a trailing file name, in the host's form.
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

}  // namespace lt::test
