// log_files_portable.h: the portable implementation of LogFiles (ethtester/log_files.h), over std::filesystem and the C library.
#pragma once

#include "ethtester/log_files.h"

namespace lt::ethtester {

// The log's files over the host's own, for native builds and tests. On a host that
// separates with "/", a backslash is a separator.
class PortableLogFiles final : public LogFiles {
public:
    void remove(const std::string& path) override;
    std::FILE* openForAppend(const std::string& path) override;
};

}  // namespace lt::ethtester
