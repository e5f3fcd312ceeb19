// error_text.h: the system's message text for an error code (FormatMessageA).
#pragma once

#include <cstdint>
#include <string>

namespace lt::win32 {

// The system's text for `code` (system table, no inserts, default language), or ""
// when the system has none.
std::string systemErrorText(uint32_t code);

}  // namespace lt::win32
