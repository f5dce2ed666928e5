#include "support/ctl_runner.h"

#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/child_process.h"
#include "platform/clock.h"

namespace lumo::test {
namespace {
std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

CtlResult run(const std::string& workdir, std::vector<std::string> command, const std::string& stem) {
    const std::string out = stem + ".out", err = stem + ".err";
    command.insert(command.begin(), LUMO_CTL_PATH);
    platform::ChildProcess ctl;
    const bool started = ctl.start(command, workdir, out, err);
    CtlResult result{started ? ctl.wait() : -1, slurp(out), slurp(err)};
    std::remove(out.c_str());
    std::remove(err.c_str());
    return result;
}

std::string uniqueStem(const std::string& workdir) {
    static std::atomic<int> counter{0};
    return workdir + "/.ctl-" + std::to_string(platform::processId()) + "-" + std::to_string(counter++);
}
// Words as a POSIX shell parts them: blanks between, '...' taken literally, "..." with \" and
// \\ inside, quoted and plain pieces of one word joined.
std::vector<std::string> shellWords(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ' ' || c == '\t') {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else if (c == '\'') {
            inWord = true;
            while (++i < text.size() && text[i] != '\'') word.push_back(text[i]);
        } else if (c == '"') {
            inWord = true;
            while (++i < text.size() && text[i] != '"') {
                if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == '"' || text[i + 1] == '\\')) ++i;
                word.push_back(text[i]);
            }
        } else {
            inWord = true;
            word.push_back(c);
        }
    }
    if (inWord) words.push_back(word);
    return words;
}

}  // namespace

CtlResult runCtl(const std::string& workdir, const std::string& args) {
    return run(workdir, shellWords(args), uniqueStem(workdir));
}

CtlResult runCtlArgs(const std::string& workdir, const std::vector<std::string>& args) {
    std::vector<std::string> command{"-C", workdir};
    command.insert(command.end(), args.begin(), args.end());
    return run(workdir, command, uniqueStem(workdir));
}

}  // namespace lumo::test
