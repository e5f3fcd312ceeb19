// computer_name_win32.h: the machine's name over GetComputerNameA.
#pragma once

#include "common/platform/computer_name.h"

namespace lt::win32 {

class ComputerNameWin32 final : public platform::ComputerName {
public:
    std::string name() override;
};

}  // namespace lt::win32
