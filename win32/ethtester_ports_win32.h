// ethtester_ports_win32.h: EthTester's error box (no owner) and local clock over Win32.
#pragma once

#include "ethtester/diagnostic_log.h"
#include "ethtester/diagnostics_dialog.h"

namespace lt::win32 {

class ErrorBoxWin32 : public ethtester::ErrorBox {
public:
    void show(const std::string& text) override;
};

class LocalClockWin32 : public ethtester::Clock {
public:
    ethtester::LocalTime now() override;
};

}  // namespace lt::win32
