// data_exchange.cpp: number parsing, range and length checks with the framework's prompts.
#include "common/ui/data_exchange.h"

namespace lt::ui {

std::string formatPrompt(std::string_view pattern, std::string_view first, std::string_view second) {
    std::string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && (pattern[i + 1] == '1' || pattern[i + 1] == '2')) {
            out += pattern[i + 1] == '1' ? first : second;
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

std::string rangePrompt(int64_t min, int64_t max) {
    return formatPrompt(kPromptIntegerRange, std::to_string(min), std::to_string(max));
}

std::string maxCharsPrompt(std::size_t chars) { return formatPrompt(kPromptMaxChars, std::to_string(chars)); }

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Blanks, an optional sign (when allowed), digits, blanks: the magnitude and the sign.
std::optional<uint64_t> parseMagnitude(std::string_view text, bool allowSign, bool& negative) {
    std::size_t i = 0;
    negative = false;
    while (i < text.size() && isBlank(text[i])) ++i;
    if (allowSign && i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    const std::size_t digitsStart = i;
    uint64_t value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        value = value * 10 + static_cast<uint64_t>(text[i] - '0');
        if (value > 0xFFFFFFFFull) return std::nullopt;  // beyond every 32-bit range
        ++i;
    }
    if (i == digitsStart) return std::nullopt;
    while (i < text.size() && isBlank(text[i])) ++i;
    if (i != text.size()) return std::nullopt;
    return value;
}

void fail(DialogView& view, int id, std::string_view prompt) {
    view.messageBox(prompt, Icon::Exclamation, Buttons::Ok);
    view.focus(id);
}

}  // namespace

std::optional<uint32_t> parseUnsigned(std::string_view text) {
    bool negative = false;
    const auto value = parseMagnitude(text, false, negative);
    if (!value) return std::nullopt;
    return static_cast<uint32_t>(*value);
}

std::optional<int32_t> parseSigned(std::string_view text) {
    bool negative = false;
    const auto value = parseMagnitude(text, true, negative);
    if (!value) return std::nullopt;
    if (negative) {
        if (*value > 0x80000000ull) return std::nullopt;
        return static_cast<int32_t>(-static_cast<int64_t>(*value));
    }
    if (*value > 0x7FFFFFFFull) return std::nullopt;
    return static_cast<int32_t>(*value);
}

bool exchangeUnsigned(DialogView& view, int id, uint32_t& value) {
    const auto parsed = parseUnsigned(view.text(id));
    if (!parsed) {
        fail(view, id, kPromptPositiveInteger);
        return false;
    }
    value = *parsed;
    return true;
}

bool exchangeSigned(DialogView& view, int id, int32_t& value) {
    const auto parsed = parseSigned(view.text(id));
    if (!parsed) {
        fail(view, id, kPromptInteger);
        return false;
    }
    value = *parsed;
    return true;
}

bool checkRange(DialogView& view, int id, int64_t value, int64_t min, int64_t max) {
    if (value >= min && value <= max) return true;
    fail(view, id, rangePrompt(min, max));
    return false;
}

bool checkMaxChars(DialogView& view, int id, std::string_view text, std::size_t chars) {
    if (text.size() <= chars) return true;
    fail(view, id, maxCharsPrompt(chars));
    return false;
}

}  // namespace lt::ui
