#include "platform/child_process.h"

#include "platform/clock.h"
#include "platform/win32/command_line.h"
#include "platform/win32/windows_api.h"

namespace lumo::platform {
namespace {

HANDLE toHandle(long long h) { return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(h)); }
long long fromHandle(HANDLE h) { return static_cast<long long>(reinterpret_cast<std::intptr_t>(h)); }

HANDLE inheritableFile(const std::string& path, bool write) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return ::CreateFileW(write ? wideText(path).c_str() : L"NUL", write ? GENERIC_WRITE : GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                         write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

ChildProcess::~ChildProcess() {
    closeOutput();
    if (process_ >= 0) terminate();
}

bool ChildProcess::start(const std::vector<std::string>& command, const std::string& workingDirectory,
                         const std::string& outputPath, const std::string& errorPath) {
    HANDLE input = inheritableFile("", false);
    HANDLE output = INVALID_HANDLE_VALUE, error = INVALID_HANDLE_VALUE, reading = nullptr;
    if (outputPath.empty()) {
        SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        if (!::CreatePipe(&reading, &output, &inherit, 0)) output = INVALID_HANDLE_VALUE;
        if (reading != nullptr) ::SetHandleInformation(reading, HANDLE_FLAG_INHERIT, 0);
    } else {
        output = inheritableFile(outputPath, true);
    }
    if (!errorPath.empty()) error = inheritableFile(errorPath, true);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = errorPath.empty() ? ::GetStdHandle(STD_ERROR_HANDLE) : error;
    std::wstring line = commandLineOf(command);
    const std::wstring folder = wideText(workingDirectory);
    PROCESS_INFORMATION info{};
    const bool ok = input != INVALID_HANDLE_VALUE && output != INVALID_HANDLE_VALUE &&
                    (errorPath.empty() || error != INVALID_HANDLE_VALUE) &&
                    ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                     folder.empty() ? nullptr : folder.c_str(), &startup, &info);
    if (!ok) recordWin32();
    for (HANDLE h : {input, output, error}) {
        if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
    }
    if (!ok) {
        if (reading != nullptr) ::CloseHandle(reading);
        return false;
    }
    ::CloseHandle(info.hThread);
    process_ = fromHandle(info.hProcess);
    output_ = reading != nullptr ? fromHandle(reading) : -1;
    return true;
}

bool ChildProcess::readOutput(std::string& text, int timeoutMs) {
    if (output_ < 0) return false;
    // An anonymous pipe cannot be waited on: it is looked at every few milliseconds.
    const std::int64_t deadline = monotonicMs() + timeoutMs;
    for (;;) {
        DWORD available = 0;
        if (!::PeekNamedPipe(toHandle(output_), nullptr, 0, nullptr, &available, nullptr)) return false;
        if (available > 0) break;
        if (monotonicMs() >= deadline) return false;
        ::Sleep(5);
    }
    char chunk[512];
    DWORD got = 0;
    if (!::ReadFile(toHandle(output_), chunk, sizeof chunk, &got, nullptr) || got == 0) return false;
    text.append(chunk, got);
    return true;
}

void ChildProcess::closeOutput() {
    if (output_ >= 0) ::CloseHandle(toHandle(output_));
    output_ = -1;
}

int ChildProcess::wait() {
    if (process_ < 0) return -1;
    ::WaitForSingleObject(toHandle(process_), INFINITE);
    DWORD code = 0;
    const bool known = ::GetExitCodeProcess(toHandle(process_), &code) != 0;
    ::CloseHandle(toHandle(process_));
    process_ = -1;
    return known ? static_cast<int>(code) : -1;
}

bool ChildProcess::interrupt() { return false; }

void ChildProcess::terminate() {
    if (process_ < 0) return;
    ::TerminateProcess(toHandle(process_), 1);
    wait();
}

}  // namespace lumo::platform
