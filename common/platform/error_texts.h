// error_texts.h: the port for the system's message text of an error code (FormatMessageA).
#pragma once

#include <cstdint>
#include <string>

namespace lt::platform {

class ErrorTexts {
public:
    virtual ~ErrorTexts() = default;
    // The system's text for `code` (no inserts, default language), "" when it has none.
    virtual std::string text(uint32_t code) = 0;
};

}  // namespace lt::platform
