#pragma once
// What the two line dialogs (a COM line's and a TCP line's) share: the record read on opening,
// the lengths of their text fields, and the TCP port field's rule.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

#include "model/records.h"
#include "ui/form_field.h"

namespace lumo {

inline constexpr std::size_t kLineIpLength = 17, kLineDescriptionLength = 15;

// The line's record; false after its read error was reported.
bool readLineForDialog(int lineIndex, LineRecord& line);

// The TCP port the field holds (1-65535: on port 0 a line never connects), or none after the
// refusal that names the field, with the field handed to `reselect`.
std::optional<std::int32_t> tcpPortField(const FormField& field,
                                         const std::function<void(const FormField&)>& reselect);

}  // namespace lumo
