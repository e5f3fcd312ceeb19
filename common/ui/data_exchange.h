// data_exchange.h: the dialog framework's standard data exchange: parsing a box's number, checking ranges and lengths, and their prompts.
//
// The prompts are the framework's own texts; %1 and %2 stand for the limits. A failed
// exchange or check shows its prompt in a message box (exclamation icon, OK), gives the
// control the focus again and returns false, so the caller stops the action it was
// about to take. Nothing is thrown.
#pragma once

#include "common/ui/dialog_view.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lt::ui {

inline constexpr std::string_view kPromptPositiveInteger = "Please enter a positive integer.";
inline constexpr std::string_view kPromptInteger = "Please enter an integer.";
inline constexpr std::string_view kPromptIntegerRange = "Please enter an integer between %1 and %2.";
inline constexpr std::string_view kPromptMaxChars = "Please enter no more than %1 characters.";

// `pattern` with %1 and %2 replaced by `first` and `second`.
std::string formatPrompt(std::string_view pattern, std::string_view first, std::string_view second = {});
// The range prompt for `min` and `max` in decimal, the length prompt for `chars`.
std::string rangePrompt(int64_t min, int64_t max);
std::string maxCharsPrompt(std::size_t chars);

// A box's text as an unsigned 32-bit number: blanks (space, tab) may stand before and
// after the digits, nothing else may; no sign; at least one digit; at most 4294967295.
// Anything else gives nothing (the framework then shows kPromptPositiveInteger).
std::optional<uint32_t> parseUnsigned(std::string_view text);
// The same for a signed 32-bit number, with an optional "-" or "+" before the digits
// (the framework then shows kPromptInteger).
std::optional<int32_t> parseSigned(std::string_view text);

// Reads box `id` as an unsigned number into `value`; on failure prompts as above.
bool exchangeUnsigned(DialogView& view, int id, uint32_t& value);
bool exchangeSigned(DialogView& view, int id, int32_t& value);
// Checks `min <= value <= max` for box `id`; on failure shows the range prompt.
bool checkRange(DialogView& view, int id, int64_t value, int64_t min, int64_t max);
// Checks that `text` (taken from box `id`) has at most `chars` characters.
bool checkMaxChars(DialogView& view, int id, std::string_view text, std::size_t chars);

}  // namespace lt::ui
