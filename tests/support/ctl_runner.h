#pragma once
// Runs lumo-ctl as a user would, from a working directory, and collects what it printed.

#include <string>

namespace lumo::test {

struct CtlResult {
    int status;
    std::string out, err;
};

// `args` are shell words; standard input is empty.
CtlResult runCtl(const std::string& workdir, const std::string& args);

}  // namespace lumo::test
