#pragma once
// The operating system's last-error value of the calling thread: the error of the last OS call
// of the platform layer that failed (errno here, GetLastError on Windows). Error reports show it
// next to the program's own code; reporting clears it.

#include <cstdint>

namespace lumo::platform {

std::uint32_t lastSystemError();
void setLastSystemError(std::uint32_t value);

// True when the value says the program lacks the privilege for what it asked.
bool isPermissionDenied(std::uint32_t value);
// True when the value says a file that was to be new exists already.
bool isAlreadyExisting(std::uint32_t value);

}  // namespace lumo::platform
