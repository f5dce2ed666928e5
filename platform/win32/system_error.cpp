#include "platform/system_error.h"

#include "platform/win32/windows_api.h"

namespace lumo::platform {
namespace {
// GetLastError itself is overwritten by later calls of the C library and the system; the value
// of the platform call that failed is kept here until it is reported.
thread_local std::uint32_t lastError = 0;
}  // namespace

std::uint32_t lastSystemError() { return lastError; }

void setLastSystemError(std::uint32_t value) { lastError = value; }

bool isPermissionDenied(std::uint32_t value) {
    return value == ERROR_ACCESS_DENIED || value == ERROR_PRIVILEGE_NOT_HELD || value == WSAEACCES;
}

bool isAlreadyExisting(std::uint32_t value) { return value == ERROR_FILE_EXISTS || value == ERROR_ALREADY_EXISTS; }

void recordWin32(std::uint32_t value) { lastError = value; }

std::wstring wideText(const std::string& text) {
    if (text.empty()) return {};
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

std::string utf8Text(const wchar_t* text, int length) {
    if (text == nullptr || length == 0) return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), n, nullptr, nullptr);
    if (length < 0 && !out.empty() && out.back() == '\0') out.pop_back();
    return out;
}

}  // namespace lumo::platform
