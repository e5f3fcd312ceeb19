// computer_name.h: the port for the machine's name (GetComputerNameA), which names a station in its ledger when no name is set.
#pragma once

#include <string>

namespace lt::platform {

class ComputerName {
public:
    virtual ~ComputerName() = default;
    // The NetBIOS name of the computer; empty when it cannot be had.
    virtual std::string name() = 0;
};

}  // namespace lt::platform
