// fake_pauses.h: records the programs' pauses instead of waiting, and can act at a pause.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "common/platform/pauses.h"

namespace lt::test {

struct FakePauses : platform::Pauses {
    std::vector<uint32_t> taken;
    std::function<void(uint32_t)> onPause;  // e.g. adapters re-enumerating during the wait
    void pause(uint32_t ms) override {
        taken.push_back(ms);
        if (onPause) onPause(ms);
    }
};

}  // namespace lt::test
