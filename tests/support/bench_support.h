// bench_support.h: the simulated bench as tests prepare and inspect it: benchctl commands, the addresses the adapters hold, a programming request for a lot.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/adapter/mac_address.h"
#include "common/adapter/requests.h"
#include "common/eeprom/eeprom_image.h"

namespace lt::test {

// Runs one benchctl command (`command` is what follows the bench file on its command
// line, e.g. {"set", "2", "external=1"}) on the bench file `benchPath`. True when benchctl
// succeeded; otherwise the current test fails with benchctl's message and it is false.
bool benchctl(const std::string& benchPath, std::vector<std::string> command);

// What `benchctl BENCH show` prints, line by line.
std::vector<std::string> benchShow(const std::string& benchPath);

// The address each adapter of the bench holds, adapter 1 first. A bench file that cannot
// be read fails the current test and gives no address.
std::vector<adapter::MacAddress> benchAddresses(const std::string& benchPath);

// The request that programs a lot of `declared` adapters from `start`: the EEPROM image
// of `descriptors` with `start` placed in it, no previous range and no overwrite.
adapter::ProgramRequest lotRequest(uint32_t declared, const adapter::MacAddress& start,
                                   eeprom::DescriptorSettings descriptors = {});

}  // namespace lt::test
