#include "ui/counters_form.h"

#include <string_view>

#include "actions/device_actions.h"
#include "platform/system_error.h"
#include "ui/field_rules.h"

namespace lumo {
namespace {

// A counter's field takes eight digits; a longer value than its text's width is sent in full.
constexpr long long kCounterFieldMost = 99999999;
constexpr std::size_t kCounterFieldDigits = 8;

// "C1 - počet časových plánů:" is named "C1 - počet časových plánů".
std::string counterFieldName(const std::string& label) {
    std::string name = label;
    while (!name.empty() && (name.back() == ':' || name.back() == ' ')) name.pop_back();
    return name;
}

}  // namespace

bool CountersForm::open(int lineIndex, int moduleNumber) {
    lineIndex_ = lineIndex;
    moduleNumber_ = moduleNumber;
    platform::setLastSystemError(0);
    Counters read;
    if (!actionDone(readModuleCounters(lineIndex, moduleNumber, read))) return false;
    for (std::size_t c = 0; c < counters.size(); ++c) {
        labels[c] = counterLabels()[c];
        counters[c].enabled = read[c].has_value();
        counters[c].text = read[c] ? std::to_string(*read[c]) : std::string();
    }
    return true;
}

bool CountersForm::takes(const std::string& text) {
    std::string_view digits = text;
    if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
    if (digits.find_first_not_of("0123456789") != std::string_view::npos) return false;
    const std::size_t first = digits.find_first_not_of('0');  // leading zeros add nothing
    return first == std::string_view::npos || digits.size() - first <= kCounterFieldDigits;
}

int CountersForm::pressSet() {
    Counters changed;
    for (std::size_t c = 0; c < counters.size(); ++c) {
        const FormField& field = counters[c];
        if (!field.enabled) continue;
        const auto value = readNumberField(counterFieldName(labels[c]), field.text, 0, kCounterFieldMost);
        if (!value) {
            if (reselect) reselect(field);
            return kFormStaysOpen;
        }
        changed[c] = static_cast<long>(*value);
    }
    return actionDone(writeModuleCounters(lineIndex_, moduleNumber_, changed)) ? 1 : 0;
}

}  // namespace lumo
