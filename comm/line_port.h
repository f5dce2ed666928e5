#pragma once
// Runtime state of the communication lines.

namespace lumo {

// Closes one line (index 0-15, service bit 0x80 ignored); 16 or 255 close them all.
void LineClose(int line);

}  // namespace lumo
