#pragma once
// Runs lumo-ctl as a user would, from a working directory, and collects what it printed.

#include <string>
#include <vector>

namespace lumo::test {

struct CtlResult {
    int status;
    std::string out, err;
};

// `args` are shell words (blanks between, '...' and "..." quoting), run without a shell in
// `workdir`; standard input is empty.
CtlResult runCtl(const std::string& workdir, const std::string& args);

// The same without a shell: each argument is passed as it is (CR, LF, quotes and all). Safe to
// call from several processes at once.
CtlResult runCtlArgs(const std::string& workdir, const std::vector<std::string>& args);

}  // namespace lumo::test
