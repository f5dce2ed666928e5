#include "ui/download_form.h"

#include "actions/download_actions.h"
#include "model/device_catalog.h"
#include "platform/system_error.h"

namespace lumo {

bool DownloadForm::open(int lineIndex, int moduleNumber) {
    lineIndex_ = lineIndex;
    moduleNumber_ = moduleNumber;
    platform::setLastSystemError(0);
    DeviceTypeCode type = 0;
    if (!actionDone(downloadApplies(lineIndex, moduleNumber, type))) return false;
    if (!chooseFile || chooseFile(path_, 1) != 1) return false;
    warning = downloadWarning(type);
    version.enabled = isInList(HardwareVersionTypes, type);
    version.text = version.enabled ? "verze HW starší než 8 " : "Verze";
    return true;
}

int DownloadForm::finish() {
    return actionDone(startDownload(lineIndex_, moduleNumber_, path_, olderHardware, {})) ? 1 : 0;
}

}  // namespace lumo
