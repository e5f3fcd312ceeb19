// strings.h: the port for a program's string table: the text of string N.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace lt::ui {

class Strings {
public:
    virtual ~Strings() = default;
    // The text of string `id` as the program's resources hold it; "" when there is none.
    virtual std::string text(uint32_t id) const = 0;
};

// The one filler of the programs' message patterns: `pattern` with each "%s" or "%d"
// replaced by the next of `texts`, in order (a number goes in as its decimal text,
// std::to_string). A "%s" or "%d" beyond the texts stays as it is; anything else in the
// pattern, other '%' signs included, stays as it stands. A pattern from the string table
// is never used as a printf format, and a text is put in as it stands, never read as one.
inline std::string fillIn(std::string_view pattern, std::initializer_list<std::string_view> texts) {
    std::string out;
    auto next = texts.begin();
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && (pattern[i + 1] == 's' || pattern[i + 1] == 'd') &&
            next != texts.end()) {
            out += *next++;
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

}  // namespace lt::ui
