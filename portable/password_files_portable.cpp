// password_files_portable.cpp: the portable implementation of PasswordFiles: the password file over std::FILE, with the share mode kept in-process.
#include "portable/password_files_portable.h"

#include <cstdio>
#include <filesystem>
#include <mutex>
#include <set>
#include <system_error>

namespace lt::login {

namespace {

std::string hostPath(const std::string& path) {
    std::string out = path;
    if (std::filesystem::path::preferred_separator == '/')
        for (char& c : out)
            if (c == '\\') c = '/';
    return std::filesystem::path(out).lexically_normal().string();
}

std::mutex& openLock() {
    static std::mutex m;
    return m;
}
std::set<std::string>& openPaths() {
    static std::set<std::string> paths;
    return paths;
}

bool isOpen(const std::string& path) {
    std::lock_guard lock(openLock());
    return openPaths().count(path) != 0;
}

class PortableHandle : public PasswordFileHandle {
public:
    PortableHandle(std::FILE* file, std::string path) : file_(file), path_(std::move(path)) {}
    ~PortableHandle() override {
        std::fclose(file_);
        std::lock_guard lock(openLock());
        openPaths().erase(path_);
    }
    bool read(std::span<uint8_t> buffer, std::size_t& got) override {
        got = std::fread(buffer.data(), 1, buffer.size(), file_);
        return !std::ferror(file_);
    }
    bool write(std::span<const uint8_t> bytes) override {
        const std::size_t n = std::fwrite(bytes.data(), 1, bytes.size(), file_);
        return n == bytes.size() && std::fflush(file_) == 0;
    }

private:
    std::FILE* file_;
    std::string path_;
};

// Opens `path` with `mode` unless another handle holds it.
std::unique_ptr<PasswordFileHandle> openShared(const std::string& windowsPath, const char* mode, bool mustExist,
                                               bool mustNotExist) {
    const std::string path = hostPath(windowsPath);
    std::lock_guard lock(openLock());
    if (openPaths().count(path)) return nullptr;
    std::error_code ec;
    const bool exists = std::filesystem::is_regular_file(path, ec);
    if ((mustExist && !exists) || (mustNotExist && std::filesystem::exists(path, ec))) return nullptr;
    std::FILE* file = std::fopen(path.c_str(), mode);
    if (!file) return nullptr;
    openPaths().insert(path);
    return std::make_unique<PortableHandle>(file, path);
}

}  // namespace

std::unique_ptr<PasswordFileHandle> PortablePasswordFiles::openExisting(const std::string& path) {
    return openShared(path, "r+b", true, false);
}

std::unique_ptr<PasswordFileHandle> PortablePasswordFiles::createNew(const std::string& path) {
    return openShared(path, "w+b", false, true);
}

std::unique_ptr<PasswordFileHandle> PortablePasswordFiles::createAlways(const std::string& path) {
    return openShared(path, "w+b", false, false);
}

bool PortablePasswordFiles::replace(const std::string& from, const std::string& to) {
    const std::string source = hostPath(from), target = hostPath(to);
    if (isOpen(source) || isOpen(target)) return false;
    std::error_code ec;
    std::filesystem::rename(source, target, ec);
    return !ec;
}

bool PortablePasswordFiles::remove(const std::string& path) {
    const std::string target = hostPath(path);
    if (isOpen(target)) return false;
    std::error_code ec;
    return std::filesystem::remove(target, ec) && !ec;
}

}  // namespace lt::login
