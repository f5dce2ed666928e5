#include "device/item_state.h"

#include "base/app_state.h"
#include "base/ui_port.h"
#include "model/installation.h"
#include "model/record_lock.h"

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
    const RecordFileLock lock(moduleNumber == 0 ? lineConfigPath(lineIndex + 1) : moduleFilePath(lineIndex + 1));
    if (!lock.held()) return false;
    if (moduleNumber == 0) {
        LineRecord line;
        if (!readLineRecord(lineIndex, line)) return false;
        line.setFlags(line.flags() ^ flags::kLineOff);
        return writeLineRecord(lineIndex, line);
    }
    ModuleRecord module;
    if (!readModuleRecord(lineIndex, moduleNumber, module)) return false;
    module.setFlags(module.flags() ^ flags::kModuleOff);
    return writeModuleRecord(lineIndex, moduleNumber, module);
}

}  // namespace lumo
