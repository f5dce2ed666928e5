#include "comm/line_port.h"

namespace lumo {

// No transport keeps a line open yet, so there is nothing to close.
void LineClose(int) {}

}  // namespace lumo
