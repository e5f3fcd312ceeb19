// install_check_benchmark.cpp: prints how long the installation check's registry scan takes with 255 and 2000 device-ID keys.
//
// The registry is an in-memory one with its keys indexed by name, so the figures are the
// check's own work (enumerating, comparing the snapshot with the rescan, picking and the
// service check), not the cost of a real registry, which comes on top.
// Usage: install-check-benchmark [REPETITIONS]   (default 200 per key count)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/platform/pauses.h"
#include "progstation/install_check.h"

namespace {

using namespace lt::progstation;

struct Node {
    std::vector<std::string> order;
    std::unordered_map<std::string, std::unique_ptr<Node>> children;
    std::map<std::string, std::string> values;

    Node& add(const std::string& name) {
        auto& slot = children[name];
        if (!slot) {
            slot = std::make_unique<Node>();
            order.push_back(name);
        }
        return *slot;
    }
};

struct Key : RegistryKey {
    explicit Key(Node& n) : node(n) {}
    Node& node;
    std::optional<std::string> subkeyName(uint32_t index) override {
        if (index >= node.order.size()) return std::nullopt;
        return node.order[index];
    }
    std::optional<uint32_t> subkeyCount() override { return uint32_t(node.order.size()); }
    std::unique_ptr<RegistryKey> openSubkey(std::string_view name) override {
        auto it = node.children.find(std::string(name));
        if (it == node.children.end()) return nullptr;
        return std::make_unique<Key>(*it->second);
    }
    std::optional<std::string> stringValue(std::string_view name) override {
        auto it = node.values.find(std::string(name));
        if (it == node.values.end()) return std::nullopt;
        return it->second;
    }
};

struct Registry : DeviceRegistry {
    Node usb;
    std::unique_ptr<RegistryKey> openUsbKey() override { return std::make_unique<Key>(usb); }
};

struct NoPauses : lt::platform::Pauses {
    void pause(uint32_t) override {}
};

void addInstances(Node& device, int from, int to) {
    for (int i = from; i < to; ++i) device.add("inst" + std::to_string(i)).values["Service"] = "KORUMAC";
}

// `keys` device-ID keys, the station's among them with four instances; the lot of four
// then comes back under the station's identity (four more instances of a known key).
double microsecondsPerCheck(int keys, int repetitions) {
    using Clock = std::chrono::steady_clock;
    Clock::duration total{};
    for (int r = 0; r < repetitions; ++r) {
        Registry registry;
        char name[32];
        for (int k = 0; k < keys - 1; ++k) {
            std::snprintf(name, sizeof name, "VID_%04X&PID_%04X", 0x1000 + k / 16, 0x2000 + k);
            addInstances(registry.usb.add(name), 0, 1);
        }
        Node& station = registry.usb.add("VID_8207&PID_6514");
        addInstances(station, 0, 4);
        NoPauses pauses;
        InstallCheck check(registry, pauses);

        const auto start = Clock::now();
        ScanRecord record;
        record.vid = "8207";
        record.pid = "6514";
        record.target = 4;
        record.snapshot = check.snapshot();
        const auto scanned = Clock::now();
        addInstances(station, 4, 8);  // the adapters re-enumerate (not timed)
        const auto resumed = Clock::now();
        if (!check.rescan(record)) std::abort();
        if (check.pickAndCheck(record) != InstallResult::ServiceBound) std::abort();
        total += (scanned - start) + (Clock::now() - resumed);
    }
    return std::chrono::duration<double, std::micro>(total).count() / repetitions;
}

}  // namespace

int main(int argc, char** argv) {
    const int repetitions = argc > 1 ? std::atoi(argv[1]) : 200;
    if (repetitions <= 0) {
        std::fprintf(stderr, "usage: install-check-benchmark [REPETITIONS]\n");
        return 2;
    }
    std::printf("installation check (snapshot, rescan, pick and service check; in-memory registry)\n");
    for (int keys : {255, 2000})
        std::printf("  %4d device-ID keys: %8.1f us per check\n", keys, microsecondsPerCheck(keys, repetitions));
    return 0;
}
