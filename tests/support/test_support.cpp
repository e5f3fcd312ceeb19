// test_support.cpp: temporary directories and the source-tree location for tests.
#include "tests/support/test_support.h"

#include <atomic>
#include <chrono>
#include <system_error>

namespace lt::test {

std::filesystem::path sourceDir() { return std::filesystem::path(LT_SOURCE_DIR); }

TempDir::TempDir() {
    static std::atomic<unsigned> counter{0};
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    path_ = std::filesystem::temp_directory_path() /
            ("lt-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

}  // namespace lt::test
