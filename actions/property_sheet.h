#pragma once
// "Vlastnosti" of a module: the property sheet of its device family, without its window. The
// sheet edits a working copy of the module's record; "Obnova" reads the device into it,
// "Použít" stores it and writes the device, "Zavřít" asks before it drops a change. Its form
// (ui/property_sheet_form.h) shows the controls of `states` and hands them back before each
// button.

#include <string>

#include "device/parameter_sheet.h"
#include "model/records.h"

namespace lumo {

class PropertySheet {
public:
    // Opens the sheet of module `moduleNumber`: false when its type has no sheet (nothing is
    // said) or its record cannot be read (reported).
    bool open(int lineIndex, int moduleNumber);

    const SheetLayout& layout() const { return *layout_; }
    std::string title() const { return sheetTitle(*layout_, working_); }
    GeneralFacts facts() const { return generalPageFacts(working_); }
    const ModuleRecord& working() const { return working_; }
    const ModuleRecord& stored() const { return stored_; }

    // The controls of every page, as FillSheetPages left them or the user changed them.
    SheetStates states;

    // "Obnova": the device is read into the working copy and the pages filled again; changed
    // status flags are stored at once.
    void refresh();
    // "Použít": the pages gathered, the record stored, the device checked and written. The
    // sheet stays open. False when something failed (reported), or when a field holds a value
    // its byte cannot take (named; nothing stored or sent).
    bool apply();
    // "Zavřít": the pages gathered; a change asks whether to store it (nothing goes to the
    // device). Stay: the user cancelled, or storing failed (reported).
    enum class Closing { Stay, Unchanged, Stored };
    Closing close();
    // "Přejmenovat", OK: at most 15 characters of the new name; the pages gathered and filled
    // again.
    void rename(const std::string& name);

private:
    void setStored(const ModuleRecord& record);
    bool fieldsHold() const;

    const SheetLayout* layout_ = nullptr;
    int lineIndex_ = 0, moduleNumber_ = 0;
    ModuleRecord stored_, working_, storedAsGathered_;
};

// `lumo-ctl params` NAME=VALUE: the fields of the parameter area by their accessor names.
// Every field, in record order, as "NAME=VALUE".
std::string parameterListing(const ModuleRecord& record);
// Sets one field from "NAME=VALUE"; false with `error` for an unknown or read-only name or a
// value out of range.
bool setParameter(ModuleRecord& record, const std::string& assignment, std::string& error);
// The names of the fields a type's write sends (at its highest feature level), in record order;
// empty for a type whose write sends nothing.
std::vector<std::string> writtenParameterNames(DeviceTypeCode type);
// The field name of "NAME=VALUE".
std::string parameterName(const std::string& assignment);

// The sheet's "Použít" for a record edited elsewhere (`lumo-ctl params L/K NAME=VALUE`): stored,
// checked, written to the device. Result as base/action_result.h says.
int applyModuleParameters(int lineIndex, int moduleNumber, ModuleRecord& record);
// "Obnova" for a record outside a sheet (`lumo-ctl params L/K`): the device read into the
// module's record and the record stored.
int readModuleParametersIntoRecord(int lineIndex, int moduleNumber, ModuleRecord& record);
// Both for a caller whose thread holds the line already (actions/line_operation's
// runOnHeldLine): the same exchanges, texts and stores.
int applyModuleParametersOnHeldLine(int lineIndex, int moduleNumber, ModuleRecord& record);
int readModuleParametersIntoRecordOnHeldLine(int lineIndex, int moduleNumber, ModuleRecord& record);

}  // namespace lumo
