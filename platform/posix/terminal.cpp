#include "platform/terminal.h"

#include <unistd.h>

namespace lumo::platform {

bool isTerminal(StandardStream stream) {
    const int fd = stream == StandardStream::Input ? 0 : stream == StandardStream::Output ? 1 : 2;
    return ::isatty(fd) == 1;
}

}  // namespace lumo::platform
