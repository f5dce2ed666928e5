#include "support/ctl_runner.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

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

}  // namespace lumo::test
