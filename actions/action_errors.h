#pragma once
// The error contexts of the commands: the records each one reads or writes. Bits 14-8 name the
// file in the report (base/error_report.h), bits 7-0 the place.

#include "base/error_report.h"

namespace lumo::err {

inline constexpr ErrorCode kLineDialogRead = 0x8d02;
inline constexpr ErrorCode kTcpLineDialogRead = 0x8d03;
inline constexpr ErrorCode kSheetWrite = 0x0c01;
inline constexpr ErrorCode kAddModuleWrite = 0x0c02;
inline constexpr ErrorCode kAddLineTerminal = 0x0c03;
inline constexpr ErrorCode kChangeSettingWrite = 0x0c04;
inline constexpr ErrorCode kAddLineWrite = 0x0d02;
inline constexpr ErrorCode kTcpLineDialogSave = 0x0d04;
inline constexpr ErrorCode kTransferRecordRead = 0x0c0a;
inline constexpr ErrorCode kDownloadModuleRead = 0x0c0b;
inline constexpr ErrorCode kDownloadLineRead = 0x0c0c;
inline constexpr ErrorCode kUploadRead = 0x0c0d;
inline constexpr ErrorCode kDumpRead = 0x0c0e;

}  // namespace lumo::err
