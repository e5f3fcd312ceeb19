// bench_control.h: the commands of benchctl, callable from tests and from its entry point.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "bench/bench_file.h"

namespace lt::bench {

// Exit statuses of benchctl.
constexpr int kBenchctlOk = 0;
constexpr int kBenchctlFileError = 1;  // bench file missing, damaged, locked or not writable
constexpr int kBenchctlUsage = 2;      // unknown command or name, bad value: the bench is unchanged

// Runs one benchctl command line (without the program name):
//   BENCH create N [revision=0x200|0x100]
//   BENCH plug N [revision=...]
//   BENCH unplug K|all
//   BENCH set K|all NAME=VALUE ...
//   BENCH driver NAME=VALUE ...
//   BENCH show
int runBenchctl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, LockTiming timing = {});

// The usage text benchctl prints.
std::string benchctlUsage();

}  // namespace lt::bench
