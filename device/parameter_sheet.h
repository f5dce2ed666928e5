#pragma once
// The property sheets of the four device families as data: their pages, the controls on each
// page, the record field each control shows and sets, and when it is shown and enabled by the
// firmware's feature level. Filling the controls from a record and gathering a record from the
// controls happen here, so that a test drives a sheet without a window; the desktop builds its
// widgets from the same tables.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/records.h"

namespace lumo {

enum class ControlKind {
    Check,   // a check box: one bit
    List,    // a drop-down list: a bit group, the entry index is its value
    Radio,   // radio buttons: a bit group, the button index is its value
    Number,  // a field with a signed decimal number
    Time,    // a field with "HH:MM"
    Text,    // a field with text
    Label,   // a note, no field
};

// Where a control's value lives in the record.
enum class FieldKind { None, Bits, Byte, Int32, Time, Text };
struct FieldRef {
    FieldKind kind = FieldKind::None;
    std::size_t offset = 0;
    int shift = 0, width = 0;  // Bits: the bit group
};

inline constexpr int kNever = -1;

struct SheetControl {
    std::string name;   // the control's own name (object name in the desktop)
    std::string label;  // the caption; for a Number or Time field the label beside it
    ControlKind kind = ControlKind::Check;
    FieldRef field;
    std::vector<std::string> items;  // List and Radio entries
    int shownLevel = 0;    // set from the record when featureLevel >= this; kNever: never
    int enabledLevel = 0;  // enabled when featureLevel >= this; kNever: never
    int maxLength = 0;     // Text and Time: at most this many characters read
    bool clampToLast = false;  // a List shows values beyond its entries as the last entry
    FieldRef mirror;           // a second place the gathered value also goes to
    bool sameRow = false;      // shown beside the control before it (a relay's delay)
    std::string group;         // the caption of the frame it sits in; neighbours with one caption share it
};

struct SheetPage {
    std::string title;
    std::vector<SheetControl> controls;
};

struct SheetLayout {
    std::string titlePattern;  // "TQ300 - ID %d"
    std::vector<SheetPage> pages;
    // Bytes gathered whole: cleared first, so bits without a control end as 0.
    std::vector<std::size_t> builtBytes;
};

// The sheet of a type, or null for a type without one.
const SheetLayout* sheetLayout(DeviceTypeCode type);
std::string sheetTitle(const SheetLayout& layout, const ModuleRecord& record);

// What a control holds: the check or the selected entry (-1: none), the entries a list has
// been filled with, the field's text, and whether it is enabled.
struct ControlState {
    int selection = -1;
    std::vector<std::string> items;
    std::string text;
    bool enabled = true;
    bool operator==(const ControlState&) const = default;
};
using SheetStates = std::vector<std::vector<ControlState>>;  // [page][control]

// The controls as the pages are created: clear, empty, enabled.
SheetStates newSheetStates(const SheetLayout& layout);
// Sets every control from the record and enables it by the feature level (FillSheetPages).
void FillSheetPages(const SheetLayout& layout, const ModuleRecord& record, SheetStates& states);
// Builds the record's parameter area from the controls (GatherSheetPages).
void GatherSheetPages(const SheetLayout& layout, const SheetStates& states, ModuleRecord& record);
// A field whose text its record field cannot hold: where it is and why, in the sheet's words.
struct SheetFieldFault {
    std::size_t page = 0, control = 0;
    std::string text;  // "Stránka „Relé“, pole „Relé 1 – zpoždění (s)“: …"
};
// The first enabled number or time field that holds no value its field can take (a byte 0-255,
// the door time 0 or more, a time of day 00:00-23:59); none when all can be gathered as typed.
std::optional<SheetFieldFault> checkSheetPages(const SheetLayout& layout, const SheetStates& states);

// The record as its sheet, filled from it, would write it: the bytes the sheet builds whole
// rebuilt from its controls (the reported medium in deviceFlags, P1 of a LOQ3, B6-B8 at 0).
// For a write that does not come from the sheet (lumo-ctl params NAME=VALUE).
void GatherAsTheSheetDoes(ModuleRecord& record);

// The page "Obecné" beside its one control: what it shows of the module.
struct GeneralFacts {
    std::string typeName, moduleName, picture;
    std::string serialNumber, productionDate, version, idMedium;
};
GeneralFacts generalPageFacts(const ModuleRecord& record);

// A text field read as a signed decimal number; a field that holds no number reads as 0.
long fieldNumber(const std::string& text);

// Hexadecimal digits as a 32-bit value, most significant first; more than eight digits keep
// the last eight. The caller has checked the characters.
std::uint32_t HexTextToValue(const std::string& text);

}  // namespace lumo
