// file_attributes.h: the port for a file's read-only attribute, which the station clears before it touches its settings file.
#pragma once

#include <string>

namespace lt::progstation {

class FileAttributes {
public:
    virtual ~FileAttributes() = default;
    // Clears the read-only attribute of `path` when it is set, keeping every other
    // attribute (GetFileAttributesA, then SetFileAttributesA). A missing file is left
    // alone. True when the file is writable afterwards or does not exist.
    virtual bool clearReadOnly(const std::string& path) = 0;
};

// The attribute as the host's file permissions keep it (the owner's write permission),
// for native builds and tests; paths as the portable profile files take them.
class PortableFileAttributes final : public FileAttributes {
public:
    bool clearReadOnly(const std::string& path) override;
};

}  // namespace lt::progstation
