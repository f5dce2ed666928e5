#pragma once
// A line opened in service mode for a device (the service bit and the device's type as the
// key): the download, the memory transfer and the initialisation all start so.

#include "model/device_catalog.h"

namespace lumo {

// True when open; else the failure is reported and the line closed again.
bool openServiceLine(int lineIndex, DeviceTypeCode type);

}  // namespace lumo
