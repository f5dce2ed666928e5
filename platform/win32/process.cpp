#include "platform/process.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <thread>

#include "platform/win32/command_line.h"
#include "platform/win32/windows_api.h"

#include <shellapi.h>
#include <tlhelp32.h>

namespace lumo::platform {

void exitWithParent() {
    // The parent's process id from the process list; a thread waits for that process to end.
    const DWORD self = ::GetCurrentProcessId();
    DWORD parent = 0;
    const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot != INVALID_HANDLE_VALUE) {
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = ::Process32FirstW(snapshot, &entry); more; more = ::Process32NextW(snapshot, &entry)) {
            if (entry.th32ProcessID == self) parent = entry.th32ParentProcessID;
        }
        ::CloseHandle(snapshot);
    }
    const HANDLE process = parent != 0 ? ::OpenProcess(SYNCHRONIZE, FALSE, parent) : nullptr;
    if (process == nullptr) return;
    std::thread([process] {
        ::WaitForSingleObject(process, INFINITE);
        ::ExitProcess(0);
    }).detach();
}

std::vector<std::string> commandLineArguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr) return {argv, argv + argc};
    std::vector<std::string> words;
    for (int i = 0; i < count; ++i) words.push_back(utf8Text(wide[i]));
    ::LocalFree(wide);
    return words;
}

void prepareStandardStreams() {
    ::SetConsoleOutputCP(CP_UTF8);
    ::SetConsoleCP(CP_UTF8);
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
    // A console takes the terminal escape sequences (the rows of progress redrawn in place).
    for (const DWORD which : {STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
        const HANDLE console = ::GetStdHandle(which);
        DWORD mode = 0;
        if (::GetConsoleMode(console, &mode)) ::SetConsoleMode(console, mode | 0x0004);  // virtual terminal processing
    }
}

bool startDetached(const std::string& program, const std::vector<std::string>& arguments) {
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::wstring line = commandLineOf(words);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    // No handles inherited and no console shared: the program lives on its own.
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr,
                          &startup, &info)) {
        recordWin32();
        return false;
    }
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    return true;
}

void lowerThreadPriority() { ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL); }

namespace {
void (*interruptHandler)() = nullptr;

BOOL WINAPI onConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    if (interruptHandler != nullptr) interruptHandler();
    ::SetConsoleCtrlHandler(onConsoleControl, FALSE);  // a second Ctrl-C ends the program
    return TRUE;
}
}  // namespace

void onInterrupt(void (*handler)()) {
    interruptHandler = handler;
    ::SetConsoleCtrlHandler(onConsoleControl, TRUE);
}

std::string textViewerProgram() {
    // The system's own notepad, not one a folder on the search path could put first.
    wchar_t folder[MAX_PATH] = L"";
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return "notepad.exe";
    return utf8Text(folder, static_cast<int>(length)) + "\\notepad.exe";
}

}  // namespace lumo::platform
