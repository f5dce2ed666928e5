#include "platform/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/posix_error.h"

extern char** environ;

namespace lumo::platform {

ChildProcess::~ChildProcess() {
    closeOutput();
    if (process_ > 0) terminate();
}

bool ChildProcess::start(const std::vector<std::string>& command, const std::string& workingDirectory,
                         const std::string& outputPath, const std::string& errorPath) {
    std::vector<std::string> words = command;
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    int pipeEnds[2] = {-1, -1};
    if (outputPath.empty() && ::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        recordErrno();
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (outputPath.empty())
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
    else
        posix_spawn_file_actions_addopen(&actions, 1, outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (!errorPath.empty())
        posix_spawn_file_actions_addopen(&actions, 2, errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (!workingDirectory.empty()) posix_spawn_file_actions_addchdir_np(&actions, workingDirectory.c_str());
    pid_t pid = -1;
    const int rc = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (pipeEnds[1] >= 0) ::close(pipeEnds[1]);
    if (rc != 0) {
        if (pipeEnds[0] >= 0) ::close(pipeEnds[0]);
        recordErrno(rc);
        return false;
    }
    process_ = pid;
    output_ = pipeEnds[0];
    return true;
}

bool ChildProcess::readOutput(std::string& text, int timeoutMs) {
    if (output_ < 0) return false;
    pollfd p{static_cast<int>(output_), POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0) return false;
    char chunk[512];
    const ssize_t n = ::read(static_cast<int>(output_), chunk, sizeof chunk);
    if (n <= 0) return false;
    text.append(chunk, static_cast<std::size_t>(n));
    return true;
}

void ChildProcess::closeOutput() {
    if (output_ >= 0) ::close(static_cast<int>(output_));
    output_ = -1;
}

int ChildProcess::wait() {
    if (process_ <= 0) return -1;
    int status = 0;
    while (::waitpid(static_cast<pid_t>(process_), &status, 0) < 0 && errno == EINTR) {
    }
    process_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool ChildProcess::interrupt() {
    return process_ > 0 && ::kill(static_cast<pid_t>(process_), SIGINT) == 0;
}

void ChildProcess::terminate() {
    if (process_ <= 0) return;
    ::kill(static_cast<pid_t>(process_), SIGTERM);
    wait();
}

}  // namespace lumo::platform
