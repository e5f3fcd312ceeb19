// password_files.h: the port for the password file: open, read, write, replace and delete with the Windows file API's semantics.
//
// Every open asks for reading and writing and shares the file for reading only, so
// while one program holds it open no other open (in this or another program)
// succeeds. Files are created with the hidden attribute. Closing is destroying the
// handle. Paths are Windows paths; the portable implementation also takes host paths.
// Nothing is thrown.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace lt::login {

// One open file.
class PasswordFileHandle {
public:
    virtual ~PasswordFileHandle() = default;  // CloseHandle

    // ReadFile: up to buffer.size() bytes from the current position; `got` receives how
    // many came. False when the read failed.
    virtual bool read(std::span<uint8_t> buffer, std::size_t& got) = 0;
    // WriteFile of every byte, then the data flushed to the disk. False unless all of it
    // was written.
    virtual bool write(std::span<const uint8_t> bytes) = 0;
};

class PasswordFiles {
public:
    virtual ~PasswordFiles() = default;

    // CreateFileA(GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING,
    // FILE_ATTRIBUTE_HIDDEN): null when the file is missing or cannot be opened.
    virtual std::unique_ptr<PasswordFileHandle> openExisting(const std::string& path) = 0;
    // The same with CREATE_NEW: a new empty hidden file; null when one exists.
    virtual std::unique_ptr<PasswordFileHandle> createNew(const std::string& path) = 0;
    // The same with CREATE_ALWAYS: a new empty hidden file, in place of one that exists.
    virtual std::unique_ptr<PasswordFileHandle> createAlways(const std::string& path) = 0;
    // MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH): `from`
    // takes the place of `to` in one step, with its own content and attributes. Fails
    // (and changes nothing) while either file is open.
    virtual bool replace(const std::string& from, const std::string& to) = 0;
    // DeleteFileA.
    virtual bool remove(const std::string& path) = 0;
};

}  // namespace lt::login
