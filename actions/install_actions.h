#pragma once
// The commands that describe the installation: add a line or a module, change a line's settings
// or a module's type or ID, remove, switch on or off, refresh. The panel's menu and dialogs and
// lumo-ctl call these and nothing below them. Results as base/action_result.h says.

#include <cstdint>
#include <optional>
#include <string>

#include "base/action_result.h"
#include "model/records.h"
#include "model/device_catalog.h"

namespace lumo {

// "Přidat linku", the add-line dialog's "Vložit": a line with the given head type (one of
// LineHeadTypes), then its device check and a tree rebuild. The new line number (1-16); 0 when
// the line table is full (after its message); -1 or -2 after reporting a failed write of
// "line.cfg" (0x0d02) or "terminal.dat" (0x0c03).
int addLine(DeviceTypeCode headType);

// A line made from a template (the searches' "Uložit"), checked and shown in the tree: its
// number; 0 when all 16 lines exist (createLine has said so); -1 when a file could not be
// written (reported with 0x0D03).
int createCheckedLine(const LineRecord& tmpl);

// The fields of the line dialog; unset ones keep the record's value.
struct LineSettings {
    std::optional<std::uint8_t> port;       // 0 = TCP, 1-8 = COM1-COM8
    std::optional<std::uint8_t> speed;      // 0 = 9600, 1 = 19200
    std::optional<bool> rs485;              // direction control 2, or 0 for RS232
    std::optional<std::uint8_t> parity;     // 0 none, 1 odd, 2 even
    std::optional<std::string> ipAddress;   // at most 17 characters
    std::optional<std::int32_t> tcpPort;
    std::optional<std::string> description; // at most 15 characters
    bool tcpLineDialog = false;             // from "Komunikační linka TCP": its own error contexts
};

// The line dialog's "Použít" (and `lumo-ctl line set`): takes the settings, switches the line
// on, verifies it by opening it (asking whether to keep settings that do not work), writes the
// record, then flags the line's ID conflicts afresh and rebuilds the tree. 1 when saved; 0 when
// the user declined; -1 when a record could not be read or written (reported).
int saveLineSettings(int lineIndex, const LineSettings& settings);

// The reader operation bytes a new module of the type starts with.
struct ReaderOperations {
    std::uint8_t reader1 = 0, reader2 = 0;
};
ReaderOperations defaultReaderOperations(DeviceTypeCode type);

// "Přidat modul", the add-module dialog's "Vložit": a module of `type` with the ID address typed
// as `idText` on line `lineIndex`, then its device check and a tree rebuild. The record number
// it was written to; 0 when refused (after the message); -1 when the write failed (after
// reporting 0x0c02).
int addModule(int lineIndex, DeviceTypeCode type, const std::string& idText);

enum class ChangeMode { Type = 0, IdAddress = 1 };

// "Změna typu" and "Změna ID" may only act on a module: for a line (moduleNumber 0) this shows
// "Nelze měnit komunikační linku !  " and returns false. The change-setting dialog asks before
// it opens; changeModuleSetting asks again.
bool changeSettingApplies(int moduleNumber);

// The change-setting dialog's "Použít" for module record `moduleNumber`: the new type (a code
// of the module-type choices) or the new ID address (0-31, the entry chosen), then the device
// check, the ID-conflict pass and a tree rebuild. 1 when saved and checked; 0 when refused or
// declined; -1 when a record could not be read or written or the check failed (reported).
int changeModuleSetting(int lineIndex, int moduleNumber, ChangeMode mode, int chosen);

// "Odebrat zařízení": asks "Opravdu odstarnit toto zařízení ? ", frees the slot of the module or
// of the line (a line's port is closed first; a line with modules is refused with its
// message) and rebuilds the tree on the line. Refused while a background job runs.
int removeItem(int lineIndex, int moduleNumber);

// "zapnout/vypnout zařízení": flips the switched-off flag; a module switched on again is
// checked (its neighbour-table row removed first). Rebuilds the tree on the item.
int toggleItem(int lineIndex, int moduleNumber);

// "Aktualizace seznamu": the line's ID-conflict flags afresh, then a tree rebuild on the line.
int refreshLine(int lineIndex);

// "Všechno" / "Pouze aktivní": the tree's filter, then a rebuild on the line.
void setActiveOnlyFilter(bool activeOnly, int lineIndex);

}  // namespace lumo
