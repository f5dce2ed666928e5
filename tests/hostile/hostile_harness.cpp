// The hostile world, kept as a harness: lumo-ctl against every kind of bad file it reads, every
// peer that misbehaves, and bad arguments per verb, each in a scratch folder of its own with
// lumo-sim behind its serial line. A case is held when the program ends in bounded time,
// without a crash, with a clear error (exit 1 or 2 with a message) or a plain result, reports no
// misbehaving device as a success, and leaves what it must not write as it was.
//
//   hostile_harness            the quick cases (seconds each): part of the test run
//   hostile_harness --all      the whole matrix: also 100 MB sparse files, slow and endless
//                              peers, TCP peers that close or reset, downloads and transfers
//
// Prints "held N of M" per family and every case not held; exit status 0 when all are held.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/sim_process.h"
#include "support/temp_dir.h"

extern char** environ;

namespace lumo::test {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;  // the exit status; -1 for a signal, -2 for a time-out
    std::string out, err;
    double seconds = 0;
};

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// lumo-ctl with `args` in `work`, killed after `limitSeconds`.
Outcome runCtl(const std::string& work, const std::vector<std::string>& args, double limitSeconds) {
    std::vector<std::string> command{LUMO_CTL_PATH, "-C", work};
    command.insert(command.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : command) argv.push_back(a.data());
    argv.push_back(nullptr);
    const std::string out = work + "/.harness.out", err = work + "/.harness.err";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, work.c_str());  // relative paths as a user types them
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    const auto start = std::chrono::steady_clock::now();
    Outcome o;
    if (posix_spawn(&pid, command[0].c_str(), &actions, nullptr, argv.data(), environ) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        o.err = "cannot start lumo-ctl";
        return o;
    }
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        o.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (done == pid) {
            o.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            break;
        }
        if (o.seconds > limitSeconds) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            o.status = -2;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    o.out = slurp(out);
    o.err = slurp(err);
    fs::remove(out);
    fs::remove(err);
    return o;
}

// What a path is, and its bytes when it is a small regular file: compared before and after.
std::string fingerprint(const fs::path& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) return "absent";
    if (S_ISLNK(st.st_mode)) {
        std::error_code ec;
        return "link to " + fs::read_symlink(path, ec).string();
    }
    if (S_ISDIR(st.st_mode)) return "folder";
    if (S_ISFIFO(st.st_mode)) return "fifo";
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) return "device";
    if (st.st_size > (1 << 20)) return "file of " + std::to_string(st.st_size) + " bytes, mode " + std::to_string(st.st_mode);
    return "file " + slurp(path) + " mode " + std::to_string(st.st_mode);
}

// Everything under the data folder: nothing may change there that the command does not own.
std::map<std::string, std::string> treeFingerprint(const fs::path& root) {
    std::map<std::string, std::string> tree;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(root, fs::directory_options::none, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().lexically_relative(root).string();
        if (name.rfind(".harness", 0) == 0 || name.find("wire.log") != std::string::npos) continue;
        std::error_code kind;
        const bool folder = fs::is_directory(it->symlink_status(kind));
        if (!folder) {
            it.disable_recursion_pending();
        } else {
            continue;
        }
        tree[name] = fingerprint(it->path());
    }
    return tree;
}

bool runningAsRoot() { return geteuid() == 0; }

// ---------------------------------------------------------------------------------------------
// The scratch installation: line 1 on COM3 (the simulator's bus) with a TQ300 at ID 5.

class Scratch {
public:
    // The installation is made once per bus and copied for every case.
    explicit Scratch(const std::string& pty) {
        static std::map<std::string, std::unique_ptr<TempDir>> templates;
        auto& made = templates[pty];
        if (!made) {
            made = std::make_unique<TempDir>();
            std::ofstream ports(made->str() + "/comports.cfg");
            for (int n = 1; n <= 8; ++n) ports << "COM" << n << "=" << (n == 3 ? pty : "/dev/lumo-no-port-" + std::to_string(n)) << "\n";
            ports.close();
            runCtl(made->str(), {"line", "add", "general"}, 30);
            runCtl(made->str(), {"line", "set", "1", "--port", "COM3"}, 30);
            runCtl(made->str(), {"module", "add", "1", "--type", "4", "--id", "5"}, 30);
        }
        fs::copy(made->path(), dir_.path(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    }
    Outcome ctl(const std::vector<std::string>& args, double limit = 30) { return runCtl(dir_.str(), args, limit); }
    std::string path(const std::string& name) const { return dir_.str() + "/" + name; }
    const fs::path& root() const { return dir_.path(); }

private:
    TempDir dir_;
};

// ---------------------------------------------------------------------------------------------
// Results.

struct Family {
    std::string name;
    int cases = 0;
    std::vector<std::string> notHeld;
};

void record(Family& family, const std::string& what, const std::string& why) {
    ++family.cases;
    if (!why.empty()) family.notHeld.push_back(what + ": " + why);
}

std::string describe(const Outcome& o) {
    std::string err = o.err.substr(0, 200);
    for (char& c : err)
        if (c == '\n') c = ' ';
    return "exit " + std::to_string(o.status) + " after " + std::to_string(static_cast<int>(o.seconds)) + " s, stderr '" + err + "'";
}

// The judgement every case shares: ended in time, no crash, a status from the convention, a
// message with every failure.
std::string basicFault(const Outcome& o, const std::set<int>& allowed) {
    if (o.status == -2) return "did not end in time (" + describe(o) + ")";
    if (o.status == -1) return "ended by a signal (" + describe(o) + ")";
    if (!allowed.count(o.status)) return "unexpected " + describe(o);
    if (o.status != 0 && o.err.empty()) return "failed without a word (" + describe(o) + ")";
    return {};
}

// ---------------------------------------------------------------------------------------------
// Files.

struct Variant {
    std::string name;
    bool quick;
    std::function<bool(const fs::path&)> plant;  // false: cannot be made here (skipped)
};

bool writeBytes(const fs::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << bytes;
    return static_cast<bool>(out);
}

std::vector<Variant> fileVariants() {
    using Plant = std::function<bool(const fs::path&)>;
    const auto bytes = [](std::string content) { return Plant([content](const fs::path& p) { return writeBytes(p, content); }); };
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary.push_back(static_cast<char>((i * 151 + 7) & 0xFF));
    std::string longLines;
    for (int i = 0; i < 20000; ++i) longLines += "COM7=/dev/ttyS10 S1130000000102030405060708090A0B0C0D0E0F74\n";
    return {
        {"empty", true, bytes("")},
        {"one byte", true, bytes("C")},
        {"binary", true, bytes(binary)},
        {"CR-only lines", true, bytes("COM3=x\rCOM4=y\rS1130000\r")},
        {"NUL-filled", true, bytes(std::string(4096, '\0'))},
        {"not UTF-8 nor 1250", true, bytes("\xff\xfe\x81\x98\x83\x88=\xc3\x28\n")},
        {"over-long", true, bytes(longLines)},
        {"a folder", true, Plant([](const fs::path& p) { return fs::create_directory(p); })},
        {"a FIFO", true, Plant([](const fs::path& p) { return mkfifo(p.c_str(), 0600) == 0; })},
        {"a symlink to nowhere", true, Plant([](const fs::path& p) { return symlink("/nonexistent/lumo", p.c_str()) == 0; })},
        {"a symlink loop", true, Plant([](const fs::path& p) { return symlink(p.filename().c_str(), p.c_str()) == 0; })},
        {"a symlink to a system file", true, Plant([](const fs::path& p) { return symlink("/etc/passwd", p.c_str()) == 0; })},
        {"a symlink to /dev/zero", true, Plant([](const fs::path& p) { return symlink("/dev/zero", p.c_str()) == 0; })},
        {"a device node", true, Plant([](const fs::path& p) { return mknod(p.c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0; })},
        {"unreadable", true,
         Plant([](const fs::path& p) { return !runningAsRoot() && writeBytes(p, "COM3=x\n") && chmod(p.c_str(), 0) == 0; })},
        {"100 MB sparse", false,
         Plant([](const fs::path& p) {
             const int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
             const bool ok = fd >= 0 && ftruncate(fd, 100LL << 20) == 0;
             if (fd >= 0) ::close(fd);
             return ok;
         })},
    };
}

struct FileCase {
    std::string file;                       // relative to the scratch folder
    std::vector<std::vector<std::string>> commands;
    bool commandWritesIt = false;           // the file is the command's own output
};

// A file that reads as a free record slot (empty, short, all zero) may be taken by an add.
bool readsAsFreeSlot(const std::string& variant) {
    return variant == "empty" || variant == "one byte" || variant == "NUL-filled";
}

void fileFamily(Family& family, const std::string& pty, bool all) {
    const std::vector<FileCase> files = {
        {"config.dat", {{"list"}, {"config", "show"}, {"config", "set", "--hex-editor", "/bin/true"}}},
        {"cmd.dat", {{"send", "1/1", "CAL"}, {"init", "1/1", "--sequence", "1"}}},
        {"comports.cfg", {{"send", "1/1", "CAL"}, {"usb", "clean", "--sysfs", "/nonexistent"}}},
        {"line1/line.cfg", {{"list"}, {"check", "1"}, {"module", "add", "1", "--type", "4", "--id", "6"}, {"line", "add", "general"}}},
        {"line1/terminal.dat", {{"list"}, {"report", "1/1"}, {"check", "1/1"}}},
        {"sn.dat", {{"register", "last", "4"}}},
        {"image.mot", {{"image", "check", "image.mot"}}},
        {"image.bin", {{"image", "check", "image.bin", "--segment"}}},
        {"data.txt", {{"transfer", "send", "1/1", "0", "data.txt"}}},
        {"dump.bin", {{"dump", "1/1", "C00", "4", "--write", "dump.bin"}}},
        {"trace.txt", {{"--trace", "trace.txt", "list"}}, true},
    };
    for (const FileCase& f : files) {
        for (const Variant& v : fileVariants()) {
            if (!v.quick && !all) continue;
            for (const auto& command : f.commands) {
                std::string what = f.file + " " + v.name + ": lumo-ctl";
                for (const auto& a : command) what += " " + a;
                Scratch s(pty);
                const fs::path target = s.root() / f.file;
                std::error_code ec;
                fs::remove(target, ec);
                fs::create_directories(target.parent_path(), ec);
                if (!v.plant(target)) continue;  // not possible here (as root: unreadable)
                const std::string before = fingerprint(target);
                auto tree = treeFingerprint(s.root());
                const Outcome o = s.ctl(command, 20);
                std::string why = basicFault(o, {0, 1, 2});
                const bool writes = f.commandWritesIt || (command[0] == "line" && readsAsFreeSlot(v.name)) ||
                                    (command[0] == "config" && command[1] == "set");
                if (why.empty() && !writes && fingerprint(target) != before) why = "the file was changed";
                // Settings over a file that could not be read: refused, or the values it could
                // not keep are named.
                // (A file of the whole record's length or more loads: its values are taken.)
                std::error_code sizeError;
                const bool loadsWhole = fs::is_regular_file(fs::symlink_status(target)) &&
                                        fs::file_size(target, sizeError) >= 1668;
                if (why.empty() && command[0] == "config" && command[1] == "set" && o.status == 0 && o.err.empty() &&
                    !loadsWhole)
                    why = "written over a file it could not read, without a word";
                // Nothing else may go: a failure or a refusal leaves the installation as it was.
                if (why.empty() && o.status != 0) {
                    auto after = treeFingerprint(s.root());
                    tree.erase(f.file);
                    after.erase(f.file);
                    for (const auto& [name, print] : tree) {
                        if (after.count(name) == 0) why = name + " is gone";
                        else if (after[name] != print && name.find("cmd.dat") == std::string::npos) why = name + " was changed";
                    }
                }
                record(family, what, why);
                // Undo what blocks removal of the scratch folder.
                chmod(target.c_str(), 0600);
            }
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Peers: the module at ID 5 misbehaves as the simulator's faults make it; a failure is never a
// success.

struct Peer {
    std::string fault;  // lumo-sim module options
    bool quick;
    bool answersWell;   // a slow but whole answer: success is right
};

struct PeerCommand {
    std::vector<std::string> args;
    bool quick;
    bool silentIsAVerdict = false;  // the check reports a missing module as its result
};

void peerFamily(Family& family, bool all) {
    const std::vector<Peer> peers = {
        {"silent", true, false},  {"garbage", true, false},    {"badcrc", true, false}, {"cut=1", true, false},
        {"calonly", true, false}, {"drop=1", false, false},    {"endless", false, false},
        {"slow=300", false, true}, {"trailing", true, true},
    };
    const std::vector<PeerCommand> commands = {
        {{"send", "1/1", "CAL"}, true},
        {{"check", "1/1"}, true, true},
        {{"counters", "1/1"}, true},
        {{"clock", "1/1", "--system"}, true},
        {{"params", "1/1"}, true},
        {{"params", "1/1", "paramP1=5"}, false},
        {{"transfer", "send", "1/1", "0", "data.txt"}, false},
        {{"transfer", "read", "1/1", "0", "read.txt"}, false},
        {{"reset", "1/1"}, false},
    };
    for (const Peer& peer : peers) {
        if (!peer.quick && !all) continue;
        TempDir simDir;
        SimProcess sim({"--pty", "--module", "serial 5 4 " + peer.fault}, "");
        for (const PeerCommand& c : commands) {
            if (!c.quick && !all) continue;
            std::string what = "module " + peer.fault + ": lumo-ctl";
            for (const auto& a : c.args) what += " " + a;
            Scratch s(sim.ptyPath());
            writeBytes(s.path("data.txt"), "AB\r\nCD\r\nEF\r\n");
            const Outcome o = s.ctl(c.args, 90);
            std::string why = basicFault(o, {0, 1});
            // What only sends cannot see a peer that does not answer; a CAL is answered right by
            // a peer that answers everything as CAL; the console says plainly that nothing came.
            const bool sendsOnly = c.args[0] == "reset" || c.args[0] == "clock" ||
                                   (c.args[0] == "transfer" && c.args[1] == "send" && peer.fault == "calonly");
            const bool calAnswered = peer.fault == "calonly" && (c.args[0] == "check" || c.args.back() == "CAL");
            const bool saidNothingCame = c.args[0] == "send" && o.out.find("žádná odpověď") != std::string::npos;
            if (why.empty() && o.status == 0 && !peer.answersWell && !sendsOnly && !calAnswered && !saidNothingCame) {
                const bool verdict = c.silentIsAVerdict && (o.out + o.err).find("pracuje správně") == std::string::npos;
                if (!verdict) why = "reported as done: " + describe(o) + " stdout '" + o.out.substr(0, 80) + "'";
            }
            record(family, what, why);
        }
    }
    // TCP peers that close at once or reset the connection.
    if (!all) return;
    for (const bool reset : {false, true}) {
        const int listener = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a);
        listen(listener, 8);
        socklen_t len = sizeof a;
        getsockname(listener, reinterpret_cast<sockaddr*>(&a), &len);
        std::atomic<bool> stop{false};
        std::thread acceptor([&] {
            while (!stop) {
                const int c = accept(listener, nullptr, nullptr);
                if (c < 0) break;
                if (reset) {
                    linger l{1, 0};
                    setsockopt(c, SOL_SOCKET, SO_LINGER, &l, sizeof l);
                }
                close(c);
            }
        });
        TempDir work;
        for (const auto& args : std::vector<std::vector<std::string>>{{"send", "1/1", "CAL"}, {"check", "1/1"}, {"params", "1/1"}}) {
            std::string what = std::string("a TCP peer that ") + (reset ? "resets" : "closes") + ": lumo-ctl";
            for (const auto& w : args) what += " " + w;
            Scratch s("/dev/null");
            s.ctl({"line", "add", "tcp"});
            s.ctl({"-y", "line", "set", "2", "--ip", "127.0.0.1", "--tcp-port", std::to_string(ntohs(a.sin_port))});
            s.ctl({"module", "add", "2", "--type", "4", "--id", "5"});
            std::vector<std::string> onTcp = args;
            onTcp[1] = args[1] == "1/1" ? "2/1" : args[1];
            const Outcome o = s.ctl(onTcp, 60);
            std::string why = basicFault(o, {0, 1});
            if (why.empty() && o.status == 0 && args[0] != "check") why = "reported as done: " + describe(o);
            record(family, what, why);
        }
        stop = true;
        shutdown(listener, SHUT_RDWR);
        close(listener);
        acceptor.join();
    }
}

// ---------------------------------------------------------------------------------------------
// Arguments: what the command line alone can judge is refused with exit 2 and its reason,
// before anything is read, written or sent.

void argumentFamily(Family& family, const std::string& pty, const std::string& wireLog) {
    const std::string longText(5000, 'x');
    const std::vector<std::vector<std::string>> bad = {
        {"report", "0"}, {"report", "17"}, {"report", "1/0"}, {"report", "x"}, {"report", "1/-1"}, {"report", longText},
        {"check", "-1"}, {"check", "1/33000000000"},
        {"send", "1/1", ""}, {"send", "1/1", std::string(200, 'C')},
        {"clock", "1/1", "--set", "31.02.2026 10:00:00 1"}, {"clock", "1/1", "--set", "x"}, {"clock", "1/1", "--set", "01.01.2026 25:00:00 1"},
        {"counters", "1/1", "C1=-1"}, {"counters", "1/1", "C9=1"}, {"counters", "1/1", "C1=abc"},
        {"params", "1/1", "paramP1=256"}, {"params", "1/1", "doorTime=-1"}, {"params", "1/1", "intervalFrom=25:00"},
        {"transfer", "send", "1/1", "fffffffff", "data.txt"}, {"transfer", "send", "1/1", "a", "data.txt"},
        {"transfer", "read", "1/1", "-1", "out.txt"},
        {"upload", "1/1", "sram", "10000", "10", "up.bin"}, {"upload", "1/1", "sram", "400", "ffffffff", "up.bin"},
        {"upload", "1/1", "sram", "400", "0", "up.bin"}, {"upload", "1/1", "nosuch", "up.bin"},
        {"dump", "1/1", "10000", "4"}, {"dump", "1/1", "C00", "0"}, {"dump", "1/1", "C00", "81"}, {"dump", "1/1", "zz", "4"},
        {"module", "add", "1", "--type", "4", "--id", "32"}, {"module", "add", "1", "--type", "4", "--id", "-1"},
        {"module", "add", "1", "--type", "4", "--id", "abc"}, {"module", "add", "1", "--type", "4", "--id", "1e1"},
        {"module", "add", "1", "--type", "999", "--id", "3"}, {"module", "id", "1/1", "32"}, {"module", "type", "1/1", "-4"},
        {"line", "add", "nosuch"}, {"line", "set", "1", "--ip", "300.1.1.1"}, {"line", "set", "1", "--ip", "abc"},
        {"line", "set", "1", "--ip", ""}, {"line", "set", "1", "--tcp-port", "0"}, {"line", "set", "1", "--tcp-port", "70000"},
        {"line", "set", "1", "--speed", "1200"}, {"line", "set", "1", "--port", "COM0"}, {"line", "set", "1", "--name", "k☺中"},
        {"line", "set", "1", "--name", longText},
        {"serial", "encode", "31.02.2026", "10", "1"}, {"serial", "encode", "01.01.2026", "10", "0"},
        {"serial", "encode", "01.01.2026", "300", "1"}, {"serial", "decode", "12345"}, {"serial", "decode", "abcdefghijkl"},
        {"register", "add", "999910100077"}, {"register", "add", "000000000000"}, {"register", "last", "x"},
        {"init", "1/1", "--sequence", "0"}, {"init", "1/1", "--sequence", "-5"}, {"init", "1/1", "--medium", "4"},
        {"init", "1/1", "--date", "31.02.2026"}, {"init", "1/1", "--note", "a;b"}, {"init", "1/1", "--note", "a\nb"},
        {"ip", "1", "300.1.1.1"}, {"search", "--mask", "255.0.255.0"}, {"search", "--quiet-ms", "-1"},
        {"remove", "1/x"}, {"toggle", "99"}, {"nosuch"}, {"download", "1/1"},
    };
    for (const auto& args : bad) {
        std::string what = "lumo-ctl";
        for (const auto& a : args) what += " " + (a.size() > 40 ? a.substr(0, 12) + "…(" + std::to_string(a.size()) + ")" : a);
        Scratch s(pty);
        writeBytes(s.path("data.txt"), "AB\r\nCD\r\nEF\r\n");
        const auto tree = treeFingerprint(s.root());
        fs::resize_file(wireLog, 0);
        const Outcome o = s.ctl(args, 20);
        std::string why = basicFault(o, {2});
        if (why.empty() && treeFingerprint(s.root()) != tree) why = "the installation was changed";
        if (why.empty() && fs::file_size(wireLog) != 0) why = "something was sent to the device";
        record(family, what, why);
    }
}

}  // namespace
}  // namespace lumo::test

int main(int argc, char** argv) {
    using namespace lumo::test;
    const bool all = argc > 1 && std::string(argv[1]) == "--all";
    signal(SIGPIPE, SIG_IGN);
    TempDir logs;
    const std::string wireLog = logs.str() + "/wire.log";
    std::vector<Family> families(3);
    families[0].name = "files", families[1].name = "peers", families[2].name = "arguments";
    {
        SimProcess sim({"--pty", "--module", "serial 5 4", "--module", "serial 7 2"}, wireLog);
        fileFamily(families[0], sim.ptyPath(), all);
        argumentFamily(families[2], sim.ptyPath(), wireLog);
    }
    peerFamily(families[1], all);
    bool allHeld = true;
    for (const Family& f : families) {
        std::cout << f.name << ": held " << f.cases - static_cast<int>(f.notHeld.size()) << " of " << f.cases << "\n";
        for (const std::string& n : f.notHeld) std::cout << "  not held: " << n << "\n";
        allHeld &= f.notHeld.empty();
    }
    return allHeld ? 0 : 1;
}
