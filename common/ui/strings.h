// strings.h: the port for a program's string table: the text of string N.
#pragma once

#include <cstdint>
#include <string>

namespace lt::ui {

class Strings {
public:
    virtual ~Strings() = default;
    // The text of string `id` as the program's resources hold it; "" when there is none.
    virtual std::string text(uint32_t id) const = 0;
};

}  // namespace lt::ui
