// station_boxes.h: the main dialog's two rows of six address boxes, named once for the dialog and the cycle.
#pragma once

#include <algorithm>
#include <array>

#include "resources/progstation_ids.h"

namespace lt::progstation {

// "Start Address :": byte 1 (leftmost) first.
inline constexpr std::array<int, 6> kStartBoxes = {IDC_START_BYTE1, IDC_START_BYTE2, IDC_START_BYTE3,
                                                   IDC_START_BYTE4, IDC_START_BYTE5, IDC_START_BYTE6};
// The last address handed out: byte 1 first.
inline constexpr std::array<int, 6> kLastBoxes = {IDC_LAST_BYTE1, IDC_LAST_BYTE2, IDC_LAST_BYTE3,
                                                  IDC_LAST_BYTE4, IDC_LAST_BYTE5, IDC_LAST_BYTE6};

constexpr bool isStartBox(int id) { return std::find(kStartBoxes.begin(), kStartBoxes.end(), id) != kStartBoxes.end(); }

}  // namespace lt::progstation
