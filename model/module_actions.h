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

namespace lumo {

enum class ChangeMode { Type = 0, IdAddress = 1 };

// The change-setting dialog's "Použít" for module record `moduleNumber`: the new type (a code of
// the module-type choices) or the new ID address (0-31, the entry chosen). 1 when saved and
// checked; 0 when refused, declined or a record could not be read or written (after its
// message or report).
int changeModuleSetting(int lineIndex, int moduleNumber, ChangeMode mode, int chosen);

}  // namespace lumo
