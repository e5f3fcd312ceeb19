// pauses_win32.h: the programs' fixed pauses with Sleep.
#pragma once

#include "common/platform/pauses.h"

namespace lt::win32 {

class PausesWin32 : public platform::Pauses {
public:
    void pause(uint32_t milliseconds) override;
};

}  // namespace lt::win32
