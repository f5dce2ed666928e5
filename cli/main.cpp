// lumo-ctl: the command-line front end over the panel's core operations.
#include <iostream>
#include <string>
#include <vector>

#include "base/app_state.h"
#include "base/error_report.h"
#include "build_version.h"
#include "app/startup.h"
#include "cli/cli_args.h"
#include "cli/cli_ui_port.h"
#include "comm/line_lease.h"
#include "cli/commands.h"
#include "comm/line_port.h"
#include "comm/wire_trace.h"
#include "platform/process.h"
#include "service/jobs.h"
#include "platform/file_io.h"
#include "platform/system_error.h"

namespace {

const char kUsageText[] =
    "usage: lumo-ctl [-C DIR] [-y|-n] [-v] COMMAND ...   |   lumo-ctl --version\n"
    "  -C, --workdir DIR  working directory (config.dat, cmd.dat, comports.cfg); default: current\n"
    "  -y, --yes          answer Yes to every question\n"
    "  -n, --no           answer No to every question\n"
    "  -v, --verbose      also print status-bar texts to stderr\n"
    "  --trace FILE       append every frame sent and received to FILE (time, line, direction, bytes)\n"
    "commands:\n"
    "  config show\n"
    "  config set [--data-dir DIR] [--hex-editor PATH] [--adapter ADDRESS|none]\n"
    "  list\n"
    "  report L | L/K\n"
    "  scan\n"
    "  line add general|tcp|usb|dv3x|ydv3x|0|11|12|13|16\n"
    "  line set L [--port COMn|TCP] [--speed 9600|19200] [--rs232|--rs485] [--parity none|odd|even]\n"
    "             [--ip ADDRESS] [--tcp-port N] [--name TEXT]\n"
    "  send L/K 'INSTR [SUB [DATA]]'\n"
    "  check L | L/K\n"
    "  clock L/K [--set 'DD.MM.YYYY HH:MM:SS W' | --system]   (W: weekday, 0 = Sunday)\n"
    "  check --all [--lines 1,3-5] [--max-lines N]\n"
    "  clock --all --system|--set 'DD.MM.YYYY HH:MM:SS W' [--lines 1,3-5] [--max-lines N]\n"
    "                     every module of the installation (or of the lines given), the lines at\n"
    "                     once (N at most), lines on one port in turn; progress per line, then a\n"
    "                     table of every item (item, ID, type, result, message); Ctrl-C ends each\n"
    "                     line's current module and starts no further one\n"
    "  params --all --type CODE NAME=VALUE ... [--lines 1,3-5] [--max-lines N]\n"
    "                     every module of that type, as params L/K NAME=VALUE does it, the lines\n"
    "                     at once; the table lists only modules of the type\n"
    "  download --all --type CODE FILE [--old-hardware] [--lines 1,3-5] [--max-lines N]   needs -y\n"
    "                     every module of that type, each as download L/K FILE does it, the lines\n"
    "                     at once; the image checked and the warning answered once, before any\n"
    "                     line starts; a network device without its own MAC address in its line\n"
    "                     record is skipped; a device stopped by Ctrl-C stays in its loader\n"
    "  counters L/K [C1=N ...]\n"
    "  params L/K         read the device's parameters into the record and print them NAME=VALUE\n"
    "  params L/K NAME=VALUE ...   read the device, change those, store the record, write the device\n"
    "  params L/K --from-record    print the stored record; the device is not asked\n"
    "  test L/K           the communication test, one line a cycle, until Ctrl-C\n"
    "  transfer send|read L/K SUB FILE   a file of records sent with DLL $SUB, or read with RDI\n"
    "  probe HOST         one ICMP echo request: does the host answer?\n"
    "  download L[/K] FILE [--old-hardware]   firmware: S-record (flash loader) or memory image\n"
    "  restart L[/K]      Restart TCP zařízení: the UDP restart, then the program started\n"
    "  reset L/K          Reset aplikace: CMD 0 RST0 to the module\n"
    "  image check FILE [--segment]   the whole-file check and what a download would send\n"
    "  upload L/K SEGMENT [START SIZE] FILE   memory into a file (START, SIZE hexadecimal; the\n"
    "                     segment's defaults without them); SEGMENT: ex_ram, ex_ram1, sram, csiop,\n"
    "                     fs0-fs7\n"
    "  dump L/K START SIZE [--segment NAME] [--write FILE]   at most 128 bytes printed in\n"
    "                     hexadecimal; with --write, FILE's first SIZE bytes written back\n"
    "  init L[/K] [--sequence N] [--date DD.MM.YYYY] [--medium 0-3] [--clear-memory] [--note TEXT]\n"
    "                     the serial number (the register's next free one without --sequence)\n"
    "                     written into the device and the register; prints it\n"
    "  search [--mask 255.255.0.0] [--save] [--quiet-ms MS]   the network device servers that answer\n"
    "                     the search (newest first: type, serial, MAC, IP, doubles marked); --save\n"
    "                     makes lines of them in the order they answered\n"
    "  ip L NEW_ADDRESS   the line's device server gets a new address (IP-SETUP naming its MAC);\n"
    "                     refused when the address already answers; the line keeps its own\n"
    "  telnet L           the line's device server's configuration console (port 9999): what comes\n"
    "                     is shown, what is typed goes a line at a time, every option refused\n"
    "  usb list|save|clean [--sysfs ROOT]   the USB bridges (10C4/EA60) present: listed (type,\n"
    "                     serial number, VID/PID, COM, device), saved as lines, or the\n"
    "                     comports.cfg entries of bridges no longer present removed\n"
    "  serial encode DD.MM.YYYY TYPE SEQUENCE | serial decode NUMBER\n"
    "  register last TYPE | register list TYPE | register add NUMBER [--note TEXT] [--medium 0-3]\n"
    "  module add L --type CODE --id ID\n"
    "  module type L/K CODE | module id L/K ID\n"
    "  remove L | L/K\n"
    "  toggle L | L/K\n"
    "L is a line number 1-16; L/K is module record K of line L, as `list` prints it.\n"
    "Exit status: 0 done, 1 failed or refused, 2 wrong command line.\n";

struct Command {
    const char* name;
    int (*run)(lumo::cli::Args&);
};

const Command kCommands[] = {
    {"config", lumo::cli::cmdConfig}, {"list", lumo::cli::cmdList},     {"report", lumo::cli::cmdReport},
    {"scan", lumo::cli::cmdScan},     {"line", lumo::cli::cmdLine},     {"module", lumo::cli::cmdModule},
    {"remove", lumo::cli::cmdRemove}, {"toggle", lumo::cli::cmdToggle},   {"send", lumo::cli::cmdSend},
    {"check", lumo::cli::cmdCheck},   {"serial", lumo::cli::cmdSerial}, {"register", lumo::cli::cmdRegister},
    {"clock", lumo::cli::cmdClock},   {"counters", lumo::cli::cmdCounters},
    {"params", lumo::cli::cmdParams}, {"test", lumo::cli::cmdTest},
    {"transfer", lumo::cli::cmdTransfer}, {"probe", lumo::cli::cmdProbe},
    {"download", lumo::cli::cmdDownload}, {"restart", lumo::cli::cmdRestart}, {"reset", lumo::cli::cmdReset},
    {"image", lumo::cli::cmdImage},     {"upload", lumo::cli::cmdUpload}, {"dump", lumo::cli::cmdDump},
    {"usb", lumo::cli::cmdUsb},       {"init", lumo::cli::cmdInit},
    {"search", lumo::cli::cmdSearch}, {"ip", lumo::cli::cmdIp},
    {"telnet", lumo::cli::cmdTelnet},
};

// Why the trace file cannot be written, after startWireTrace failed.
std::string traceFileProblem(const std::string& path) {
    using lumo::platform::FileKind;
    const std::uint32_t error = lumo::platform::lastSystemError();
    switch (lumo::platform::fileKind(path)) {
        case FileKind::Directory: return "it is a folder";
        case FileKind::SymbolicLink: return "it is a symbolic link, which is not followed";
        case FileKind::Other: return "it is no regular file (a FIFO or a device)";
        case FileKind::Missing:
            if (!lumo::platform::isPermissionDenied(error)) return "its folder does not exist";
            break;
        case FileKind::Regular:
        case FileKind::Unknown: break;
    }
    if (lumo::platform::isPermissionDenied(error)) return "no permission";
    return "system error " + std::to_string(error);
}

int usageError(const std::string& message) {
    std::cerr << "lumo-ctl: " << message << "\n(lumo-ctl --help shows the commands)\n";
    return lumo::cli::kUsage;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace lumo::cli;
    lumo::platform::prepareStandardStreams();
    std::vector<std::string> words = lumo::platform::commandLineArguments(argc, argv);
    words.erase(words.begin());
    std::string workdir;
    Answer answer = Answer::Ask;
    bool verbose = false;
    std::size_t i = 0;
    for (; i < words.size(); ++i) {
        const std::string& w = words[i];
        if (w == "-h" || w == "--help") {
            std::cout << kUsageText;
            return kDone;
        }
        if (w == "--version") {
            std::cout << "lumo-ctl " << LUMO_VERSION << " (" << LUMO_COMMIT << ")\n";
            return kDone;
        }
        if (w == "-C" || w == "--workdir") {
            if (++i == words.size()) return usageError("-C needs a directory");
            workdir = words[i];
        } else if (w == "-y" || w == "--yes") {
            answer = Answer::Yes;
        } else if (w == "-n" || w == "--no") {
            answer = Answer::No;
        } else if (w == "-v" || w == "--verbose") {
            verbose = true;
        } else if (w == "--trace") {
            if (++i == words.size()) return usageError("--trace needs a file");
            if (!lumo::startWireTrace(words[i])) {
                std::cerr << "lumo-ctl: the trace file " << words[i] << " cannot be written: " << traceFileProblem(words[i])
                          << '\n';
                return kFailed;
            }
        } else if (!w.empty() && w[0] == '-') {
            return usageError("unknown option '" + w + "'");
        } else {
            break;
        }
    }
    if (i == words.size()) return usageError("no command given");
    const std::string name = words[i];
    const Command* command = nullptr;
    for (const Command& c : kCommands) {
        if (name == c.name) command = &c;
    }
    if (command == nullptr) return usageError("unknown command '" + name + "'");

    if (!workdir.empty()) {
        if (!lumo::platform::isDirectory(workdir)) {
            std::cerr << "lumo-ctl: the working directory " << workdir << " does not exist\n";
            return kFailed;
        }
        if (!lumo::platform::isAbsolutePath(workdir))
            workdir = lumo::platform::currentDirectory() + lumo::platform::pathSeparator() + workdir;
    }

    installCliUiPort(answer, verbose);
    // Ctrl-C stops a background job at its next waiting point; the job still ends cleanly (its
    // release frames go out, its line is closed). The state the handler stores into is made
    // first: a signal handler must not be the one to initialise it.
    static_cast<void>(lumo::appState());
    lumo::platform::onInterrupt([] {
        lumo::jobCancel();
        lumo::interruptLineOperations();
    });
    // Without config.dat the defaults serve (the data directory is the working directory);
    // only `config set` writes the file, and only it runs while the configuration is damaged or
    // the working directory cannot be the data directory.
    const lumo::StartupState state = lumo::appStartup(workdir);
    const bool configuring = name == "config";
    if (state == lumo::StartupState::NoWorkingDirectory ||
        (!configuring && (state == lumo::StartupState::ConfigUnreadable ||
                          state == lumo::StartupState::WorkingDirectoryUnstorable))) {
        std::cerr << "lumo-ctl: " << lumo::startupProblem(state) << '\n';
        lumo::reportError();  // the read error of config.dat, when that is the cause
        return kFailed;
    }
    lumo::clearError();
    if (!configuring) {
        if (const std::string missing = lumo::missingDataDirectory(); !missing.empty()) {
            std::cerr << "lumo-ctl: " << missing << '\n';
            return kFailed;
        }
    }
    // The panel's start-up scan leaves every line's port set from its record; commands here
    // start from the records the same way.
    lumo::configureLinePorts();
    int status = kDone;
    try {
        Args args(std::vector<std::string>(words.begin() + static_cast<long>(i) + 1, words.end()));
        status = command->run(args);
    } catch (const UsageError& e) {
        status = usageError(e.what());
    }
    // As the panel's message loop does when it ends: a failure that was discarded along the way
    // must not surface as a report of its stale system error.
    lumo::platform::setLastSystemError(0);
    lumo::appShutdown();
    return status;
}
