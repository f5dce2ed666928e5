#include "platform/process.h"

#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/posix_error.h"

extern char** environ;

namespace lumo::platform {

void exitWithParent() {
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() == 1) ::_exit(0);  // the parent is already gone
}

std::vector<std::string> commandLineArguments(int argc, char** argv) { return {argv, argv + argc}; }

void prepareStandardStreams() {}

bool startDetached(const std::string& program, const std::vector<std::string>& arguments) {
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    // The child of a child: the started program is not left as a zombie of this process.
    const pid_t middle = ::fork();
    if (middle < 0) {
        recordErrno(errno);
        return false;
    }
    if (middle == 0) {
        ::setsid();
        pid_t child = 0;
        const int error = ::posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ);
        ::_exit(error == 0 ? 0 : 100 + (error & 0x7F));
    }
    int status = 0;
    while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        recordErrno(WIFEXITED(status) && WEXITSTATUS(status) >= 100 ? WEXITSTATUS(status) - 100 : ECHILD);
        return false;
    }
    return true;
}

void lowerThreadPriority() {
    // On Linux each thread has its own nice value: one step below its process's.
    const auto tid = static_cast<id_t>(::syscall(SYS_gettid));
    errno = 0;
    const int nice = ::getpriority(PRIO_PROCESS, tid);
    if (errno == 0) ::setpriority(PRIO_PROCESS, tid, nice + 1);
}

namespace {
void (*interruptHandler)() = nullptr;
extern "C" void onSigint(int) {
    if (interruptHandler != nullptr) interruptHandler();
    ::signal(SIGINT, SIG_DFL);  // a second Ctrl-C ends the program
}
}  // namespace

void onInterrupt(void (*handler)()) {
    interruptHandler = handler;
    struct sigaction action {};
    action.sa_handler = onSigint;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
}

std::string textViewerProgram() { return "xdg-open"; }

}  // namespace lumo::platform
