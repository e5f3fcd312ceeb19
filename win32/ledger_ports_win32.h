// ledger_ports_win32.h: the ledger's file over CreateFileA, ReadFile, WriteFile and FlushFileBuffers, and its clock over the system time.
#pragma once

#include "progstation/ledger/ledger_clock.h"
#include "progstation/ledger/ledger_files.h"

namespace lt::win32 {

// Reads share the file with readers and writers; appends open it with FILE_APPEND_DATA
// only, sharing it with readers, so two appenders never interleave. Paths go to the ANSI
// functions as they stand.
class LedgerFilesWin32 final : public ledger::LedgerFiles {
public:
    ledger::FileResult read(const std::string& path, const std::function<void(std::string_view)>& sink) override;
    ledger::FileResult append(const std::string& path, std::string_view bytes,
                              std::optional<uint64_t> expectedSize) override;
};

// GetSystemTimeAsFileTime, and the offset FileTimeToLocalFileTime applies now.
class LedgerClockWin32 final : public ledger::LedgerClock {
public:
    int64_t utcNow() override;
    int32_t localOffset() override;
};

}  // namespace lt::win32
