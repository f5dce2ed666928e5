#include "ui/line_fields.h"

#include "actions/action_errors.h"
#include "base/error_report.h"
#include "model/installation.h"
#include "platform/system_error.h"
#include "ui/field_rules.h"

namespace lumo {

bool readLineForDialog(int lineIndex, LineRecord& line) {
    platform::setLastSystemError(0);
    if (readLineRecord(lineIndex, line)) return true;
    combineError(err::kLineDialogRead);
    reportError();
    return false;
}

std::optional<std::int32_t> tcpPortField(const FormField& field,
                                         const std::function<void(const FormField&)>& reselect) {
    const auto value = readNumberField("TCP port", field.text, 1, 65535);
    if (!value) {
        if (reselect) reselect(field);
        return std::nullopt;
    }
    return static_cast<std::int32_t>(*value);
}

}  // namespace lumo
