// ledger_clock.h: the port for the time the ledger stamps on its lines: UTC now and the local zone's offset.
#pragma once

#include <cstdint>

namespace lt::ledger {

class LedgerClock {
public:
    virtual ~LedgerClock() = default;

    // Seconds since 1970-01-01T00:00:00Z (GetSystemTimeAsFileTime), leap seconds not counted.
    virtual int64_t utcNow() = 0;
    // Local time minus UTC at this moment, in seconds (east of Greenwich positive, daylight
    // saving time included when it is in force): what turns a UTC time into the operator's day.
    virtual int32_t localOffset() = 0;
};

}  // namespace lt::ledger
