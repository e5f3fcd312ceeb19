// benchctl_main.cpp: entry point of benchctl, the command-line tool that prepares simulated benches.
#include <iostream>
#include <string>
#include <vector>

#include "bench/bench_control.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return lt::bench::runBenchctl(args, std::cout, std::cerr);
}
