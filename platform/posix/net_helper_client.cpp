// The caller's side of the privileged network helper: the helper is started for each request
// with an empty environment, its standard output one end of a socket pair; it answers one line
// ("ok", "refused WORD", "failed ERRNO") and, for an ICMP socket, the descriptor beside it.
#include "platform/posix/net_helper_client.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/clock.h"
#include "platform/posix/posix_error.h"

#ifndef LUMO_NET_HELPER_PATH
#define LUMO_NET_HELPER_PATH "/usr/libexec/lumo-panel/lumo-net-helper"
#endif

namespace lumo::platform {
namespace {

thread_local HelperOutcome outcome;

constexpr int kAnswerWaitMs = 10000;

HelperResult record(HelperResult result, int systemError = 0, std::string refusal = {}) {
    outcome.result = result;
    outcome.systemError = systemError;
    outcome.refusal = std::move(refusal);
    if (systemError != 0) recordErrno(systemError);
    return result;
}

class FileActions {
public:
    FileActions() { ::posix_spawn_file_actions_init(&actions_); }
    ~FileActions() { ::posix_spawn_file_actions_destroy(&actions_); }
    FileActions(const FileActions&) = delete;
    FileActions& operator=(const FileActions&) = delete;
    posix_spawn_file_actions_t* get() { return &actions_; }

private:
    posix_spawn_file_actions_t actions_{};
};

// Reads the answer line (at most `capacity` - 1 characters) and a descriptor sent with it.
bool readAnswer(int fd, char* line, std::size_t capacity, int* received) {
    std::size_t used = 0;
    const std::int64_t deadline = monotonicMs() + kAnswerWaitMs;
    // A signal for another of the program's children ends a wait early: the wait goes on.
    const auto answerWaits = [fd, deadline] {
        for (;;) {
            const std::int64_t left = deadline - monotonicMs();
            if (left <= 0) return false;
            pollfd p{fd, POLLIN, 0};
            const int ready = ::poll(&p, 1, static_cast<int>(left));
            if (ready > 0) return true;
            if (ready < 0 && errno != EINTR) return false;
        }
    };
    while (used + 1 < capacity) {
        if (!answerWaits()) {
            errno = ETIMEDOUT;
            return false;
        }
        iovec part{line + used, capacity - 1 - used};
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))];
        msghdr message{};
        message.msg_iov = &part;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        const ssize_t n = ::recvmsg(fd, &message, MSG_CMSG_CLOEXEC);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        for (cmsghdr* c = CMSG_FIRSTHDR(&message); c != nullptr; c = CMSG_NXTHDR(&message, c)) {
            if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_RIGHTS) continue;
            const std::size_t count = (c->cmsg_len - CMSG_LEN(0)) / sizeof(int);
            for (std::size_t i = 0; i < count; ++i) {
                int descriptor = -1;
                std::memcpy(&descriptor, CMSG_DATA(c) + i * sizeof(int), sizeof descriptor);
                if (received != nullptr && *received < 0) *received = descriptor;
                else ::close(descriptor);
            }
        }
        if (n == 0) break;
        used += static_cast<std::size_t>(n);
        if (std::memchr(line, '\n', used) != nullptr) break;
    }
    line[used] = '\0';
    if (char* end = std::strchr(line, '\n')) *end = '\0';
    return true;
}

}  // namespace

HelperOutcome lastHelperOutcome() { return outcome; }

void clearHelperOutcome() { outcome = HelperOutcome{}; }

std::string netHelperPath() {
    const char* chosen = std::getenv("LUMO_NET_HELPER");
    return chosen != nullptr && *chosen != '\0' ? chosen : LUMO_NET_HELPER_PATH;
}

HelperResult askNetHelper(const std::vector<std::string>& arguments, int* received) {
    if (received != nullptr) *received = -1;
    const std::string path = netHelperPath();
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return record(HelperResult::Missing, errno == ENOENT ? ENOENT : errno);

    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return record(HelperResult::Failed, errno);
    FileActions actions;
    ::posix_spawn_file_actions_addopen(actions.get(), 0, "/dev/null", O_RDONLY, 0);
    ::posix_spawn_file_actions_adddup2(actions.get(), ends[1], 1);
    ::posix_spawn_file_actions_addopen(actions.get(), 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    char* noEnvironment[] = {nullptr};
    pid_t child = -1;
    const int spawned = ::posix_spawn(&child, path.c_str(), actions.get(), nullptr, argv.data(), noEnvironment);
    ::close(ends[1]);
    if (spawned != 0) {
        ::close(ends[0]);
        if (spawned == EACCES || spawned == EPERM) return record(HelperResult::NotAdmitted, spawned);
        if (spawned == ENOENT) return record(HelperResult::Missing, spawned);
        return record(HelperResult::Failed, spawned);
    }
    char line[160];
    const bool answered = readAnswer(ends[0], line, sizeof line, received);
    const int readError = errno;
    ::close(ends[0]);
    if (!answered) ::kill(child, SIGKILL);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!answered) {
        if (received != nullptr && *received >= 0) {
            ::close(*received);
            *received = -1;
        }
        return record(HelperResult::Failed, readError);
    }

    const std::string answer = line;
    if (answer == "ok") {
        if (received != nullptr && *received < 0 && arguments.size() == 1 && arguments[0] == "icmp")
            return record(HelperResult::Failed, EPROTO);  // said yes, handed nothing
        return record(HelperResult::Done);
    }
    if (received != nullptr && *received >= 0) {
        ::close(*received);
        *received = -1;
    }
    if (answer.rfind("refused ", 0) == 0) {
        const std::string word = answer.substr(8);
        if (word == "group") return record(HelperResult::NotAdmitted, EACCES, word);
        return record(HelperResult::Refused, EPERM, word);
    }
    if (answer.rfind("failed ", 0) == 0) {
        const int error = std::atoi(answer.c_str() + 7);
        return record(HelperResult::Failed, error > 0 ? error : EPROTO);
    }
    return record(HelperResult::Failed, EPROTO);  // no answer of its language (it died, or is not the helper)
}

}  // namespace lumo::platform
