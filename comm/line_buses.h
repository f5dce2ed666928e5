#pragma once
// Which lines are one bus: lines on one port (the same COM device as "comports.cfg" names it, or
// the same converter address and TCP port) share a wire and are worked in turn; different buses
// are independent and may be worked at once.

#include <vector>

#include "comm/line_lease.h"

namespace lumo {

// The chosen lines that exist, in groups, one per bus, each in line order.
std::vector<std::vector<int>> lineGroups(LineSet lines);

}  // namespace lumo
