// lumo-hw.exe: the Windows control panel.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "build_version.h"
#include "comm/wire_trace.h"
#include "ui/win32/panel.h"
#include "ui/win32/win32_text.h"

namespace {

// A program of the window subsystem has no console of its own: it writes to its standard output
// when that goes somewhere (a pipe, a file), else to the console of the program that started it.
void printText(const std::string& text) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if ((out == nullptr || out == INVALID_HANDLE_VALUE || GetFileType(out) == FILE_TYPE_UNKNOWN) &&
        AttachConsole(ATTACH_PARENT_PROCESS))
        out = CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    if (GetFileType(out) == FILE_TYPE_CHAR) {
        const std::wstring w = lumo::win32::wide(text);
        if (WriteConsoleW(out, w.c_str(), static_cast<DWORD>(w.size()), &written, nullptr)) return;
    }
    WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

std::vector<std::string> arguments() {
    int count = 0;
    LPWSTR* list = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i) out.push_back(lumo::win32::utf8(list[i]));
    LocalFree(list);
    return out;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int showMode) {
    const std::vector<std::string> args = arguments();
    std::string workdir;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if ((args[i] == "-C" || args[i] == "--workdir") && i + 1 < args.size()) {
            workdir = args[++i];
        } else if (args[i] == "--trace" && i + 1 < args.size()) {
            // Every frame on the lines goes to this file: what a technician sends when a device
            // misbehaves.
            if (!lumo::startWireTrace(args[++i])) {
                printText("lumo-hw: the trace file " + args[i] + " cannot be written\n");
                return 1;
            }
        } else if (args[i] == "--version") {
            printText(std::string("lumo-hw ") + LUMO_VERSION + " (" + LUMO_COMMIT + ")\n");
            return 0;
        } else if (args[i] == "--help") {
            printText("usage: lumo-hw [-C DIR] [--trace FILE] | lumo-hw --version\n"
                      "  -C DIR        working directory with config.dat\n"
                      "  --trace FILE  append every frame sent and received on the lines to FILE\n");
            return 0;
        }
    }
    return lumo::win32::runPanel(instance, workdir, showMode);
}
