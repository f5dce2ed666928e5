#pragma once
// A module's five counters C1-C5 ("Nastavení počítadel"): as INF $7 reports them and as SET $7
// takes them back.

#include <array>
#include <cstddef>
#include <optional>
#include <string>

#include "model/device_catalog.h"

namespace lumo {

inline constexpr int kCounterCount = 5;
// The longest counters answer: five counters of ten digits with a sign, their codes and '+',
// the '*' and the checksum, with room to spare. A longer one is cut, and so no answer.
inline constexpr std::size_t kCounterAnswerCapacity = 128;
// The dialog's labels, C1 first.
const std::array<const char*, kCounterCount>& counterLabels();

// A counter the answer did not report has no value (its field stays disabled).
using Counters = std::array<std::optional<long>, kCounterCount>;

// For each counter the number after its first "C<digit>" in the answer (it may be signed).
Counters parseCounters(const std::string& answer);

// "C10005+C20012+C41200": each counter that has a value, "C%1d%04d" ("C%1d%05d" for a module of
// type 72), joined by '+'.
std::string counterDataText(const Counters& counters, DeviceTypeCode type);

}  // namespace lumo
