#pragma once
// The error contexts of the installation files: the configuration, the command file, the
// line records and the removal of items. Bits 14-8 name the
// file in the report (base/error_report.h), bits 7-0 the place.

#include "base/error_report.h"

namespace lumo::err {

inline constexpr ErrorCode kConfigRead = 0x8101;
inline constexpr ErrorCode kConfigWrite = 0x8102;
inline constexpr ErrorCode kCommandFileRead = 0x8103;
inline constexpr ErrorCode kCommandFileWrite = 0x8104;
inline constexpr ErrorCode kRemoveRead = 0x0c08;
inline constexpr ErrorCode kRemoveWrite = 0x0c09;
inline constexpr ErrorCode kLineDialogSave = 0x0d01;

}  // namespace lumo::err
