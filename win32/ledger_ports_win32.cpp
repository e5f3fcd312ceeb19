// ledger_ports_win32.cpp: AddressLedger.csv through the Windows file API, flushed to the disk after each append, and the system clock.
#include "win32/ledger_ports_win32.h"

#include <windows.h>

#include <vector>

namespace lt::win32 {

namespace {

using ledger::FileResult;
using ledger::FileStatus;

class Handle {
public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() {
        if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE h_;
};

FileResult failed() { return {FileStatus::Failed, static_cast<uint32_t>(GetLastError())}; }

constexpr int64_t kEpochAsFileTime = 116444736000000000;  // 1970-01-01 in 100 ns units since 1601
constexpr int64_t kFileTimePerSecond = 10000000;

int64_t asNumber(const FILETIME& t) {
    return static_cast<int64_t>((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
}

}  // namespace

FileResult LedgerFilesWin32::read(const std::string& path, const std::function<void(std::string_view)>& sink) {
    Handle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.valid()) {
        const DWORD error = GetLastError();
        return {error == ERROR_FILE_NOT_FOUND ? FileStatus::Missing : FileStatus::Failed, static_cast<uint32_t>(error)};
    }
    std::vector<char> buffer(1 << 20);
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &n, nullptr)) return failed();
        if (n == 0) return {};
        sink(std::string_view(buffer.data(), n));
    }
}

FileResult LedgerFilesWin32::append(const std::string& path, std::string_view bytes,
                                    std::optional<uint64_t> expectedSize) {
    // FILE_APPEND_DATA without FILE_WRITE_DATA: every write goes to the end of the file.
    Handle file(CreateFileA(path.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE, FILE_SHARE_READ,
                            nullptr, expectedSize ? OPEN_EXISTING : CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        const DWORD error = GetLastError();
        FileStatus status = FileStatus::Failed;
        if (expectedSize && error == ERROR_FILE_NOT_FOUND) status = FileStatus::Missing;
        if (!expectedSize && (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)) status = FileStatus::Changed;
        return {status, static_cast<uint32_t>(error)};
    }
    if (expectedSize) {
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(file.get(), &size)) return failed();
        if (static_cast<uint64_t>(size.QuadPart) != *expectedSize) return {FileStatus::Changed, 0};
    }
    while (!bytes.empty()) {
        const DWORD part = bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(file.get(), bytes.data(), part, &written, nullptr)) return failed();
        if (written == 0) return {FileStatus::Failed, ERROR_WRITE_FAULT};
        bytes.remove_prefix(written);
    }
    if (!FlushFileBuffers(file.get())) return failed();
    return {};
}

int64_t LedgerClockWin32::utcNow() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return (asNumber(now) - kEpochAsFileTime) / kFileTimePerSecond;
}

int32_t LedgerClockWin32::localOffset() {
    FILETIME utc{}, local{};
    GetSystemTimeAsFileTime(&utc);
    if (!FileTimeToLocalFileTime(&utc, &local)) return 0;
    const int64_t difference = asNumber(local) - asNumber(utc);
    // Whole seconds, rounded to the nearest.
    const int64_t half = difference >= 0 ? kFileTimePerSecond / 2 : -kFileTimePerSecond / 2;
    return static_cast<int32_t>((difference + half) / kFileTimePerSecond);
}

}  // namespace lt::win32
