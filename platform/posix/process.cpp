#include "platform/process.h"

#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace lumo::platform {

void exitWithParent() {
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() == 1) ::_exit(0);  // the parent is already gone
}

}  // namespace lumo::platform
