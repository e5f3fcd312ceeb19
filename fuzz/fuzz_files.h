// fuzz_files.h: a private scratch folder for one fuzzer process and writing an input into a file there.
//
// The readers under test take paths, so each input is written to a real file first. The
// folder lives as long as the process and is removed at its end.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>

#include "common/platform/system_paths.h"

namespace lt::fuzz {

class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "lt-fuzz-XXXXXX").string();
        if (char* made = mkdtemp(pattern.data())) path_ = made;
        if (path_.empty()) std::abort();  // nothing can be tested without it
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::string& path() const { return path_; }
    std::string file(std::string_view name) const { return path_ + "/" + std::string(name); }

private:
    std::string path_;
};

inline ScratchFolder& scratch() {
    static ScratchFolder folder;
    return folder;
}

// A machine whose Windows directory and current directory are the scratch folder.
struct ScratchSystem : platform::SystemPaths {
    std::optional<std::string> windowsDirectory() override { return scratch().path(); }
    std::optional<std::string> currentDirectory() override { return scratch().path(); }
    bool isRecommendedSystem() override { return true; }
};

// Replaces the file's content with `bytes` exactly.
inline void writeFile(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) std::abort();
}

inline std::string_view asText(const uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

}  // namespace lt::fuzz
