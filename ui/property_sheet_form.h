#pragma once
// "Vlastnosti" of a module as a form: the pages of its family's sheet with the controls as
// values, the page "Obecné" with what it shows of the module, and "Obnova", "Použít", "Zavřít"
// and "Přejmenovat" over the sheet's working copy (PropertySheet).

#include <functional>
#include <string>
#include <vector>

#include "actions/property_sheet.h"
#include "ui/form_field.h"

namespace lumo {

// One control of a page: its row of the family's table (name, caption, kind, entries, place on
// the page) and what it shows. A check box, a list and radio buttons show `choice` (a check box
// is ticked at 1; a list's and the radio buttons' entry, -1: none); a number, time or text field
// shows `field`. A note shows neither. Each is enabled by the module's feature level.
struct SheetFormControl {
    const SheetControl* row = nullptr;
    FormChoice choice;
    FormField field;
};

struct SheetFormPage {
    std::string title;
    std::vector<SheetFormControl> controls;
};

class PropertySheetForm {
public:
    PropertySheetForm();

    // Before the sheet shows: the module's record read (a failure reported); a type without a
    // sheet says so ("Vlastnosti"). False: the sheet is not shown.
    bool open(int lineIndex, int moduleNumber);

    // What a text field takes as it is typed: no '*' (it would end the data piece on the wire)
    // and no control character; its length is the field's `maxLength`. Number and time fields
    // take anything: "Použít" and "Zavřít" name a value their byte cannot hold.
    static bool takes(const SheetFormControl& control, const std::string& text);

    // The buttons hand the controls to the sheet first, so that what the user changed goes
    // along, and show its controls again after. "Obnova" and "Použít" wait on the line: the
    // buttons and the pages are off meanwhile (shown at once), and a "Zavřít" asked for then
    // comes when the wait is over; they return what that close returns, else kFormStaysOpen.
    // "Obnova": the device read; what the read does not fill stays as the user left it.
    int pressRefresh();
    // "Použít": stored and written; a value a field cannot hold is named and nothing goes out.
    int pressApply();
    // "Zavřít" (and the window's close): after a change, "Změna nastavení" asks whether to store
    // it; Storno, or a store refused, keeps the sheet open. 1 when a record was stored while the
    // sheet was open, else 0.
    int pressClose();
    // "Přejmenovat": the new name asked for ("Přejmenování", at most 15 characters, starting
    // from the module's name); the pages keep their changes. The sheet stays open.
    int pressRename();

    // The window's ways of showing the form at once (before a wait on the line) and of asking
    // for the new name in `name`: true on OK.
    std::function<void()> showNow;
    std::function<bool(FormField& name)> askName;

    std::string title;
    std::vector<SheetFormPage> pages;
    // The page "Obecné": the type and the module's name, the family's drawing, and facts that
    // are only shown.
    std::string typeName, moduleName, picture;
    FormField serialNumber, productionDate, version, idMedium;
    FormField refresh, apply, close, rename;
    bool pagesEnabled = true;

private:
    template <class Operation>
    int waiting(Operation operation);
    void enable(bool enabled);
    void show();    // the sheet's controls and facts into the form
    void handOn();  // the form's controls into the sheet

    PropertySheet sheet_;
    bool busy_ = false, closeAsked_ = false;
    bool stored_ = false;
};

}  // namespace lumo
