// diagnostic_settings.h: the settings of EthernetDiagnostic.ini that the programs take as a whole, one table row each.
//
// Each row binds one setting to its key (settings_keys.h, which holds every reader's
// default), to its member of DiagnosticSettings and to the control that shows it in
// SetupEditor and in EthTester. Loading, saving, EthTester's start-up and SetupEditor's
// start-up and Save all loop over the rows, so a setting is added with one row (and its
// controls in the resource scripts).
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "common/settings/settings_keys.h"

namespace lt::settings {

// X(member, kind, key, SetupEditor's control, EthTester's control), in the order SetupEditor
// writes them. `kind`:
//   Flag        a check box; the member holds the number read (non-zero is on), 0 when the
//               program does not read the key; written "1" or "0".
//   PacketText  an edit box's text, read and written only while long or external loopback
//               is on (otherwise the member holds "1" and the file's values stay as they are).
// The controls are named by their resource symbols, which each program's own ID header
// defines; a program expands only its own column. kNoControl: the program shows none.
#define LT_DIAGNOSTIC_SETTINGS(X)                                                                        \
    X(registerTest, Flag, TestRegister, IDC_REGISTER_TEST, IDC_REGISTER_TEST)                            \
    X(quickLoopback, Flag, TestQuickLoopback, IDC_QUICK_LOOPBACK, IDC_QUICK_LOOPBACK)                    \
    X(longLoopback, Flag, TestLongLoopback, IDC_LONG_LOOPBACK, IDC_LONG_LOOPBACK)                        \
    X(externalLoopback, Flag, TestExternalLoopback, IDC_EXTERNAL_LOOPBACK, IDC_EXTERNAL_LOOPBACK)        \
    X(packetCount, PacketText, PacketCount, IDC_PACKET_COUNT, IDC_PACKET_COUNT)                          \
    X(packetSize, PacketText, PacketSize, IDC_PACKET_SIZE, IDC_PACKET_SIZE)                              \
    X(logging, Flag, LogEnable, IDC_ENABLE_LOGGING, IDC_ENABLE_LOGGING)                                  \
    X(overWriteAddress, Flag, OverWriteAddress, IDC_OVERWRITE_ADDRESS, ::lt::settings::kNoControl)       \
    X(displayMacAddresses, Flag, DisplayMacAddresses, IDC_VERIFY_ADDRESS, ::lt::settings::kNoControl)    \
    X(launchDiagnosticApp, Flag, LaunchDiagnosticApp, IDC_LAUNCH_DIAGNOSTICS, ::lt::settings::kNoControl)

enum class DiagnosticKind : uint8_t { Flag, PacketText };

// A program's column for a setting it does not show.
inline constexpr int kNoControl = 0;

namespace detail {
template <DiagnosticKind>
struct DiagnosticValue;
template <>
struct DiagnosticValue<DiagnosticKind::Flag> {
    using Type = uint32_t;
    static Type unread() { return 0; }
};
template <>
struct DiagnosticValue<DiagnosticKind::PacketText> {
    using Type = std::string;
    static Type unread() { return "1"; }
};
}  // namespace detail

// EthernetDiagnostic.ini as one program sees it: one member per row above.
struct DiagnosticSettings {
#define LT_DIAGNOSTIC_MEMBER(member, kind, ...)                                   \
    detail::DiagnosticValue<DiagnosticKind::kind>::Type member =                  \
        detail::DiagnosticValue<DiagnosticKind::kind>::unread();
    LT_DIAGNOSTIC_SETTINGS(LT_DIAGNOSTIC_MEMBER)
#undef LT_DIAGNOSTIC_MEMBER

    // True when the packet values belong to the selection (long or external loopback on).
    bool packetsUsed() const { return longLoopback != 0 || externalLoopback != 0; }

    friend bool operator==(const DiagnosticSettings&, const DiagnosticSettings&) = default;
};

// One row: the key and the member that holds its value (`flag` for a Flag row, `text` for a
// PacketText row; the other is null).
struct DiagnosticField {
    const SettingKey* key = nullptr;
    uint32_t DiagnosticSettings::*flag = nullptr;
    std::string DiagnosticSettings::*text = nullptr;
};

constexpr DiagnosticField diagnosticField(const SettingKey& key, uint32_t DiagnosticSettings::*flag) {
    return {&key, flag, nullptr};
}
constexpr DiagnosticField diagnosticField(const SettingKey& key, std::string DiagnosticSettings::*text) {
    return {&key, nullptr, text};
}

// A row bound to one program's control.
struct DiagnosticControl {
    DiagnosticField field;
    int control = kNoControl;
};

// The DiagnosticField of a row, for a program's expansion of its column.
#define LT_DIAGNOSTIC_FIELD(member, key) \
    ::lt::settings::diagnosticField(::lt::settings::keys::key, &::lt::settings::DiagnosticSettings::member)

// Every row, in the table's order (the order of SetupEditor's writes).
std::span<const DiagnosticField> diagnosticFields();

}  // namespace lt::settings
