#include "platform/clock.h"

#include "platform/win32/windows_api.h"

namespace lumo::platform {

std::int64_t monotonicMs() { return static_cast<std::int64_t>(::GetTickCount64()); }

std::int64_t monotonicUs() {
    static const std::int64_t frequency = [] {
        LARGE_INTEGER f{};
        ::QueryPerformanceFrequency(&f);
        return static_cast<std::int64_t>(f.QuadPart);
    }();
    LARGE_INTEGER now{};
    ::QueryPerformanceCounter(&now);
    const std::int64_t ticks = now.QuadPart;
    return ticks / frequency * 1000000 + ticks % frequency * 1000000 / frequency;
}

LocalTime localTime() {
    SYSTEMTIME t{};
    ::GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wDayOfWeek};
}

LocalTime utcTime() {
    SYSTEMTIME t{};
    ::GetSystemTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wDayOfWeek};
}

void pause(int ms) {
    if (ms > 0) ::Sleep(static_cast<DWORD>(ms));
}

std::uint32_t processId() { return static_cast<std::uint32_t>(::GetCurrentProcessId()); }

}  // namespace lumo::platform
