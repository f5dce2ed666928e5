#pragma once
// Inside the POSIX platform layer: a failed OS call records its errno as the last-error value.

#include <cerrno>

namespace lumo::platform {

void recordErrno(int value = errno);

}  // namespace lumo::platform
