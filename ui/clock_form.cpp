#include "ui/clock_form.h"

#include <cstdint>

#include "actions/device_actions.h"
#include "base/ui_port.h"
#include "device/clock_setting.h"
#include "platform/clock.h"
#include "platform/system_error.h"
#include "ui/field_rules.h"

namespace lumo {

ClockForm::ClockForm() {
    for (FormField* f : {&systemDate, &systemTime, &systemDay}) f->readOnly = true;
    for (int i = 0; i < 7; ++i) day.items.push_back(weekdayName(i));
    date.enabled = time.enabled = day.enabled = false;
}

bool ClockForm::open(int lineIndex, int moduleNumber) {
    lineIndex_ = lineIndex;
    moduleNumber_ = moduleNumber;
    platform::setLastSystemError(0);
    if (!actionDone(clockSettingApplies(lineIndex, moduleNumber))) return false;
    tick();
    return true;
}

void ClockForm::tick() {
    if (!ticking_) return;
    const platform::LocalTime now = platform::localTime();
    systemDate.text = DateFieldShow(packClockDate(now.day, now.month, now.year));
    systemTime.text = TimeFieldShow(packClockTime(now.hour, now.minute, now.second));
    systemDay.text = weekdayName(now.weekday);
}

void ClockForm::checkSystem(bool checked) {
    system = checked;
    date.enabled = time.enabled = day.enabled = !checked;
    if (checked) return;
    changed(date, systemDate.text);
    changed(time, systemTime.text);
    day.chosen = -1;
    for (std::size_t i = 0; i < day.items.size(); ++i)
        if (day.items[i] == systemDay.text) day.chosen = static_cast<int>(i);
}

std::string& ClockForm::previousOf(const FormField& field) { return &field == &date ? datePrevious_ : timePrevious_; }

void ClockForm::changed(FormField& field, const std::string& text) {
    if (text == field.text) return;
    previousOf(field) = std::move(field.text);
    field.text = text;
}

std::string ClockForm::typed(FormField& field, const std::string& text) {
    // The text before the user's change: the field's, unless the change has reached it already.
    const std::string before = field.text == text ? previousOf(field) : field.text;
    const bool isDate = &field == &date;
    std::string kept = isDate ? DateFieldTyping(text, before) : TimeFieldTyping(text, before);
    changed(field, kept);
    std::string whole = kept;
    std::uint32_t value = kNoDate;
    if (isDate && whole.size() >= 8 && DateFieldRead(whole, value) && value != kNoDate) {
        if (const int weekday = weekdayOfDate(value); weekday >= 0) day.chosen = weekday;
    }
    return kept;
}

bool ClockForm::readDate(std::uint32_t& value) {
    std::string text = date.text;
    value = kNoDate;
    if (!DateFieldRead(text, value) || value == kNoDate) return false;
    changed(date, text);
    return true;
}

bool ClockForm::readTime(std::uint32_t& value) {
    std::string text = time.text;
    if (!TimeFieldRead(text, value) || value == kNoTime) return false;
    changed(time, text);
    return true;
}

void ClockForm::left(FormField& field) {
    std::uint32_t value = 0;
    if (&field == &date) {
        if (date.text.empty() || readDate(value)) leaving(date, {});
        else leaving(date, dateFieldRefusal(date.text));
    } else {
        if (time.text.empty() || readTime(value)) leaving(time, {});
        else leaving(time, timeFieldRefusal(time.text));
    }
}

void ClockForm::leaving(const FormField& field, const std::string& refusal) {
    if (!field.enabled || puttingBack_) return;
    if (!refusal.empty()) {
        uiStatus(refusal);
        refusalShown_ = &field;
        puttingBack_ = true;
        if (reselect) reselect(field);
        puttingBack_ = false;
    } else if (refusalShown_ == &field) {
        uiStatus("");
        refusalShown_ = nullptr;
    }
}

int ClockForm::refuse(const FormField& field, const std::string& refusal) {
    if (showNow) showNow();
    uiMessage("Upozornění", refusal, MessageIcon::Error);
    if (reselect) reselect(field);
    return kFormStaysOpen;
}

int ClockForm::pressSet() {
    ClockChoice choice;
    choice.system = system;
    if (!choice.system) {
        if (!readDate(choice.date)) return refuse(date, dateFieldRefusal(date.text));
        if (!readTime(choice.time)) return refuse(time, timeFieldRefusal(time.text));
        choice.weekday = day.chosen;
    }
    ticking_ = false;
    refusalShown_ = nullptr;  // the set puts its own outcome into the status bar
    if (showNow) showNow();
    return actionDone(setModuleClock(lineIndex_, moduleNumber_, choice)) ? 1 : 0;
}

int ClockForm::pressClose() {
    ticking_ = false;
    if (refusalShown_ != nullptr) uiStatus("");
    return 1;
}

}  // namespace lumo
