// demo_program_lot.cpp: program-lot-demo, the main job until the station program exists: a bench of
// four adapters programmed as one lot through the library's programming request, then shown.
//
// usage: program-lot-demo BENCHFILE
// Creates BENCHFILE with 4 fresh adapters, builds the write image from the default
// descriptor settings, places the start address 00-1b-4e-7a-01-00, sends one
// IOCTL_PROGRAM_EEPROM for a range of 4 and prints the reply and each adapter as
// `benchctl show` does. Exit status 0 when the lot was programmed.
#include <cstdio>
#include <iostream>
#include <string>

#include "bench/bench_control.h"
#include "bench/bench_device.h"
#include "common/adapter/driver_contract.h"
#include "common/adapter/requests.h"
#include "common/eeprom/eeprom_image.h"

int main(int argc, char** argv) {
    using namespace lt;
    if (argc != 2) {
        std::cerr << "usage: program-lot-demo BENCHFILE\n";
        return 2;
    }
    const std::string path = argv[1];
    const uint32_t lotSize = 4;
    if (bench::runBenchctl({path, "create", std::to_string(lotSize)}, std::cout, std::cerr) != 0) return 1;

    eeprom::DescriptorSettings settings;  // the defaults
    eeprom::EepromWriteImage image;
    eeprom::buildImage(settings, image);

    adapter::ProgramRequest request;
    request.deviceCount = lotSize;
    request.image = image.bytes;
    const adapter::MacAddress start{0x00, 0x1b, 0x4e, 0x7a, 0x01, 0x00};
    eeprom::placeMacAddress(request.image, start);

    bench::BenchDevice device(path);
    uint32_t error = 0;
    auto handle = device.open(error);
    if (!handle) {
        std::cerr << "program-lot-demo: cannot open the control device (error " << error << ") "
                  << device.lastProblem() << "\n";
        return 1;
    }
    adapter::ProgramReply reply;
    if (!adapter::programEeprom(*handle, request, reply, error)) {
        std::cerr << "program-lot-demo: the programming request failed (error " << error << ")\n";
        return 1;
    }
    handle.reset();
    std::cout << "programmed from " << adapter::formatLower(start) << ": status " << reply.status << ", "
              << reply.count << " adapters, last address " << adapter::formatLower(reply.lastAddress) << "\n";

    if (bench::runBenchctl({path, "show"}, std::cout, std::cerr) != 0) return 1;
    return reply.status == adapter::kStatusVerifyDescriptors || reply.status == adapter::kStatusProgrammed ? 0 : 1;
}
