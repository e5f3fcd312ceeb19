// bench_file_fuzzer.cpp: feeds arbitrary text to the bench file loader and checks that a bench it accepts saves and reloads unchanged.
#include "bench/bench_file.h"
#include "bench/bench_model.h"
#include "fuzz/fuzz_files.h"

#include <cstdlib>

using namespace lt;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string path = fuzz::scratch().file("bench.txt");
    fuzz::writeFile(path, fuzz::asText(data, size));

    bench::Bench loaded;
    std::string message;
    if (bench::readBenchFile(path, loaded, message) != bench::BenchFileStatus::ok) {
        if (message.empty()) std::abort();  // a refusal always says why
        return 0;
    }
    // What was accepted is saved as the programs save it and must read back the same.
    const std::string saved = bench::formatBench(loaded);
    bench::Bench again;
    std::string why;
    if (!bench::parseBench(saved, again, why)) std::abort();
    if (bench::formatBench(again) != saved) std::abort();
    return 0;
}
