#pragma once
// "Inicializace modulu" as a form: the next free serial number proposed (today's date in UTC,
// the register's last sequence + 1), changed by typing or picked from the register, and written
// into the device by "Spustit inicializaci".

#include <array>
#include <functional>
#include <string>

#include "ui/form_field.h"

namespace lumo {

struct RegisterChoice;

class InitForm {
public:
    InitForm();

    // Before the dialog shows: the selected module's type (a line's head device's), or the
    // record's failure told and false. Then the proposal (a register that cannot be read told:
    // the date alone), and the note (cut to the field's length) and the ID medium that
    // "cmd.dat" remembers for the type.
    bool open(int lineIndex, int moduleNumber);

    // What `day`, `month`, `year` or `sequence` takes while it is typed: digits, a '+' before
    // them; a number over the field's largest only while it has no more digits than that.
    bool takes(const FormField& field, const std::string& text) const;
    // The user left a field: the serial number is made anew when the field holds a number of
    // its range (0-31, 0-12, 0-2099, 0-9999).
    void left(const FormField& field);
    // Another type chosen: the serial number and the media's labels follow it.
    void chooseType(int index);

    // "aktuální": today's proposal again, no number of the register's to be written again.
    void pressCurrent();
    // "Výběr >>": a number picked from the register (of the module's type, a line's: 0) is taken
    // into the fields, and may be written again.
    void pressPick();
    // "Spustit inicializaci": the serial number made from the fields; without a sequence nothing
    // happens. Otherwise the initialisation (initialiseModuleAction): done closes the dialog; a
    // failure says "Zápis nebyl úspěšný !" under the fields (a refusal or a No says nothing).
    int pressRun();
    int pressClose() { return 0; }

    // The window's ways of showing the form at once (before the initialisation waits on the
    // device) and of picking a row of the register of a type (1 and the row, or 0).
    std::function<void()> showNow;
    std::function<int(int typeCode, RegisterChoice& chosen)> chooseRegistered;

    FormField day, month, year, sequence;
    FormChoice type;    // "typ zařízení": the initialisation's list of types
    FormField serial;   // read-only: the number the fields make
    FormChoice medium;  // "typ ID / specifikace": four labels of the type's media, -1 before one is chosen
    bool clearMemory = false;
    FormField note{{}, true, false, 49};
    FormField outcome;  // under the fields: the failure of the last "Spustit inicializaci"

private:
    int largest(const FormField& field) const;
    bool propose();
    void recompute();

    int lineIndex_ = 0, moduleNumber_ = 0;
    int deviceType_ = 0, registerType_ = 0;
    int reissueSequence_ = 0;
};

}  // namespace lumo
