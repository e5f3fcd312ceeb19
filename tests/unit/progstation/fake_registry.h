// fake_registry.h: an in-memory USB device registry for the installation check's tests.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "progstation/device_registry.h"

namespace lt::test {

struct FakeRegistryNode {
    std::vector<std::pair<std::string, FakeRegistryNode>> subkeys;  // enumeration order
    std::map<std::string, std::string> values;
    bool failOpen = false;
    bool failQuery = false;

    FakeRegistryNode& add(const std::string& name) {
        subkeys.push_back({name, {}});
        return subkeys.back().second;
    }
    FakeRegistryNode* find(const std::string& name) {
        for (auto& [n, node] : subkeys)
            if (n == name) return &node;
        return nullptr;
    }
    // A device-ID key with `instances` instance keys bound to `service` ("" = no value).
    FakeRegistryNode& device(const std::string& name, int instances, const std::string& service = "KORUMAC") {
        FakeRegistryNode& d = add(name);
        for (int i = 0; i < instances; ++i) {
            FakeRegistryNode& inst = d.add("instance" + std::to_string(i));
            if (!service.empty()) inst.values["Service"] = service;
        }
        return d;
    }
};

class FakeRegistryKey : public progstation::RegistryKey {
public:
    explicit FakeRegistryKey(FakeRegistryNode& node) : node_(node) {}
    std::optional<std::string> subkeyName(uint32_t index) override {
        if (index >= node_.subkeys.size()) return std::nullopt;
        return node_.subkeys[index].first;
    }
    std::optional<uint32_t> subkeyCount() override {
        if (node_.failQuery) return std::nullopt;
        return static_cast<uint32_t>(node_.subkeys.size());
    }
    std::unique_ptr<progstation::RegistryKey> openSubkey(std::string_view name) override {
        FakeRegistryNode* child = node_.find(std::string(name));
        if (!child || child->failOpen) return nullptr;
        return std::make_unique<FakeRegistryKey>(*child);
    }
    std::optional<std::string> stringValue(std::string_view name) override {
        auto it = node_.values.find(std::string(name));
        if (it == node_.values.end()) return std::nullopt;
        return it->second;
    }

private:
    FakeRegistryNode& node_;
};

struct FakeRegistry : progstation::DeviceRegistry {
    FakeRegistryNode usb;
    bool usbMissing = false;
    std::unique_ptr<progstation::RegistryKey> openUsbKey() override {
        if (usbMissing) return nullptr;
        return std::make_unique<FakeRegistryKey>(usb);
    }
};

}  // namespace lt::test
