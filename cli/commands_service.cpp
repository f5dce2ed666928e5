// lumo-ctl download, restart, reset, image check
#include <atomic>
#include <cctype>
#include <mutex>
#include <thread>
#include <cstdio>
#include <iostream>
#include <vector>

#include "actions/device_actions.h"
#include "actions/download_actions.h"
#include "actions/memory_actions.h"
#include "actions/network_actions.h"
#include "actions/init_actions.h"
#include "actions/usb_actions.h"
#include "base/error_report.h"
#include "base/ui_port.h"
#include "device/clock_setting.h"
#include "model/installation.h"
#include "platform/clock.h"
#include "comm/telnet.h"
#include "platform/file_io.h"
#include "platform/net.h"
#include "platform/usb_bridges.h"
#include "service/memory_transfer.h"
#include "cli/cli_ui_port.h"
#include "cli/commands.h"
#include "service/jobs.h"
#include "ui/servis_menu.h"
#include "model/device_catalog.h"

namespace lumo::cli {
namespace {

// A "Servis" command the panel's menu greys out for the item is refused here as well: the
// whole menu on a general line (its head device is no device to serve), the memory and reset
// items by byte 132 of the record. True when the command may run.
bool servisCommandAvailable(const ItemRef& item, bool memoryItem) {
    RecordImage current;
    bool have = false;
    if (item.moduleNumber == 0) {
        LineRecord line;
        have = readLineRecord(item.lineIndex, line);
        current.bytes = line.bytes;
    } else {
        ModuleRecord module;
        have = readModuleRecord(item.lineIndex, item.moduleNumber, module);
        current.bytes = module.bytes;
    }
    clearError();
    const ServisMenuState state = servisMenuState(item.moduleNumber != 0, have ? current.u8(132) : 0);
    if (!state.submenu) {
        uiMessage("Varování", "Pro obecnou komunikační linku nelze servisní funkce provádět ! Zadejte modul L/K. ",
                  MessageIcon::Information);
        return false;
    }
    if (memoryItem && !state.memoryItems) {
        uiMessage("Varování", "Pro toto zařízení nelze tento servisní příkaz provádět ! ", MessageIcon::Information);
        return false;
    }
    return true;
}

}  // namespace

namespace {

// download --all --type CODE FILE [--old-hardware] [--lines 1,3-5] [--max-lines N]
int downloadOfType(Args& args) {
    RunOptions options;
    std::string typeText, file;
    bool typeGiven = false, oldHardware = false;
    while (!args.empty()) {
        if (args.option("--type", typeText)) typeGiven = true;
        else if (args.flag("--old-hardware")) oldHardware = true;
        else if (runOption(args, options)) continue;
        else if (args.peek().starts_with("--")) throw UsageError("unknown option '" + args.peek() + "'");
        else if (file.empty()) file = args.next("the image file");
        else throw UsageError("unexpected argument '" + args.peek() + "'");
    }
    if (!typeGiven) throw UsageError("download --all needs --type CODE");
    if (file.empty()) throw UsageError("download --all needs the image file");
    const DeviceTypeCode type = parseModuleType(typeText);
    if (oldHardware && !isInList(HardwareVersionTypes, type))
        throw UsageError("--old-hardware is for the TQ300 and TQ310 only, not the " + modelName(type));
    // Nobody is asked in the middle of a parallel run: the warning is answered for the whole
    // run on the command line.
    if (questionAnswer() != Answer::Yes)
        throw UsageError("download --all needs -y: the warning that a download may lose the devices' data is answered "
                         "once, for the whole run");
    return downloadAll(options, type, file, oldHardware);
}

}  // namespace

int cmdDownload(Args& args) {
    if (args.flag("--all")) return downloadOfType(args);
    const ItemRef item = parseItem(args.next("the device L or L/K"));
    const std::string file = args.next("the image file");
    const bool oldHardware = args.flag("--old-hardware");
    args.expectEnd();
    if (file.empty()) throw UsageError("the image file is empty");
    if (!itemExists(item)) return kFailed;
    DeviceTypeCode type = 0;
    if (!actionDone(downloadApplies(item.lineIndex, item.moduleNumber, type))) return kFailed;
    // Only the TQ300 and TQ310 come with the older hardware that loads 0x8000 higher.
    if (oldHardware && !isInList(HardwareVersionTypes, type))
        throw UsageError("--old-hardware is for the TQ300 and TQ310 only, not the " + modelName(type));
    bool done = false;
    if (!actionDone(startDownload(item.lineIndex, item.moduleNumber, file, oldHardware, [&done](bool ok) { done = ok; })))
        return kFailed;
    JobWait();  // Ctrl-C stops it before the next message
    return done ? kDone : kFailed;
}

int cmdRestart(Args& args) {
    const ItemRef item = parseItem(args.next("the device L or L/K"));
    args.expectEnd();
    if (!itemExists(item)) return kFailed;
    return exitStatus(remoteRestart(item.lineIndex, item.moduleNumber));
}

int cmdReset(Args& args) {
    const ItemRef item = parseItem(args.next("the module L/K"));
    args.expectEnd();
    if (item.moduleNumber == 0) throw UsageError("reset takes a module L/K, not a line");
    if (!itemExists(item)) return kFailed;
    if (item.moduleNumber != 0 && !servisCommandAvailable(item, true)) return kFailed;
    return exitStatus(resetApplication(item.lineIndex, item.moduleNumber));
}

namespace {

// A segment of the table by its name or row number.
int segmentArgument(const std::string& word) {
    int row = memorySegmentIndex(word);
    if (row < 0 && !word.empty() && word.find_first_not_of("0123456789") == std::string::npos && word.size() < 3)
        row = std::stoi(word);
    if (row < 0 || row >= kMemorySegments) {
        std::string names;
        for (const auto& s : memorySegments()) names += std::string(names.empty() ? "" : ", ") + s.name;
        throw UsageError("no segment '" + word + "' (" + names + ", or their rows 0-11)");
    }
    return row;
}

std::uint32_t hexArgument(const std::string& word, const char* what) {
    // As the dialog reads them: hexadecimal digits, at most 9 characters.
    if (word.empty() || word.size() > 9 || word.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        throw UsageError(std::string(what) + " is a hexadecimal number, not '" + word + "'");
    // Nine digits overflow an unsigned long of 32 bits (Windows): read as 64 bits everywhere.
    const unsigned long long value = std::stoull(word, nullptr, 16);
    // The messages carry four digits; a wider number would go out as another range.
    if (value > kMemoryFieldMax)
        throw UsageError(std::string(what) + " '" + word + "' does not fit the message's four hexadecimal digits (at most ffff)");
    return static_cast<std::uint32_t>(value);
}

}  // namespace

int cmdUpload(Args& args) {
    const ItemRef item = parseItem(args.next("the module L/K"));
    const int segment = segmentArgument(args.next("the segment"));
    std::vector<std::string> rest;
    while (!args.empty()) rest.push_back(args.next("FILE"));
    if (rest.size() != 1 && rest.size() != 3) throw UsageError("upload L/K SEGMENT [START SIZE] FILE");
    const MemorySegment& row = memorySegments()[static_cast<std::size_t>(segment)];
    const std::uint32_t start = rest.size() == 3 ? hexArgument(rest[0], "START") : row.start;
    const std::uint32_t size = rest.size() == 3 ? hexArgument(rest[1], "SIZE") : row.size;
    if (size == 0) throw UsageError("SIZE 0: there is nothing to upload");
    if (!itemExists(item)) return kFailed;
    if (item.moduleNumber != 0 && !servisCommandAvailable(item, true)) return kFailed;
    bool done = false;
    if (!actionDone(startUpload(item.lineIndex, item.moduleNumber, segment, start, size, rest.back(),
                                [&done](bool ok) { done = ok; })))
        return kFailed;
    JobWait();  // Ctrl-C stops it before the next request; the file is left as it was
    return done ? kDone : kFailed;
}

int cmdDump(Args& args) {
    const ItemRef item = parseItem(args.next("the module L/K"));
    const std::uint32_t start = hexArgument(args.next("START"), "START");
    const std::uint32_t size = hexArgument(args.next("SIZE"), "SIZE");
    std::string segmentName = "ex_ram", writeFile;
    args.option("--segment", segmentName);
    args.option("--write", writeFile);
    args.expectEnd();
    const int segment = segmentArgument(segmentName);
    if (size == 0) throw UsageError("SIZE 0: there is nothing to dump");
    if (size > kDumpMaxSize) throw UsageError("the dump reads or writes at most 80 (hexadecimal) bytes; use upload for more");
    if (!itemExists(item)) return kFailed;
    if (item.moduleNumber != 0 && !servisCommandAvailable(item, true)) return kFailed;
    if (!actionDone(memoryDumpApplies(item.lineIndex, item.moduleNumber, false))) return kFailed;
    if (!writeFile.empty()) return exitStatus(memoryDumpWrite(item.lineIndex, item.moduleNumber, segment, start, size, writeFile));
    std::string path;
    if (!actionDone(memoryDumpRead(item.lineIndex, item.moduleNumber, segment, start, size, path))) return kFailed;
    std::string bytes;
    platform::readSmallFile(path, kDumpMaxSize, bytes);
    // Sixteen bytes a line, each line with its address.
    for (std::size_t i = 0; i < bytes.size(); i += 16) {
        char text[16];
        std::snprintf(text, sizeof text, "%04x ", static_cast<unsigned>(start + i));
        std::cout << text;
        for (std::size_t j = i; j < i + 16 && j < bytes.size(); ++j) {
            std::snprintf(text, sizeof text, " %02X", static_cast<unsigned char>(bytes[j]));
            std::cout << text;
        }
        std::cout << '\n';
    }
    return kDone;
}

int cmdUsb(Args& args) {
    const std::string what = args.next("list, save or clean");
    std::string root = usbDevicesRoot();
    args.option("--sysfs", root);  // another tree of USB devices (tests)
    args.expectEnd();
    usbDevicesRoot() = root;
    if (what == "clean") {
        std::vector<std::string> removed;
        const ErrorCode code = cleanUsbDrivers(removed, root);
        for (const auto& entry : removed) std::cout << "removed " << entry << '\n';
        if (code != 0) {
            std::fprintf(stderr, "SERVIS: Chyba při čištění registru WO485: 0x%08X\n", code);
            return kFailed;
        }
        std::cerr << "SERVIS: Čištění registru proběhlo v pořádku\n";
        return kDone;
    }
    if (what != "list" && what != "save") throw UsageError("usb list, usb save or usb clean, not 'usb " + what + "'");
    const std::vector<UsbRow> rows = usbSearchRows(root);
    if (what == "list") {
        // The list's columns, tab-separated, and the serial device.
        for (const UsbRow& r : rows)
            std::cout << usbTypeText(r) << '\t' << r.serial << '\t' << usbVidPidText(r) << '\t' << r.com << '\t' << r.device << '\n';
        return kDone;
    }
    const int made = saveUsbRows(rows);
    if (made > 0) std::cout << made << '\n';
    return exitStatus(made);
}

int cmdInit(Args& args) {
    const ItemRef item = parseItem(args.next("the device L or L/K"));
    InitChoice choice;
    const platform::LocalTime now = platform::utcTime();  // the serial number's date is today's in UTC
    choice.day = now.day;
    choice.month = now.month;
    choice.year = now.year;
    std::string value;
    while (!args.empty()) {
        if (args.option("--sequence", value)) {
            choice.sequence = static_cast<int>(parseNumber(value, 1, 9999, "the sequence"));
        } else if (args.option("--date", value)) {
            std::uint32_t date = 0;
            std::string field = value;
            if (!DateFieldRead(field, date) || field.empty()) throw UsageError("the date '" + value + "' is no date (DD.MM.YYYY)");
            // A serial number carries the year within 2000-2099.
            if ((date >> 16) < 2000 || (date >> 16) > 2099) throw UsageError("the date '" + value + "' is not in 2000-2099");
            choice.day = static_cast<int>(date & 0xFF);
            choice.month = static_cast<int>((date >> 8) & 0xFF);
            choice.year = static_cast<int>(date >> 16);
        } else if (args.option("--medium", value)) {
            choice.medium = static_cast<int>(parseNumber(value, 0, 3, "the ID medium"));
        } else if (args.option("--note", value)) {
            checkRegisterNote(value);
            choice.note = value;
        } else if (args.flag("--clear-memory")) {
            choice.clearMemory = true;
        } else {
            throw UsageError("init L[/K] [--sequence N] [--date DD.MM.YYYY] [--medium 0-3] [--clear-memory] [--note TEXT], not '" +
                             args.peek() + "'");
        }
    }
    if (!itemExists(item)) return kFailed;
    if (!servisCommandAvailable(item, false)) return kFailed;
    if (item.moduleNumber != 0) {
        ModuleRecord m;
        if (readModuleRecord(item.lineIndex, item.moduleNumber, m)) choice.typeCode = m.type();
    } else {
        LineRecord l;
        if (readLineRecord(item.lineIndex, l)) choice.typeCode = l.headType();
    }
    std::string serial;
    const int result = initialiseModuleAction(item.lineIndex, item.moduleNumber, choice, serial);
    if (actionDone(result)) std::cout << serial << '\n';
    return exitStatus(result);
}

int cmdSearch(Args& args) {
    std::string mask = "255.255.255.0", quiet;
    bool save = false, quietGiven = false;
    while (!args.empty()) {
        if (args.option("--mask", mask)) continue;
        if (args.option("--quiet-ms", quiet)) {
            quietGiven = true;
            continue;
        }
        if (args.flag("--save")) {
            save = true;
            continue;
        }
        throw UsageError("search [--mask 255.255.255.0|255.255.0.0] [--save] [--quiet-ms MS], not '" + args.peek() + "'");
    }
    if (mask != "255.255.255.0" && mask != "255.255.0.0") throw UsageError("the mask is 255.255.255.0 or 255.255.0.0");
    const int quietMs = quietGiven ? static_cast<int>(parseNumber(quiet, 100, 600000, "the quiet time")) : 10000;
    std::vector<SearchRow> rows;
    if (!actionDone(searchTcpDevices(mask == "255.255.0.0", rows, quietMs))) return kFailed;
    // The list's columns, tab-separated, newest first, and what is doubled.
    for (const SearchRow& r : rows) {
        std::cout << searchTypeText(r) << '\t' << r.serial << '\t' << searchMacText(r) << '\t' << r.ip;
        if (r.sameIp) std::cout << "\tsame IP";
        if (r.sameMac) std::cout << "\tsame MAC";
        std::cout << '\n';
    }
    if (!save) return kDone;
    return exitStatus(saveSearchRows(rows));
}

int cmdIp(Args& args) {
    const ItemRef item = parseItem(args.next("the line L"));
    const std::string address = args.next("the new address");
    args.expectEnd();
    if (item.moduleNumber != 0) throw UsageError("ip takes a TCP converter line L, not a module");
    checkIpv4Address(address, "the new address");
    if (!itemExists(item)) return kFailed;
    return exitStatus(setDeviceAddress(item.lineIndex, address));
}

int cmdTelnet(Args& args) {
    const ItemRef item = parseItem(args.next("the line L"));
    args.expectEnd();
    if (item.moduleNumber != 0) throw UsageError("telnet takes a TCP converter line L, not a module");
    if (!itemExists(item)) return kFailed;
    LineRecord line;
    platform::Ipv4 address;
    if (!readLineRecord(item.lineIndex, line) || !line.isTcp() || !platform::resolveIpv4(line.ipAddress(), address)) {
        std::cerr << "Konfigurace: linka " << item.lineIndex + 1 << " nemá adresu IP zařízení\n";
        return kFailed;
    }
    // Static: the input thread, which may still wait for a line when the session ends, never
    // outlives them (the program ends with the command).
    static platform::TcpSocket socket;
    if (!socket.create() || !socket.setNonBlocking() ||
        socket.connect(address, kConsolePort, 3000) != platform::TcpSocket::ConnectResult::Connected) {
        std::cerr << "Konfigurace: nelze se připojit k " << line.ipAddress() << ":" << kConsolePort << "\n";
        return kFailed;
    }
    static std::mutex sending;
    static std::atomic<bool> open{true};
    // What is typed goes out a line at a time; the end of the input ends the session.
    std::thread typing([] {
        std::string text;
        while (open && std::getline(std::cin, text)) {
            const auto bytes = consoleLine(text);
            const std::lock_guard lock(sending);
            if (!open || !socket.send(bytes.data(), bytes.size())) break;
        }
        open = false;
    });
    TelnetFilter filter;
    bool closedByDevice = false;
    // After the end of the input the device's last answers are still shown, until it is quiet
    // for half a second, or at most 3 s (a device that sends without end does not hold the
    // session open). Output is flushed when the device pauses, not after every byte.
    std::size_t unflushed = 0;
    for (std::int64_t inputEnded = 0, lastByte = 0;;) {
        if (!open && inputEnded == 0) inputEnded = lastByte = platform::monotonicMs();
        if (inputEnded != 0 && platform::monotonicMs() - inputEnded >= 3000) break;
        std::uint8_t byte = 0;
        const auto got = socket.recvByte(byte, unflushed > 0 ? 0 : 100);
        if (got == platform::TcpSocket::RecvResult::Closed || got == platform::TcpSocket::RecvResult::Error) {
            closedByDevice = true;
            break;
        }
        if (got != platform::TcpSocket::RecvResult::Byte) {
            if (unflushed > 0) {
                std::cout << std::flush;
                unflushed = 0;
                continue;
            }
            if (inputEnded != 0 && platform::monotonicMs() - lastByte >= 500) break;
            continue;
        }
        if (inputEnded != 0) lastByte = platform::monotonicMs();
        std::vector<std::uint8_t> reply;
        std::cout << filter.take(&byte, 1, reply);
        if (++unflushed >= 4096) {
            std::cout << std::flush;
            unflushed = 0;
        }
        if (!reply.empty()) {
            const std::lock_guard lock(sending);
            socket.send(reply.data(), reply.size());
        }
    }
    std::cout << std::flush;
    open = false;
    socket.shutdownReceive();
    std::cerr << (closedByDevice ? "\nKonfigurace: zařízení spojení ukončilo\n" : "\n");
    // The input thread ends with its line or the end of the input; it sends nothing once the
    // socket is closed here (both under the sending lock).
    typing.detach();
    {
        const std::lock_guard lock(sending);
        open = false;
        socket.close();
    }
    return kDone;
}

int cmdImage(Args& args) {
    const std::string what = args.next("check");
    if (what != "check") throw UsageError("image check FILE [--segment], not 'image " + what + "'");
    const std::string file = args.next("the image file");
    // A memory image for the older loaders; an S-record file unless told or named ".bin".
    std::string ending = file.size() > 4 ? file.substr(file.size() - 4) : "";
    for (char& c : ending) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const bool segment = args.flag("--segment") || ending == ".bin";
    args.expectEnd();
    if (file.empty()) throw UsageError("the image file is empty");
    std::string summary, fault;
    if (!imageSummary(file, segment, summary, fault)) {
        std::cerr << "lumo-ctl: " << file << ": " << fault << '\n';
        return kFailed;
    }
    std::cout << summary;
    return kDone;
}

}  // namespace lumo::cli
