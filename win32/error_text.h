// error_text.h: the system's message text for an error code (FormatMessageA).
#pragma once

#include <cstdint>
#include <string>

#include "common/platform/error_texts.h"

namespace lt::win32 {

// The system's text for `code` (system table, no inserts, default language), or ""
// when the system has none.
std::string systemErrorText(uint32_t code);

class ErrorTextsWin32 : public platform::ErrorTexts {
public:
    std::string text(uint32_t code) override { return systemErrorText(code); }
};

}  // namespace lt::win32
