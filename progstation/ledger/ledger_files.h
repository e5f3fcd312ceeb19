// ledger_files.h: the port for the ledger's file: read it whole, append to it and flush the bytes to the disk.
//
// Paths are Windows paths ("C:\windows\AddressLedger.csv"), passed as they stand; the
// portable implementation also takes host paths. Nothing is thrown.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace lt::ledger {

enum class FileStatus : uint8_t {
    Ok,
    Missing,  // the file does not exist (read), or was expected and is gone (append)
    Changed,  // append: the file is not as the caller last saw it (another size, or it exists when it was to be created)
    Failed,   // it could not be opened, read, written in full or flushed; `error` says why
};

struct FileResult {
    FileStatus status = FileStatus::Ok;
    uint32_t error = 0;  // the system's error code of a failure (GetLastError), 0 when there is none
};

class LedgerFiles {
public:
    virtual ~LedgerFiles() = default;

    // Reads the file from its first byte to its last and hands the bytes to `sink` in
    // order, a piece at a time (pieces of any size, none empty). The file is shared with
    // writers while it is read. Missing: nothing was handed over. Failed: what was handed
    // over is incomplete and is to be thrown away.
    virtual FileResult read(const std::string& path, const std::function<void(std::string_view)>& sink) = 0;

    // Appends `bytes` at the end of the file and flushes them to the disk (FlushFileBuffers)
    // before it returns. With `expectedSize` the file must exist and hold exactly that many
    // bytes, otherwise nothing is written (Missing or Changed); without it the file must not
    // exist and is created (Changed when it does). While an append runs, other programs may
    // read the file but not write it. Failed: the bytes may be in the file in part.
    virtual FileResult append(const std::string& path, std::string_view bytes,
                              std::optional<uint64_t> expectedSize) = 0;
};

}  // namespace lt::ledger
