// ledger_ports_portable.h: the portable implementation of the ledger's file and clock ports (progstation/ledger/ledger_files.h, ledger_clock.h), in standard C++.
//
// The file is read in pieces of 1 MiB and appended through std::FILE; "flushed to the
// disk" is std::fflush here (the standard library has no call that reaches the disk),
// and the share modes are not modelled. A backslash in a path is a directory separator
// on hosts that use "/". The Windows programs use the Win32 ports instead.
#pragma once

#include "progstation/ledger/ledger_clock.h"
#include "progstation/ledger/ledger_files.h"

namespace lt::ledger {

class PortableLedgerFiles final : public LedgerFiles {
public:
    FileResult read(const std::string& path, const std::function<void(std::string_view)>& sink) override;
    FileResult append(const std::string& path, std::string_view bytes, std::optional<uint64_t> expectedSize) override;
};

// std::chrono::system_clock, and the offset of std::localtime.
class PortableLedgerClock final : public LedgerClock {
public:
    int64_t utcNow() override;
    int32_t localOffset() override;
};

}  // namespace lt::ledger
