// The whole-installation commands of lumo-ctl against an installation of 16 simulated lines,
// each a bus of its own with 4 modules: lines 1-8 serial, each on a pseudo-terminal of its own
// (COM1-COM8), lines 9-16 TCP, each to a converter port of its own. Eight simulators, each with
// one serial bus and one converter. The modules are TQ300s (they keep a clock) for the check and
// the clock; for the download the records are turned to the bus's ZB20s (a memory image over
// either transport; a TQ300 behind a converter is serviced through the ICMP tunnel, which needs
// a network namespace). Every figure is a lumo-ctl process from start to end, as a technician
// runs it:
//   - the whole installation at once (`check --all`, `clock --all --system`, and
//     `download --all --type 9` of a small memory image where lumo-ctl has it);
//   - the same work one module at a time (`check L/K` for each of the 64 modules in turn ...);
//   - the slowest line alone (`... --all --lines L`: its 4 modules in turn), the slowest serial
//     and the slowest TCP line of the one-at-a-time run measured so.
// The goal: each whole-installation run within 1.1 x the time of its slowest line. The machine's
// load (1-minute average) is printed beside each operation's figures.
//
//   build/bench/installation_bench [ROUNDS] [DOWNLOAD_ROUNDS]
//
// ROUNDS (default 3) for the check and the clock; DOWNLOAD_ROUNDS (default 1) for the download,
// whose one-at-a-time run takes minutes (every module's restart into its loader waits 2 s). A
// lumo-ctl without `download --all` gets no download figures; given DOWNLOAD_ROUNDS, the
// one-at-a-time download is measured all the same.
// The simulators end with the benchmark (also on Ctrl-C), and its folder is removed.
#include <algorithm>
#include <array>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "support/ctl_runner.h"
#include "support/no_ports.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"

namespace {

using lumo::test::CtlResult;

constexpr int kLines = 16;
constexpr int kSerialLines = 8;  // lines 1-8; 9-16 are TCP
constexpr int kModulesPerLine = 4;
constexpr int kClockType = 4;     // TQ300, IDs 1-4 of every bus
constexpr int kDownloadType = 9;  // ZB20, IDs 5-8 of every bus
constexpr std::size_t kImageBytes = 512;

std::atomic<bool> interrupted{false};

extern "C" void onSignal(int) { interrupted = true; }

struct Interrupted : std::runtime_error {
    Interrupted() : std::runtime_error("interrupted") {}
};

std::string load() {
    std::ifstream in("/proc/loadavg");
    std::string oneMinute;
    in >> oneMinute;
    return oneMinute.empty() ? "?" : oneMinute;
}

std::string item(int line, int module) { return std::to_string(line) + "/" + std::to_string(module); }

class Installation {
public:
    Installation() {
        lumo::test::writeNoPorts(dir_.str());
        // One after the other: each writes its COM entry into comports.cfg.
        for (int s = 1; s <= kSerialLines; ++s) {
            std::vector<std::string> args = {"--pty", "--tcp", "0", "--comports", dir_.str(), "--com", std::to_string(s)};
            for (const char* transport : {"serial", "tcp"}) {
                for (int id = 1; id <= 2 * kModulesPerLine; ++id) {
                    const int type = id <= kModulesPerLine ? kClockType : kDownloadType;
                    args.push_back("--module");
                    args.push_back(std::string(transport) + " " + std::to_string(id) + " " + std::to_string(type));
                }
            }
            sims_.push_back(std::make_unique<lumo::test::SimProcess>(args, ""));
        }
        // The lines as a user makes them: serial ones on COM1-COM8, TCP ones to the converters.
        for (int line = 1; line <= kLines; ++line) {
            const bool serial = line <= kSerialLines;
            ctlOk({"line", "add", serial ? "general" : "tcp"});
            if (serial) {
                ctlOk({"line", "set", std::to_string(line), "--port", "COM" + std::to_string(line), "--speed", "19200"});
            } else {
                ctlOk({"line", "set", std::to_string(line), "--ip", "127.0.0.1", "--tcp-port",
                       std::to_string(sims_[static_cast<std::size_t>(line - kSerialLines - 1)]->tcpPort())});
            }
            for (int id = 1; id <= kModulesPerLine; ++id)
                ctlOk({"module", "add", std::to_string(line), "--type", std::to_string(kClockType), "--id", std::to_string(id)});
        }
        std::ofstream image(imagePath(), std::ios::binary);
        for (std::size_t i = 0; i < kImageBytes; ++i) image.put(static_cast<char>((i * 7 + i / 256) & 0xFF));
    }

    // Every module record turned to the bus's ZB20 of the same place (ID + 4).
    void useDownloadModules() {
        for (int line = 1; line <= kLines; ++line) {
            for (int m = 1; m <= kModulesPerLine; ++m) {
                ctlOk({"module", "type", item(line, m), std::to_string(kDownloadType)});
                ctlOk({"module", "id", item(line, m), std::to_string(m + kModulesPerLine)});
            }
        }
    }

    std::string imagePath() const { return dir_.str() + "/image.bin"; }

    CtlResult ctl(const std::vector<std::string>& args) {
        CtlResult r = lumo::test::runCtlArgs(dir_.str(), args);
        if (interrupted) throw Interrupted();
        return r;
    }

    void ctlOk(const std::vector<std::string>& args) {
        const CtlResult r = ctl(args);
        if (r.status != 0) throw std::runtime_error("lumo-ctl " + words(args) + " failed: " + r.err);
    }

    // One lumo-ctl run, in ms; it must succeed, and a whole-installation run must list `items`
    // items, every one of them "ok".
    double timed(const std::vector<std::string>& args, int items) {
        const auto start = lumo::platform::monotonicUs();
        const CtlResult r = ctl(args);
        const double ms = static_cast<double>(lumo::platform::monotonicUs() - start) / 1000.0;
        if (r.status != 0) throw std::runtime_error("lumo-ctl " + words(args) + " failed:\n" + r.out + r.err);
        if (items > 0) {
            int ok = 0;
            std::istringstream rows(r.out);
            for (std::string row; std::getline(rows, row);) {
                if (row.find("\tok\t") != std::string::npos) ++ok;
            }
            if (ok != items)
                throw std::runtime_error("lumo-ctl " + words(args) + ": " + std::to_string(ok) + " of " +
                                         std::to_string(items) + " items ok:\n" + r.out);
        }
        return ms;
    }

    static std::string words(const std::vector<std::string>& args) {
        std::string text;
        for (const std::string& a : args) text += (text.empty() ? "" : " ") + a;
        return text;
    }

private:
    lumo::test::TempDir dir_;
    std::vector<std::unique_ptr<lumo::test::SimProcess>> sims_;  // end before the folder goes
};

// An operation in its three forms.
struct Operation {
    const char* name;
    std::function<std::vector<std::string>()> whole;  // none: the one-at-a-time run alone
    std::function<std::vector<std::string>(int line, int module)> single;
    std::function<std::vector<std::string>(int line)> lineAlone;  // the whole run limited to one line
};

struct Stat {
    double sum = 0, worst = 0;
    int n = 0;
    void add(double ms) {
        sum += ms;
        worst = std::max(worst, ms);
        ++n;
    }
    double mean() const { return n > 0 ? sum / n : 0; }
};

void measure(Installation& installation, const Operation& op, int rounds) {
    const std::string loadBefore = load();
    Stat whole, oneByOne;
    std::array<Stat, kLines + 1> lineSum{};  // a line's 4 single commands, per round
    for (int r = 0; r < rounds; ++r) {
        if (op.whole) whole.add(installation.timed(op.whole(), kLines * kModulesPerLine));
        double total = 0;
        for (int line = 1; line <= kLines; ++line) {
            double lineMs = 0;
            for (int m = 1; m <= kModulesPerLine; ++m) lineMs += installation.timed(op.single(line, m), 0);
            lineSum[static_cast<std::size_t>(line)].add(lineMs);
            total += lineMs;
        }
        oneByOne.add(total);
    }
    // The slowest serial and the slowest TCP line of the one-at-a-time run, each alone.
    const auto slowestOf = [&](int first, int last) {
        int slowest = first;
        for (int line = first; line <= last; ++line) {
            if (lineSum[static_cast<std::size_t>(line)].mean() > lineSum[static_cast<std::size_t>(slowest)].mean())
                slowest = line;
        }
        return slowest;
    };
    int slowestLine = slowestOf(1, kLines);
    Stat slowestAlone;
    for (const int line : {slowestOf(1, kSerialLines), slowestOf(kSerialLines + 1, kLines)}) {
        if (!op.whole) break;
        Stat alone;
        for (int r = 0; r < rounds; ++r) alone.add(installation.timed(op.lineAlone(line), kModulesPerLine));
        if (alone.mean() > slowestAlone.mean()) {
            slowestAlone = alone;
            slowestLine = line;
        }
    }
    const Stat& slowestSum = lineSum[static_cast<std::size_t>(slowestLine)];
    const std::string loadAfter = load();

    std::printf("%s, %d round%s (load %s at the start, %s at the end)\n", op.name, rounds, rounds == 1 ? "" : "s",
                loadBefore.c_str(), loadAfter.c_str());
    if (op.whole)
        std::printf("  whole installation, 16 lines at once:          mean %9.1f ms, worst %9.1f ms\n", whole.mean(),
                    whole.worst);
    std::printf("  one module at a time, 64 commands:             mean %9.1f ms, worst %9.1f ms\n", oneByOne.mean(),
                oneByOne.worst);
    if (op.whole)
        std::printf("  slowest line alone (line %2d, --lines %2d):       mean %9.1f ms, worst %9.1f ms\n", slowestLine,
                    slowestLine, slowestAlone.mean(), slowestAlone.worst);
    std::printf("  slowest line as its 4 single commands (line %2d): mean %9.1f ms\n", slowestLine, slowestSum.mean());
    if (op.whole)
        std::printf("  whole / slowest line alone: %.2f (goal <= 1.10); one at a time / whole: %.1f x\n",
                    whole.mean() / slowestAlone.mean(), oneByOne.mean() / whole.mean());
    std::fflush(stdout);
}

// `download --all` is there when lumo-ctl's help names it.
bool downloadAllAvailable(Installation& installation) {
    const CtlResult help = installation.ctl({"--help"});
    return help.out.find("download --all") != std::string::npos;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const bool downloadRoundsGiven = argc > 2;
    const int downloadRounds = downloadRoundsGiven ? std::max(0, std::atoi(argv[2])) : 1;
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    try {
        Installation installation;
        std::printf("16 lines of 4 modules: lines 1-8 serial (pseudo-terminals COM1-COM8), 9-16 TCP "
                    "(a converter port each); machine load %s\n", load().c_str());
        const auto limited = [](std::vector<std::string> args, int line) {
            args.insert(args.begin() + 2, {"--lines", std::to_string(line)});  // after "COMMAND --all"
            return args;
        };
        const Operation check{
            "check",
            [] { return std::vector<std::string>{"check", "--all"}; },
            [](int line, int module) { return std::vector<std::string>{"check", item(line, module)}; },
            [&](int line) { return limited({"check", "--all"}, line); },
        };
        const Operation clock{
            "clock --system",
            [] { return std::vector<std::string>{"clock", "--all", "--system"}; },
            [](int line, int module) { return std::vector<std::string>{"clock", item(line, module), "--system"}; },
            [&](int line) { return limited({"clock", "--all", "--system"}, line); },
        };
        measure(installation, check, rounds);
        measure(installation, clock, rounds);

        // The download of a small memory image into every ZB20: `-y` answers its warning once for
        // the whole run. The command lines of `download --all` are these two.
        const std::string image = installation.imagePath();
        Operation download{
            "download of a 512-byte memory image (ZB20)",
            [&] { return std::vector<std::string>{"-y", "download", "--all", "--type", std::to_string(kDownloadType), image}; },
            [&](int line, int module) { return std::vector<std::string>{"download", item(line, module), image}; },
            [&](int line) {
                return std::vector<std::string>{"-y", "download", "--all", "--lines", std::to_string(line), "--type",
                                                std::to_string(kDownloadType), image};
            },
        };
        const bool downloadAll = downloadAllAvailable(installation);
        if (!downloadAll) std::printf("download: this lumo-ctl has no `download --all`, no whole-installation figures\n");
        if (downloadRounds == 0 || (!downloadAll && !downloadRoundsGiven)) {
            std::printf("download: not measured\n");
        } else {
            if (!downloadAll) download.whole = nullptr;
            installation.useDownloadModules();
            measure(installation, download, downloadRounds);
        }
    } catch (const Interrupted&) {
        std::fprintf(stderr, "installation_bench: interrupted\n");
        return 130;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "installation_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
