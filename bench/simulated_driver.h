// simulated_driver.h: answers the driver requests over a bench of simulated adapters,
// decoding the request bytes as the adapter driver does.
//
// It works on a Bench held by its caller (the bench device, or a test) and keeps the
// run-time state a program sees while it holds the adapters: controller and PHY
// registers, loopback mode and the frame count of the current loopback series. A
// request that changes what a bench file keeps (EEPROM contents, USB identity,
// re-enumerations, fault countdowns) changes the Bench; the caller saves it. Loopback
// frames neither allocate nor touch the Bench. Not thread-safe: callers serialise.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "bench/bench_model.h"
#include "bench/device_registry_mirror.h"

namespace lt::bench {

// PHY register values after a reset (and at power-up).
constexpr uint16_t kPhyControlAfterReset = 0x1000;  // auto-negotiation on
constexpr uint16_t kPhyStatus = 0x7809;
constexpr uint16_t kPhyAdvertisement = 0x01E1;
constexpr uint16_t kPhyPartnerAbility = 0x0000;
constexpr uint16_t kPhyExpansion = 0x0000;

class SimulatedDriver {
public:
    explicit SimulatedDriver(DeviceRegistryMirror* mirror = nullptr) : mirror_(mirror) {}

    // One request, as DeviceIoControl would carry it. False with `error` set on failure;
    // the reply buffer is then left as the caller filled it.
    bool request(Bench& bench, uint32_t code, std::span<const uint8_t> input, std::span<uint8_t> reply,
                 uint32_t& error);

    // True when the request may change what the bench file keeps, so the caller should
    // reload the file first and save it afterwards.
    static bool mayChangeBench(const Bench& bench, uint32_t code);

private:
    struct Runtime {
        std::array<uint8_t, kControllerRegisters> registers{};
        std::array<uint16_t, kPhyRegisters> phy = phyAfterReset();
        uint16_t loopbackMode = 0;
        uint32_t frame = 0;  // frames sent in the current loopback series

        static std::array<uint16_t, kPhyRegisters> phyAfterReset();
    };

    Runtime* runtimeFor(const Bench& bench, uint32_t device, uint32_t& error);
    bool programEeprom(Bench& bench, std::span<const uint8_t> input, std::span<uint8_t> reply, uint32_t& error);
    void programAdapter(Bench& bench, SimAdapter& adapter, std::span<const uint8_t, eeprom::kImageSize> image,
                        const MacAddress& address);
    bool sendReceive(Bench& bench, std::span<const uint8_t> input, uint32_t& error);
    bool readEeprom(const Bench& bench, std::span<const uint8_t> input, std::span<uint8_t> reply, uint32_t& error);

    DeviceRegistryMirror* mirror_;
    std::vector<Runtime> runtime_;  // one per adapter position, kept while adapters stay
};

}  // namespace lt::bench
