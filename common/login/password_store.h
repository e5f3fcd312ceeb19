// password_store.h: the operator login's state and the password file (Password.dat in the Windows directory).
//
// The file holds the password's bytes exactly: no terminator, no line end, no length,
// no encoding. Passwords saved by the programs are 4 to 10 bytes; an empty file means
// that no password has been set. A reader takes at most the first 10 bytes, and a zero
// byte among them ends the password there. Both programs read and write the same file.
#pragma once

#include "common/login/password_files.h"
#include "common/platform/system_paths.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace lt::login {

// The fixed user name (compared exactly, case included) and the password in force
// whenever the file holds none.
inline constexpr std::string_view kUserName = "opusr";
inline constexpr std::string_view kDefaultPassword = "tpw731";
inline constexpr std::size_t kStoredBytes = 10;       // a reader takes at most this many
inline constexpr std::size_t kMinPasswordLength = 4;  // bytes of a new password, both allowed
inline constexpr std::size_t kMaxPasswordLength = 10;
inline constexpr std::string_view kStoreFileName = "Password.dat";

// One per program, alive from program start to program end.
struct LoginState {
    std::string expectedPassword;  // what the login accepts; empty at program start
    bool verified = false;         // set only by a successful Verify Password
    std::unique_ptr<PasswordFileHandle> store;  // the open file, or none
};

class PasswordStore {
public:
    PasswordStore(PasswordFiles& files, platform::SystemPaths& system) : files_(files), system_(system) {}

    // <Windows directory>\Password.dat, built each time; "" when the directory cannot be had.
    std::string path();

    // Opens the existing file, or creates a new empty hidden one; the handle becomes the
    // state's store. False when neither works (nothing is reported).
    bool open(LoginState& state);
    // Reads up to 10 bytes from the freshly opened store into the expected password (up to
    // a zero byte). True only when the read worked and gave a password of at least one
    // byte: a store that is empty or starts with a zero byte holds no password.
    bool read(LoginState& state);
    // Closes the store if it is open.
    void close(LoginState& state);
    // Stores the expected password: the bytes go into a new hidden file beside the store,
    // which then takes the store's place in one step, so a failed or interrupted save
    // leaves the old password in the file. The store is open again afterwards (until the
    // dialog ends). True when the new content is in place.
    bool replace(LoginState& state);

private:
    PasswordFiles& files_;
    platform::SystemPaths& system_;
};

}  // namespace lt::login
