#pragma once
// Switching lines and modules on and off, and the check that a line is in use.

namespace lumo {

// 1 when the line's record can be read and the line is switched on. A switched-off line gets
// the message "Nelze provést"; an unreadable record returns 0 silently.
int LineEnabledCheck(int lineIndex);

// Flips the switched-off flag of the line (moduleNumber 0) or of the module and writes the
// record back. False when the record cannot be read or written (code left pending). The check
// of a module switched on again is the caller's.
bool ItemEnableToggle(int lineIndex, int moduleNumber);

}  // namespace lumo
