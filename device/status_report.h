#pragma once
// The status report of a line or module shown in the report pane.

#include <string>

namespace lumo {

// "COM%d" for a serial port, "TCP " for port 0.
std::string ConnectionName(int port);

// Builds the report of item `item` (0 = the line, n = module record n) of a line. False when
// a record cannot be read (0x0d06 line, 0x0d07 module combined into the pending code).
bool statusReportText(int lineIndex, int item, std::string& text);

// Builds the report and puts it into the report pane.
void StatusReportShow(int lineIndex, int item);

}  // namespace lumo
