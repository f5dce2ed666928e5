#include "device/item_state.h"

#include "app/app_state.h"
#include "app/ui_port.h"
#include "device/device_check.h"
#include "discovery/neighbour_binding.h"
#include "model/installation.h"

namespace lumo {

int LineEnabledCheck(int lineIndex) {
    LineRecord line;
    if (!readLineRecord(lineIndex, line)) return 0;
    if (line.switchedOff()) {
        uiMessage("Nelze provést",
                  "Linka ke které je zařízení připojeno je vypnutá. \nPokud chcete zařízení používat je třeba linku aktivovat.",
                  MessageIcon::Information);
        return 0;
    }
    return 1;
}

bool ItemEnableToggle(int lineIndex, int moduleNumber) {
    if (moduleNumber == 0) {
        LineRecord line;
        if (!readLineRecord(lineIndex, line)) return false;
        line.setFlags(line.flags() ^ flags::kLineOff);
        return writeLineRecord(lineIndex, line);
    }
    ModuleRecord module;
    if (!readModuleRecord(lineIndex, moduleNumber, module)) return false;
    module.setFlags(module.flags() ^ flags::kModuleOff);
    if (!writeModuleRecord(lineIndex, moduleNumber, module)) return false;
    LineRecord line;
    if (readLineRecord(lineIndex, line)) RemoveArpEntry(line);
    clearError();
    // Switched on again: see whether it answers (a switched-off module is not contacted).
    return DeviceCheck(lineIndex, moduleNumber) == 1;
}

}  // namespace lumo
