#pragma once
// "Nastavení času" as a form: the PC's clock shown every second ("Systém"), and the module's
// clock set to it or to the date, time and weekday typed into the "Nastavit" row.

#include <cstdint>
#include <functional>
#include <string>

#include "ui/form_field.h"

namespace lumo {

class ClockForm {
public:
    ClockForm();

    // Before the dialog shows: refused on a line, on a module that holds history records or
    // does not say (the refusal told); then the PC's clock. False: the dialog is not shown.
    bool open(int lineIndex, int moduleNumber);
    // The PC's clock into the "Systém" row: every second, until "Nastavit" sets the module's.
    void tick();

    // "Systémový čas": the "Nastavit" row is enabled while it is cleared, and starts from the
    // PC's values when it is cleared.
    void checkSystem(bool checked);
    // The text of `date` or `time` changed, whoever changed it: what the typing compares with.
    void changed(FormField& field, const std::string& text);
    // The user changed `date` or `time` to `text`: the text the field keeps. Two digits of the
    // first or second group bring their separator, a separator typed after one that came so is
    // dropped, a deletion stays. A whole date typed chooses its weekday (which can be changed).
    std::string typed(FormField& field, const std::string& text);
    // The user left `date` or `time`: a date or time is written out whole ("06.12.2026",
    // "14:30:00"); a value the clock cannot have puts its refusal into the status bar and the
    // focus back. Only the field refused, put right, clears that text.
    void left(FormField& field);

    // "Nastavit": a field that holds no date or time is refused in a box ("Upozornění") with the
    // focus back, and nothing is sent; otherwise the module's clock is set (setModuleClock).
    int pressSet();
    // "Zavřít": a refusal still in the status bar goes with the dialog.
    int pressClose();

    // The window's ways of showing the form at once (before a box or a wait on the module) and
    // of putting the focus back into a field, its text selected.
    std::function<void()> showNow;
    std::function<void(const FormField&)> reselect;

    FormField systemDate, systemTime, systemDay;  // read-only
    FormField date, time;
    FormChoice day;  // the weekdays, "Neděle" first
    bool system = true;

private:
    std::string& previousOf(const FormField& field);
    bool readDate(std::uint32_t& value);
    bool readTime(std::uint32_t& value);
    void leaving(const FormField& field, const std::string& refusal);
    int refuse(const FormField& field, const std::string& refusal);

    int lineIndex_ = 0, moduleNumber_ = 0;
    bool ticking_ = true;
    std::string datePrevious_, timePrevious_;
    const FormField* refusalShown_ = nullptr;  // the field whose refusal the status bar shows
    bool puttingBack_ = false;                 // the focus going back: no leaving of the user's
};

}  // namespace lumo
