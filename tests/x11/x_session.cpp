#include "x11/x_session.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

extern char** environ;

namespace lumo::test {
namespace {

bool onPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        const std::size_t end = dirs.find(':', start);
        const std::string dir = dirs.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (::access((dir + "/" + program).c_str(), X_OK) == 0) return true;
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return false;
}

std::vector<std::string> environmentWithDisplay(const std::string& display) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        if (entry.rfind("DISPLAY=", 0) == 0 || entry.rfind("QT_QPA_PLATFORM=", 0) == 0) continue;
        env.push_back(entry);
    }
    if (!display.empty()) {
        env.push_back("DISPLAY=" + display);
        env.push_back("QT_QPA_PLATFORM=xcb");
    }
    return env;
}

int spawn(const std::vector<std::string>& argv, const std::string& display, int outFd, const std::string& logPath) {
    std::vector<std::string> args = argv, env = environmentWithDisplay(display);
    std::vector<char*> cargs, cenv;
    for (auto& a : args) cargs.push_back(a.data());
    cargs.push_back(nullptr);
    for (auto& e : env) cenv.push_back(e.data());
    cenv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (outFd >= 0) posix_spawn_file_actions_adddup2(&actions, outFd, 1);
    else posix_spawn_file_actions_addopen(&actions, 1, logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    pid_t pid = -1;
    const int rc = ::posix_spawnp(&pid, cargs[0], &actions, nullptr, cargs.data(), cenv.data());
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

}  // namespace

Child::Child(const std::vector<std::string>& argv, const std::string& display, const std::string& logPath)
    : pid_(spawn(argv, display, -1, logPath)) {}

Child::~Child() { stop(); }

bool Child::running() {
    if (pid_ < 0) return false;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return false;
    }
    return true;
}

bool Child::waitEnded(int ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (running()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

void Child::stop() {
    if (!running()) return;
    ::kill(pid_, SIGTERM);
    if (!waitEnded(2000)) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    pid_ = -1;
}

std::string XSession::missingTool() {
    for (const char* tool : {"Xvfb", "openbox", "xdotool", "import"}) {
        if (!onPath(tool)) return tool;
    }
    return {};
}

XSession::XSession() {
    if (!missingTool().empty()) return;
    // The server picks a free display and writes its number to the pipe when it is ready.
    int fds[2];
    if (::pipe(fds) != 0) return;
    Child server({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1024x768x24", "-nolisten", "tcp"}, "");
    ::close(fds[1]);
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    while (::poll(&p, 1, 10000) > 0) {
        char c;
        if (::read(fds[0], &c, 1) != 1 || c == '\n') break;
        number += c;
    }
    ::close(fds[0]);
    if (number.empty()) return;
    display_ = ":" + number;
    children_.push_back(std::move(server));
    children_.emplace_back(std::vector<std::string>{"openbox"}, display_);
    // The window manager owns the screen once it has set its supporting window.
    for (int i = 0; i < 100 && xdotool({"search", "--maxdepth", "1", "--class", "openbox"}).empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
}

XSession::~XSession() {
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) it->stop();
}

std::string XSession::xdotool(const std::vector<std::string>& args) const {
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    int out[2];
    if (::pipe(out) != 0) return {};
    const int pid = spawn(argv, display_, out[1], "/dev/null");
    ::close(out[1]);
    std::string text;
    char chunk[256];
    for (ssize_t n; (n = ::read(out[0], chunk, sizeof chunk)) > 0;) text.append(chunk, static_cast<std::size_t>(n));
    ::close(out[0]);
    int status = 0;
    if (pid > 0) ::waitpid(pid, &status, 0);
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? text : std::string();
}

std::string XSession::waitForWindow(const std::string& name, int ms) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < deadline) {
        std::string found = xdotool({"search", "--onlyvisible", "--name", "^" + name + "$"});
        if (!found.empty()) return found.substr(0, found.find('\n'));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return {};
}

bool XSession::screenshot(const std::string& pngPath) const {
    // ImageMagick reads the screen as it is shown (xwd -root gives black dialogs here).
    const std::string command = "import -display " + display_ + " -window root '" + pngPath + "'";
    return std::system(command.c_str()) == 0;
}

}  // namespace lumo::test
