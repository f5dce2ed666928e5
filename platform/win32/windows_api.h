#pragma once
// Inside the Windows platform layer: the system headers in the order they need, the text
// conversion for the wide-character calls, and the last-error value of a failed call.

// The system headers' macros (INVALID_HANDLE_VALUE, FD_SET, MAKEWORD) are written with C casts.
#pragma GCC diagnostic ignored "-Wold-style-cast"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <cstdint>
#include <string>

namespace lumo::platform {

// UTF-8 (every path and text of the program) to the system's UTF-16 and back.
std::wstring wideText(const std::string& text);
std::string utf8Text(const wchar_t* text, int length = -1);

// A failed call records the system's value (GetLastError, or WSAGetLastError for sockets).
void recordWin32(std::uint32_t value = ::GetLastError());

}  // namespace lumo::platform
