#include "platform/terminal.h"

#include "platform/win32/windows_api.h"

namespace lumo::platform {

bool isTerminal(StandardStream stream) {
    const DWORD which = stream == StandardStream::Input    ? STD_INPUT_HANDLE
                        : stream == StandardStream::Output ? STD_OUTPUT_HANDLE
                                                           : STD_ERROR_HANDLE;
    // A console answers GetConsoleMode; a pipe or a file does not.
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(which), &mode) != 0;
}

}  // namespace lumo::platform
