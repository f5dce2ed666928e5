#pragma once
// The error context of the register of issued serial numbers (its lock file around check and
// append). Bits 14-8 name the
// file in the report (base/error_report.h), bits 7-0 the place.

#include "base/error_report.h"

namespace lumo::err {

inline constexpr ErrorCode kRegisterLock = 0x1001;

}  // namespace lumo::err
