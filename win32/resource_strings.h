// resource_strings.h: the Strings port over the running program's string table (LoadStringA).
#pragma once

#include "common/ui/strings.h"

namespace lt::win32 {

class ResourceStrings : public ui::Strings {
public:
    // Texts of up to 1023 characters; "" for an ID the table does not hold.
    std::string text(uint32_t id) const override;
};

}  // namespace lt::win32
