// pauses.h: the port for the fixed pauses of the programs (Sleep), so tests run them without waiting.
#pragma once

#include <cstdint>

namespace lt::platform {

class Pauses {
public:
    virtual ~Pauses() = default;
    virtual void pause(uint32_t milliseconds) = 0;
};

}  // namespace lt::platform
