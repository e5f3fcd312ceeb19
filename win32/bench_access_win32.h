// bench_access_win32.h: the training builds' control device: the simulated bench, and what a
// bench needs of its host (a Unix path under Wine, the device registry that Wine lacks).
//
// Linked only into the training builds and the tests; the production programs carry none of it.
#pragma once

#include <string>

#include "win32/adapter_access.h"

namespace lt::win32 {

// The environment variable that names the bench file of a training run.
constexpr const char* kBenchVariable = "KORUSBMAC_BENCH";
// The bench file a training build takes, beside the program, when the variable is unset.
constexpr const char* kTrainingBenchFile = "TrainingBench.txt";

// The bench file named by KORUSBMAC_BENCH, "" when the variable is unset or empty. Under
// Wine a Unix path ("/tmp/bench.txt") is turned into its drive Z: form.
std::string benchPathFromEnvironment();

// The training build's bench file: the variable's, else TrainingBench.txt in the program's
// own folder (a file that is not there reads as a missing driver).
std::string trainingBenchPath();

// The simulated bench of trainingBenchPath(), with the registry mirror under Wine, marked
// as training.
AdapterAccess openBenchAccess();

}  // namespace lt::win32
