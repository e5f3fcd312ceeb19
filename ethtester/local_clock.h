// local_clock.h: the port for the local time that the diagnostic log writes into its header (GetLocalTime).
//
// The station's ledger has a clock of its own (progstation/ledger/ledger_clock.h): UTC now
// and the zone's offset, for records; this one is the wall-clock time an operator reads.
#pragma once

namespace lt::ethtester {

struct LocalTime {
    int year, month, day, hour, minute, second;
};

// The local clock (GetLocalTime), so tests can pin the header.
class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalTime now() = 0;
};

}  // namespace lt::ethtester
