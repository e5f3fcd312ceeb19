// ledger_ports_portable.cpp: the portable implementation of LedgerFiles and LedgerClock: the ledger file over std::FILE and the clock over std::chrono and std::localtime.
#include "portable/ledger_ports_portable.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

#include "portable/host_path.h"

namespace lt::ledger {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::string host(const std::string& path) { return platform::hostPath(path).string(); }

uint32_t lastError() { return errno > 0 ? static_cast<uint32_t>(errno) : 0; }

// Days since 1970-01-01 of a Gregorian date (for the zone offset without timegm).
int64_t daysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

}  // namespace

FileResult PortableLedgerFiles::read(const std::string& path, const std::function<void(std::string_view)>& sink) {
    errno = 0;
    File file(std::fopen(host(path).c_str(), "rb"));
    if (!file) return {errno == ENOENT ? FileStatus::Missing : FileStatus::Failed, lastError()};
    std::vector<char> buffer(1 << 20);
    for (;;) {
        const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), file.get());
        if (n > 0) sink(std::string_view(buffer.data(), n));
        if (n < buffer.size()) break;
    }
    if (std::ferror(file.get())) return {FileStatus::Failed, lastError()};
    return {};
}

FileResult PortableLedgerFiles::append(const std::string& path, std::string_view bytes,
                                       std::optional<uint64_t> expectedSize) {
    const std::string name = host(path);
    // A new file must not exist yet ("x" of fopen is not in every C library this builds with).
    if (!expectedSize && File(std::fopen(name.c_str(), "rb"))) return {FileStatus::Changed, 0};
    errno = 0;
    File file(std::fopen(name.c_str(), expectedSize ? "r+b" : "wb"));
    if (!file) return {expectedSize && errno == ENOENT ? FileStatus::Missing : FileStatus::Failed, lastError()};
    if (std::fseek(file.get(), 0, SEEK_END) != 0) return {FileStatus::Failed, lastError()};
    const long size = std::ftell(file.get());
    if (size < 0) return {FileStatus::Failed, lastError()};
    if (expectedSize && static_cast<uint64_t>(size) != *expectedSize) return {FileStatus::Changed, 0};
    const std::size_t written = std::fwrite(bytes.data(), 1, bytes.size(), file.get());
    if (written != bytes.size() || std::fflush(file.get()) != 0) return {FileStatus::Failed, lastError()};
    return {};
}

int64_t PortableLedgerClock::utcNow() {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

int32_t PortableLedgerClock::localOffset() {
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    if (!local) return 0;
    const int64_t localSeconds = daysFromCivil(local->tm_year + 1900, local->tm_mon + 1, local->tm_mday) * 86400 +
                                 local->tm_hour * 3600 + local->tm_min * 60 + local->tm_sec;
    return static_cast<int32_t>(localSeconds - static_cast<int64_t>(now));
}

}  // namespace lt::ledger
