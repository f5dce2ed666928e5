#pragma once
// The device check of a line or a module, and storing a module's status.

#include <cstdint>

namespace lumo {

// Checks item `item` of a line: 0 the line itself (open it and test its head device), n a
// module (ask it CAL). Stores the outcome in the record's status flags, updates the tree
// (selecting the item checked) and puts the verdict into the status bar. 1 when done (also when the item or its line is switched
// off and nothing was done, and when the operation was stopped during a module's exchange: that
// stores nothing and leaves the status bar empty), 0 when a record could not be read or written, or when the module's
// answer failed its checksum (0x05FF0001 pending; the record is left as it was).
int DeviceCheck(int lineIndex, int item);

// For a module: stores the status byte, writes the record, updates its tree item and shows its
// report. Nothing for a line (moduleNumber 0).
void ModuleStatusStore(int lineIndex, int moduleNumber, std::uint8_t statusFlags);

}  // namespace lumo
