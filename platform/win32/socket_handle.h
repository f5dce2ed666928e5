#pragma once
// Inside the Windows platform layer: sockets and handles kept in the `int` the interfaces hold.
// Windows keeps only the low 32 bits of a kernel handle significant, so that 32-bit and 64-bit
// programs can share them: truncating and sign-extending back is lossless.

#include <cstdint>

#include "platform/win32/windows_api.h"

namespace lumo::platform {

inline int socketToInt(SOCKET s) { return s == INVALID_SOCKET ? -1 : static_cast<int>(static_cast<std::intptr_t>(s)); }
inline SOCKET intToSocket(int fd) { return fd < 0 ? INVALID_SOCKET : static_cast<SOCKET>(static_cast<std::intptr_t>(fd)); }
inline int handleToInt(HANDLE h) { return static_cast<int>(reinterpret_cast<std::intptr_t>(h)); }
inline HANDLE intToHandle(int fd) { return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(fd)); }

// Starts the socket library once for the process; 0 or its error.
int startWinsock();
// A new socket that child processes do not inherit; -1 with the error recorded.
int newSocket(int type, int protocol);
// Waits until `fd` can be read (or written) before the deadline (monotonic ms): > 0 ready,
// 0 time-out, < 0 error.
int waitSocket(int fd, bool forWriting, std::int64_t deadline);
void recordSocketError();

}  // namespace lumo::platform
