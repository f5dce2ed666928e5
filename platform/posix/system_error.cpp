#include "platform/system_error.h"

#include <cerrno>

#include "platform/posix/posix_error.h"

namespace lumo::platform {
namespace {
thread_local std::uint32_t lastError = 0;
}

std::uint32_t lastSystemError() { return lastError; }

void setLastSystemError(std::uint32_t value) { lastError = value; }

bool isPermissionDenied(std::uint32_t value) { return value == EPERM || value == EACCES; }
bool isAlreadyExisting(std::uint32_t value) { return value == EEXIST; }

void recordErrno(int value) { lastError = static_cast<std::uint32_t>(value); }

}  // namespace lumo::platform
