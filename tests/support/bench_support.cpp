// bench_support.cpp: benchctl commands, the bench's addresses and a lot's programming request, for tests.
#include "tests/support/bench_support.h"

#include <gtest/gtest.h>

#include <sstream>

#include "bench/bench_control.h"
#include "bench/bench_file.h"
#include "bench/bench_model.h"

namespace lt::test {

bool benchctl(const std::string& benchPath, std::vector<std::string> command) {
    command.insert(command.begin(), benchPath);
    std::ostringstream out, err;
    const int status = bench::runBenchctl(command, out, err);
    EXPECT_EQ(status, bench::kBenchctlOk) << "benchctl " << command[1] << ": " << err.str();
    return status == bench::kBenchctlOk;
}

std::vector<std::string> benchShow(const std::string& benchPath) {
    std::ostringstream out, err;
    bench::runBenchctl({benchPath, "show"}, out, err);
    std::vector<std::string> lines;
    std::istringstream in(out.str());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::vector<adapter::MacAddress> benchAddresses(const std::string& benchPath) {
    bench::Bench b;
    std::string problem;
    EXPECT_EQ(bench::readBenchFile(benchPath, b, problem), bench::BenchFileStatus::ok) << problem;
    std::vector<adapter::MacAddress> addresses;
    for (const auto& a : b.adapters) addresses.push_back(bench::adapterAddress(a));
    return addresses;
}

adapter::ProgramRequest lotRequest(uint32_t declared, const adapter::MacAddress& start,
                                   eeprom::DescriptorSettings descriptors) {
    eeprom::EepromWriteImage image;
    eeprom::buildImage(descriptors, image);
    adapter::ProgramRequest request;
    request.deviceCount = declared;
    request.image = image.bytes;
    eeprom::placeMacAddress(request.image, start);
    return request;
}

}  // namespace lt::test
