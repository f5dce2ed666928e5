#pragma once
// Error codes and their report. An operation that fails leaves a 32-bit code in the application
// state; its caller decides when to report it:
//   bits 31-16 operation, bit 15 fatal, bits 14-8 file context, bits 7-0 detail.

#include <cstdint>
#include <string>

#include "base/error_record.h"
#include "base/shared_types.h"

namespace lumo {

namespace err {
// Operations (set whole by the low-level call that failed).
inline constexpr ErrorCode kOpenForWrite = 0x01010000;
inline constexpr ErrorCode kOpenForRead = 0x01020000;
inline constexpr ErrorCode kOpenTemp = 0x01030000;
inline constexpr ErrorCode kWriteFile = 0x02010000;
inline constexpr ErrorCode kReadFile = 0x02020000;
inline constexpr ErrorCode kWritePort = 0x03010000;
inline constexpr ErrorCode kReadPort = 0x03020000;
inline constexpr ErrorCode kAllocation = 0x04ff0000;
inline constexpr ErrorCode kCommData = 0x05ff0000;
inline constexpr ErrorCode kBadDatabaseValue = 0x07ff0000;
inline constexpr ErrorCode kIntegrity = 0x08ff0000;
inline constexpr ErrorCode kFileStructure = 0x09ff0000;
inline constexpr ErrorCode kLibraryLoad = 0x0aff0000;
inline constexpr ErrorCode kOpenPort = 0x10010000;
inline constexpr ErrorCode kSocket = 0x10020000;
inline constexpr ErrorCode kBadIpAddress = 0x20010000;
inline constexpr ErrorCode kCannotOpenSocket = 0x20020000;
inline constexpr ErrorCode kCannotConnect = 0x20030000;
inline constexpr ErrorCode kArpTable = 0x20040000;
inline constexpr ErrorCode kNetAdapter = 0x20050000;
inline constexpr ErrorCode kRegistry = 0x30010000;
inline constexpr ErrorCode kSystem = 0xffff0000;

// The parts of a code.
inline constexpr ErrorCode kOperationMask = 0xffff0000;
inline constexpr ErrorCode kFatal = 0x8000;
inline constexpr ErrorCode kContextMask = 0x7f00;
inline constexpr ErrorCode kDetailMask = 0x00ff;
inline constexpr ErrorCode operationOf(ErrorCode code) { return code & kOperationMask; }
inline constexpr unsigned contextOf(ErrorCode code) { return (code & kContextMask) >> 8; }

// Caller contexts with detail: each layer declares its own (model/model_errors.h,
// serial/serial_errors.h, device/device_errors.h, actions/action_errors.h).
}  // namespace err

// The message a report shows for a code and a system last-error value.
std::string errorMessageText(ErrorCode code, std::uint32_t systemError);

// Shows an error record in a message box; a fatal code then closes the active window. Does
// nothing for an empty record.
void reportError(const ErrorRecord& record);
// Takes the calling thread's pending error (code and system error value) and reports it.
void reportError();

}  // namespace lumo
