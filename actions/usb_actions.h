#pragma once
// "Vyhledání USB zařízení" (its "Uložit") and "Vymazání USB driverů". Results as
// base/action_result.h says.

#include <vector>

#include "base/action_result.h"
#include "discovery/usb_search.h"

namespace lumo {

// "Uložit": the rows from the last to the first become lines (the USB line types 12, 13 and 16;
// the other rows are left out, and said so), each checked and shown in the tree. Stops when all
// 16 lines exist (after createLine's message) or a file cannot be written (reported). The
// number of lines made (0 when none).
int saveUsbRows(const std::vector<UsbRow>& rows);

// "Vymazání USB driverů": the outcome in a box titled "SERVIS".
int cleanUsbDriversCommand();

}  // namespace lumo
