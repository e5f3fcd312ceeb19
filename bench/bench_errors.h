// bench_errors.h: the system error codes the simulated driver answers with, as the Windows
// driver stack reports them (GetLastError values).
#pragma once

#include <cstdint>

namespace lt::bench {

constexpr uint32_t kErrorInvalidFunction = 1;       // unknown request code
constexpr uint32_t kErrorFileNotFound = 2;          // no driver (absent, openfail, no bench file)
constexpr uint32_t kErrorWriteFault = 29;           // the bench file could not be saved
constexpr uint32_t kErrorGenFailure = 31;           // an injected request fault
constexpr uint32_t kErrorSharingViolation = 32;     // the bench file stayed locked by another program
constexpr uint32_t kErrorInvalidParameter = 87;     // bad request bytes or device number
constexpr uint32_t kErrorSemTimeout = 121;          // a frame sent with nothing to loop it back
constexpr uint32_t kErrorInsufficientBuffer = 122;  // reply buffer smaller than the reply
constexpr uint32_t kErrorFileCorrupt = 1392;        // the bench file is damaged

}  // namespace lt::bench
