// password_files_win32.cpp: the password file through the Windows file API, opened for reading and writing and shared for reading only.
#include "win32/password_files_win32.h"

#include <windows.h>

namespace lt::win32 {

namespace {

class Win32Handle final : public login::PasswordFileHandle {
public:
    explicit Win32Handle(HANDLE handle) : handle_(handle) {}
    ~Win32Handle() override { CloseHandle(handle_); }

    bool read(std::span<uint8_t> buffer, std::size_t& got) override {
        DWORD n = 0;
        const BOOL ok = ReadFile(handle_, buffer.data(), static_cast<DWORD>(buffer.size()), &n, nullptr);
        got = n;
        return ok != FALSE;
    }
    bool write(std::span<const uint8_t> bytes) override {
        DWORD n = 0;
        if (!WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr)) return false;
        return n == bytes.size() && FlushFileBuffers(handle_) != FALSE;
    }

private:
    HANDLE handle_;
};

std::unique_ptr<login::PasswordFileHandle> open(const std::string& path, DWORD disposition) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, disposition,
                           FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32Handle>(h);
}

}  // namespace

std::unique_ptr<login::PasswordFileHandle> PasswordFilesWin32::openExisting(const std::string& path) {
    return open(path, OPEN_EXISTING);
}

std::unique_ptr<login::PasswordFileHandle> PasswordFilesWin32::createNew(const std::string& path) {
    return open(path, CREATE_NEW);
}

std::unique_ptr<login::PasswordFileHandle> PasswordFilesWin32::createAlways(const std::string& path) {
    return open(path, CREATE_ALWAYS);
}

bool PasswordFilesWin32::replace(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool PasswordFilesWin32::remove(const std::string& path) { return DeleteFileA(path.c_str()) != FALSE; }

}  // namespace lt::win32
