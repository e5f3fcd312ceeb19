// password_store_fuzzer.cpp: reads arbitrary password files through the operator login's store, saves what it read and reads it again.
#include "common/login/password_store.h"
#include "fuzz/fuzz_files.h"
#include "portable/password_files_portable.h"

#include <cstdlib>

using namespace lt;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    fuzz::ScratchSystem system;
    login::PortablePasswordFiles files;
    login::PasswordStore store(files, system);
    fuzz::writeFile(store.path(), fuzz::asText(data, size));

    login::LoginState state;
    if (!store.open(state)) std::abort();
    const bool found = store.read(state);
    const std::string password = state.expectedPassword;
    if (password.size() > login::kStoredBytes || password.find('\0') != std::string::npos) std::abort();
    if (found == password.empty()) std::abort();

    // Saved and read again, the password is the same.
    if (!store.replace(state)) std::abort();
    state.expectedPassword.clear();
    store.close(state);
    if (!store.open(state)) std::abort();
    if (store.read(state) != found || state.expectedPassword != password) std::abort();
    store.close(state);
    return 0;
}
