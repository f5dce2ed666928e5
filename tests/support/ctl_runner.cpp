#include "support/ctl_runner.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

extern char** environ;

namespace lumo::test {
namespace {
std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}
}  // namespace

CtlResult runCtl(const std::string& workdir, const std::string& args) {
    const std::string out = workdir + "/.ctl-out", err = workdir + "/.ctl-err";
    const std::string command = "cd '" + workdir + "' && '" LUMO_CTL_PATH "' " + args + " >'" + out + "' 2>'" + err +
                                "' </dev/null";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(out), slurp(err)};
}

CtlResult runCtlArgs(const std::string& workdir, const std::vector<std::string>& args) {
    static std::atomic<int> counter{0};
    const std::string stem = workdir + "/.ctl-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    const std::string out = stem + ".out", err = stem + ".err";
    std::vector<std::string> argv{LUMO_CTL_PATH, "-C", workdir};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> cargv;
    for (auto& a : argv) cargv.push_back(a.data());
    cargv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    const int rc = ::posix_spawn(&pid, cargv[0], &actions, nullptr, cargv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int raw = 0;
    if (rc == 0) ::waitpid(pid, &raw, 0);
    CtlResult result{rc == 0 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(out), slurp(err)};
    std::remove(out.c_str());
    std::remove(err.c_str());
    return result;
}

}  // namespace lumo::test
