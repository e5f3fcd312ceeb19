// error_box.h: the port for EthTester's error box: a message shown without an owner, so the main dialog stays usable.
#pragma once

#include <string>

namespace lt::ethtester {

// The error box of ReportError: caption "Error", the error icon, OK, and no owner (the
// main dialog stays usable while it shows, so Exit can be pressed there).
class ErrorBox {
public:
    virtual ~ErrorBox() = default;
    virtual void show(const std::string& text) = 0;
};

}  // namespace lt::ethtester
