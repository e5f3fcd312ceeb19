// package_check_fuzzer.cpp: asks the driver package check about arbitrary VID/PID pairs over arbitrary INF text.
#include "fuzz/fuzz_files.h"
#include "portable/profile_files_portable.h"
#include "progstation/package_check.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

using namespace lt;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string vid = input.ConsumeRandomLengthString(8);
    const std::string pid = input.ConsumeRandomLengthString(8);
    const std::string inf = input.ConsumeRemainingBytesAsString();

    const std::string path = fuzz::scratch().file("netkoru.inf");
    fuzz::writeFile(path, inf);
    settings::PortableProfileFiles profiles;
    const bool known = progstation::packageKnowsIds(profiles, path, vid, pid);

    // A yes means the entry's value really ends in the device ID text.
    if (known) {
        const std::string value =
            profiles.readString(path, "COMPANY", progstation::deviceDescriptionKey(vid, pid), "", 260);
        const std::string id = progstation::deviceIdText(vid, pid);
        if (value.size() < id.size() || value.compare(value.size() - id.size(), id.size(), id) != 0) std::abort();
    }
    return 0;
}
