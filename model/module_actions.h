#pragma once
// What the add-module dialog's "Vložit" does, for the panel and for lumo-ctl alike.

#include <string>

#include "model/device_catalog.h"

namespace lumo {

// The reader operation bytes a new module of the type starts with.
struct ReaderOperations {
    std::uint8_t reader1 = 0, reader2 = 0;
};
ReaderOperations defaultReaderOperations(DeviceTypeCode type);

// Adds a module of `type` with the ID address typed as `idText` to line `lineIndex`. Returns
// the record number it was written to, or 0 when refused (after the message) or when the write
// failed (after reporting 0x0c02).
int addModule(int lineIndex, DeviceTypeCode type, const std::string& idText);

}  // namespace lumo
