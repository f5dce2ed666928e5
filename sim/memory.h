#pragma once
// The memory service of a simulated module: "UPL" requests answered from its memory, 117 bytes
// at most an answer, and "WRM" messages written into it. Messages are text with check
// characters, 0x04 and 0x00; they come without a module address, to the bus's service module.

#include <string>
#include <vector>

#include "sim/sim_module.h"
#include "sim/wire_log.h"

namespace lumo::sim {

// True when the text (without 0x04 0x00) is a memory service message.
bool isMemoryMessage(const std::string& text);

// The module's answer to one message (empty: none). Faults as for instructions: silent, drop=N,
// badcrc (wrong check characters), cut=N (the answer cut off).
std::vector<std::uint8_t> memoryAnswer(SimModule& m, const std::string& text, WireLog& log, const char* transport);

}  // namespace lumo::sim
