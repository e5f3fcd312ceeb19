// password_store.cpp: opening, reading, closing and replacing the password file.
#include "common/login/password_store.h"

#include <array>
#include <cstdint>

namespace lt::login {

std::string PasswordStore::path() {
    const auto directory = system_.windowsDirectory();
    if (!directory || directory->empty()) return {};
    return *directory + "\\" + std::string(kStoreFileName);
}

bool PasswordStore::open(LoginState& state) {
    close(state);
    const std::string file = path();
    if (file.empty()) return false;
    state.store = files_.openExisting(file);
    if (!state.store) state.store = files_.createNew(file);
    return state.store != nullptr;
}

bool PasswordStore::read(LoginState& state) {
    if (!state.store) return false;
    std::array<uint8_t, kStoredBytes> bytes{};
    std::size_t got = 0;
    const bool ok = state.store->read(bytes, got);
    std::string password;
    for (std::size_t i = 0; i < got && i < bytes.size() && bytes[i] != 0; ++i)
        password += static_cast<char>(bytes[i]);
    state.expectedPassword = password;
    return ok && !password.empty();
}

void PasswordStore::close(LoginState& state) { state.store.reset(); }

bool PasswordStore::replace(LoginState& state) {
    close(state);
    const std::string file = path();
    if (file.empty()) return false;
    const std::string fresh = file + ".new";
    bool placed = false;
    if (auto handle = files_.createAlways(fresh)) {
        const std::string& p = state.expectedPassword;
        const bool written = handle->write({reinterpret_cast<const uint8_t*>(p.data()), p.size()});
        handle.reset();  // closed before it can take the store's place
        placed = written && files_.replace(fresh, file);
        if (!placed) files_.remove(fresh);
    }
    open(state);
    return placed;
}

}  // namespace lt::login
