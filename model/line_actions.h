#pragma once
// What the add-line dialog's "Vložit" does, for the panel and for lumo-ctl alike.

#include "model/device_catalog.h"

namespace lumo {

// Creates a line with the given head type (one of LineHeadTypes). Returns the new line number
// (1-16); 0 when the line table is full (after its message); -1 or -2 after reporting a failed
// write of "line.cfg" (0x0d02) or "terminal.dat" (0x0c03).
int addLine(DeviceTypeCode headType);

}  // namespace lumo
