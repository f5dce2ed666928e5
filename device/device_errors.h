#pragma once
// The error contexts of the operations on one item: the device check and the status report. Bits 14-8 name the
// file in the report (base/error_report.h), bits 7-0 the place.

#include "base/error_report.h"

namespace lumo::err {

inline constexpr ErrorCode kCheckModuleRead = 0x0c05;
inline constexpr ErrorCode kCheckLineRead = 0x0c06;
inline constexpr ErrorCode kCheckWrite = 0x0c07;
inline constexpr ErrorCode kReportLineRead = 0x0d06;
inline constexpr ErrorCode kReportModuleRead = 0x0d07;

}  // namespace lumo::err
