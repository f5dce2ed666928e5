#include "actions/download_actions.h"

#include "actions/line_operation.h"

#include <cstdio>
#include <map>

#include "base/app_state.h"
#include "base/error_report.h"
#include "base/ui_port.h"
#include "comm/icmp_echo.h"
#include "comm/line_port.h"
#include "comm/transaction.h"
#include "device/device_check.h"
#include "device/item_state.h"
#include "device/status_report.h"
#include "discovery/neighbour_binding.h"
#include "discovery/service_channel.h"
#include "model/installation.h"
#include "platform/clock.h"
#include "platform/file_io.h"
#include "service/firmware_download.h"
#include "service/firmware_image.h"
#include "service/jobs.h"
#include "model/device_catalog.h"
#include "actions/action_errors.h"

namespace lumo {
namespace {

constexpr const char* kCaption = "Download";

int reported() {
    reportError();
    return kActionFailed;
}

// The item's record read again and its type; false with the error pending. The download
// names the module file that could not be read.
bool readItemType(int lineIndex, int moduleNumber, LineRecord& line, DeviceTypeCode& type, int& id, bool download) {
    if (moduleNumber != 0) {
        ModuleRecord module;
        if (!readModuleRecord(lineIndex, moduleNumber, module)) {
            if (download) {
                uiMessage(kCaption, moduleFilePath(lineIndex + 1), MessageIcon::Information);
                combineError(err::kDownloadModuleRead);
            }
            return false;
        }
        type = module.type();
        id = module.id();
    }
    if (!readLineRecord(lineIndex, line)) {
        if (moduleNumber == 0 && download) combineError(err::kDownloadLineRead);
        return false;
    }
    if (moduleNumber == 0) type = line.headType();
    return true;
}

// The record read again and its type looked up in DownloadTypes.
int downloadTypeCheck(int lineIndex, int moduleNumber, LineRecord& line, DeviceTypeCode& type, int& id) {
    if (!readItemType(lineIndex, moduleNumber, line, type, id, true)) return reported();
    if (!isInList(DownloadTypes, type)) {
        uiMessage(kCaption, "Zařízení typu " + modelName(type) + " \nneumožňuje download.", MessageIcon::Information);
        return kActionRefused;
    }
    return kActionDone;
}

// A MAC address the device itself may have: neither none nor the factory's, which a new line's
// record holds until a search or the initialisation tells the device's own.
bool hasOwnMac(const LineRecord& line) {
    const MacAddress mac = line.mac();
    return mac != MacAddress{} && mac != kFactoryMac;
}

// Waits, stopped early when the user stops the operation (Ctrl-C, "Přerušit aktivní příkaz").
bool waitUnlessStopped(int ms) {
    for (int waited = 0; waited < ms; waited += 50) {
        if (!operationContinues()) return false;
        platform::pause(50);
    }
    return operationContinues();
}

// Where the neighbour row's MAC address comes from: the user, offered the record's (a download
// the user starts), or the line record alone (a whole-installation run asks nobody).
enum class MacFrom { User, Record };

// A download made ready on its line: the image checked whole, a network device's address bound
// to its MAC address, the device restarted into its loader. The caller sends the image and
// then removes the neighbour row (`network`).
struct PreparedDownload {
    DownloadRequest request;
    bool tunnel = false;
    bool network = false;
    bool restarted = false;  // the device got its restart: it waits in its loader
};

int prepareDownload(int lineIndex, int moduleNumber, const std::string& fileName, bool oldHardware, MacFrom macFrom,
                    PreparedDownload& prepared) {
    if (LineEnabledCheck(lineIndex) == 0) return kActionRefused;
    LineRecord line;
    DeviceTypeCode type = 0;
    int id = 0;
    if (const int checked = downloadTypeCheck(lineIndex, moduleNumber, line, type, id); !actionDone(checked)) return checked;
    // The flash is erased first: a file that cannot be loaded whole must not get that far.
    if (const std::string fault = downloadImageFault(type, fileName); !fault.empty()) {
        uiMessage(kCaption, "Soubor " + fileName + " nelze zavést: \n" + fault, MessageIcon::Error);
        return kActionRefused;
    }
    const bool network = line.isTcp() && isInList(NetworkDeviceTypes, type);
    if (network && macFrom == MacFrom::Record && !hasOwnMac(line)) {
        uiMessage(kCaption, kNoOwnMacText, MessageIcon::Information);
        return kActionRefused;
    }
    // The device's MAC address, this download's own: the record's, or the factory's, offered
    // for confirmation and then bound to the address and named in a converter's restart.
    MacAddress deviceMac = macFrom == MacFrom::Record ? line.mac() : line.mac()[0] != 0 ? line.mac() : kFactoryMac;
    if (network) {
        clearError();
        const MacSource source = macFrom == MacFrom::Record ? MacSource::Given : MacSource::AskUser;
        const ErrorCode bound = BindAddressToMac(line.ipAddress(), source, deviceMac);
        if (bound == 0) {
            if (pendingError() == 0) return kActionRefused;  // the MAC entry was cancelled
            // Without the table the device's address cannot be tied to its MAC address, and the
            // device would not be reached in its loader.
            uiMessage(kCaption,
                      "Tabulku sousedů (ARP) nelze přečíst: zařízení nelze pro download připravit. ",
                      MessageIcon::Error);
            return reported();
        }
        clearError();  // a row that could not be made does not stop the download
    }
    // The row made for the download goes with it: at the download's end, or here when the
    // download stops before its image is sent.
    struct RowRemoval {
        const LineRecord& line;
        bool owned;
        ~RowRemoval() {
            if (!owned) return;
            RemoveArpEntry(line);  // every way out has reported its failure already
            clearError();
        }
    } rowRemoval{line, network};
    uiStatus("Příprava pro download");
    // The preparation may be stopped as the download itself may: it holds the lease the
    // download goes on with.
    const auto stopped = [] {
        uiStatus("");
        return kActionRefused;
    };
    if (moduleNumber != 0) {
        // A device that did not get its restart is not in its loader: nothing more is sent.
        const std::uint32_t restarted = DeviceTransaction(sub::kCmdRestart, "CMD", lineIndex, id, "RST0", kModeSelectRelease | kNoAnswer, {});
        if (isErrorResult(restarted)) {
            setError(restarted);
            return reported();
        }
        prepared.restarted = true;
        if (network) {
            if (!waitUnlessStopped(1000)) return stopped();
            for (int i = 0; i < 10 && operationContinues() && HostProbe(line.ipAddress()) == 0; ++i) {
            }
        } else if (!waitUnlessStopped(2000)) {
            return stopped();
        }
    } else if (line.headType() == head::kTcpConverter) {
        if (const ErrorCode sent = SendRestartDatagram(line.ipAddress(), deviceMac); sent != 0) {
            setError(sent);
            return reported();
        }
        prepared.restarted = true;
        if (!waitUnlessStopped(3000)) return stopped();
    }
    if (!operationContinues()) return stopped();
    prepared.request.lineIndex = lineIndex;
    prepared.request.type = type;
    prepared.request.fileName = fileName;
    prepared.request.high = oldHardware;
    prepared.tunnel = isInList(FlashDownloadTypes, type);
    prepared.network = network;
    rowRemoval.owned = false;  // the caller removes it once the image is sent
    return kActionDone;
}

bool runWorker(const PreparedDownload& prepared) {
    return prepared.tunnel ? TunnelDownloadWorker(prepared.request) : SegmentDownloadWorker(prepared.request);
}

int startDownloadWaiting(int lineIndex, int moduleNumber, const std::string& fileName, bool oldHardware,
                         std::function<void(bool)>& ended, LineLease& lease) {
    PreparedDownload prepared;
    if (const int ready = prepareDownload(lineIndex, moduleNumber, fileName, oldHardware, MacFrom::User, prepared);
        !actionDone(ready))
        return ready;
    backgroundJob().lineIndex = lineIndex;
    backgroundJob().fileName = fileName;
    backgroundJob().bindsNeighbourRow = prepared.network;
    // The job removes the row when it ends (also when it cannot start).
    const bool started = JobStart(
        [prepared, ended = std::move(ended)] {
            const bool done = runWorker(prepared);
            JobFinish();
            if (ended) ended(done);
        },
        std::move(lease));
    if (!started && prepared.network) {
        LineRecord line;
        if (readLineRecord(lineIndex, line)) RemoveArpEntry(line);
        clearError();
    }
    return started ? kActionDone : kActionRefused;
}

// The download of one module of a whole-installation run, on the thread that holds its line:
// the job's work done here, and its end as JobFinish ends it for this line (the line closed,
// the neighbour row removed); the job slot stays free for the panel's one job.
int downloadWaitingHere(int lineIndex, int moduleNumber, const std::string& fileName, bool oldHardware, bool& inLoader) {
    PreparedDownload prepared;
    const int ready = prepareDownload(lineIndex, moduleNumber, fileName, oldHardware, MacFrom::Record, prepared);
    inLoader = prepared.restarted;
    if (!actionDone(ready)) return ready;
    const bool done = runWorker(prepared);
    LineClose(lineIndex);
    if (prepared.network) {
        LineRecord line;
        if (readLineRecord(lineIndex, line)) RemoveArpEntry(line);
        clearError();
    }
    inLoader = !done;
    if (done) return kActionDone;
    return operationContinues() ? kActionFailed : kActionRefused;
}

bool restartable(int moduleNumber, DeviceTypeCode type) {
    if (moduleNumber == 0) return type == head::kTcpConverter;
    return isInList(RemoteRestartTypes, type);
}

int remoteRestartWaiting(int lineIndex, int moduleNumber) {
    const MacAddress anyDevice{};  // the restart names no MAC address
    if (LineEnabledCheck(lineIndex) == 0) return kActionRefused;
    const auto failed = [] {
        uiStatus("Zařízení se nepodařilo restartovat !");
        uiWaitCursor(false);
        return reported();
    };
    LineRecord line;
    DeviceTypeCode type = 0;
    int id = 0;
    clearError();
    if (!readItemType(lineIndex, moduleNumber, line, type, id, false)) {
        combineError(0x0c06);
        return failed();
    }
    if (!restartable(moduleNumber, type) || !line.isTcp() || line.ipAddress().empty()) {
        // The restart goes to the device's network interface: a line without one has none.
        uiMessage("Upozornění", "Toto zařízení nelze vzdáleně restartovat. ", MessageIcon::Error);
        return kActionRefused;
    }
    uiStatus("Probíhá komunikace...");
    uiWaitCursor(true);
    if (const ErrorCode sent = SendRestartDatagram(line.ipAddress(), anyDevice); sent != 0) {
        setError(sent);
        return failed();
    }
    platform::pause(5000);
    uiStatus("Restartování....");
    const int service = lineIndex | kServiceBit;
    if (const ErrorCode opened = LineOpen(service, type); opened != 0) {
        LineClose(lineIndex);
        setError(opened);
        return failed();
    }
    static const std::uint8_t start[] = {'A'};
    LineSend(service, start, sizeof start, 5);
    uiStatus("Příkaz odeslán....vyčkejte na restartování");
    LineClose(lineIndex);
    platform::pause(12000);
    uiWaitCursor(false);
    if (DeviceCheck(lineIndex, moduleNumber) != 1) return reported();
    StatusReportShow(lineIndex, moduleNumber);
    // The check's verdict decides: a device that does not answer after its restart is a failure.
    std::uint8_t state = 0;
    if (moduleNumber != 0) {
        ModuleRecord m;
        if (readModuleRecord(lineIndex, moduleNumber, m)) state = m.flags() & (flags::kNotResponding | flags::kOtherType);
    } else if (readLineRecord(lineIndex, line)) {
        state = line.flags() & (flags::kUnreachable | flags::kNotResponding);
    }
    if (state != 0) {
        uiMessage("Restart TCP zařízení", "Zařízení po restartu neodpovídá. ", MessageIcon::Error);
        return kActionFailed;
    }
    return kActionDone;
}

std::string hex(std::uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

}  // namespace

int downloadApplies(int lineIndex, int moduleNumber, DeviceTypeCode& type) {
    LineRecord line;
    int id = 0;
    return downloadTypeCheck(lineIndex, moduleNumber, line, type, id);
}

int startDownload(int lineIndex, int moduleNumber, const std::string& fileName, bool oldHardware,
                  std::function<void(bool)> ended) {
    return runOnLines(
        [&](LineLease& lease) { return startDownloadWaiting(lineIndex, moduleNumber, fileName, oldHardware, ended, lease); });
}

int downloadOnHeldLine(int lineIndex, int moduleNumber, const std::string& fileName, bool oldHardware, bool& inLoader) {
    inLoader = false;
    return runOnHeldLine(lineIndex, [&] { return downloadWaitingHere(lineIndex, moduleNumber, fileName, oldHardware, inLoader); });
}

bool downloadAsksForMac(int lineIndex, int moduleNumber) {
    LineRecord line;
    DeviceTypeCode type = 0;
    int id = 0;
    if (!readItemType(lineIndex, moduleNumber, line, type, id, false)) {
        clearError();
        return false;  // the download itself says what cannot be read
    }
    return line.isTcp() && isInList(NetworkDeviceTypes, type) && !hasOwnMac(line);
}

std::array<std::string, 3> downloadWarning(DeviceTypeCode type) {
    return {"POZOR: při této operaci může dojít ke ztrátě dat paměti terminálu.",
            "Přesvěčte se, že máte načteny a uloženy všechny údaje ! ",
            "Připravte zařízení " + modelName(type) + " pro downoad a stikněte pokračovat."};
}

int remoteRestart(int lineIndex, int moduleNumber) {
    return runOnLinesSimply([&] { return remoteRestartWaiting(lineIndex, moduleNumber); });
}

bool imageSummary(const std::string& fileName, bool segment, std::string& summary, std::string& fault) {
    std::string bytes;
    if (!platform::readSmallFile(fileName, kMaxDownloadFile + 1, bytes)) {
        fault = "cannot be read (a regular file is needed)";
        return false;
    }
    if (segment) {
        if (const auto f = checkSegmentImage(bytes.size())) {
            fault = faultText(*f);
            return false;
        }
        const std::vector<std::uint8_t> image(bytes.begin(), bytes.end());
        const auto messages = segmentMessages(image, false);
        summary = "memory image, " + std::to_string(image.size()) + " bytes\n";
        for (int s = 0; s < 4 && static_cast<std::size_t>(s) * 0x4000 < image.size(); ++s)
            summary += "fs" + std::to_string(s) + " checksum " + hex(segmentChecksum(image, s), 4) + "\n";
        summary += std::to_string(messages.size()) + " WRfs messages of up to 64 bytes, then WRXXX\n";
        return true;
    }
    std::vector<SRecord> records;
    if (!tunnelImage(bytes, records, fault)) return false;
    std::map<char, int> types;
    std::uint32_t low = 0xFFFFFFFF, high = 0;
    std::size_t dataBytes = 0;
    for (const SRecord& r : records) {
        ++types[r.type];
        if (!r.isData() || r.data.empty()) continue;
        low = std::min(low, r.address);
        high = std::max<std::uint32_t>(high, r.address + static_cast<std::uint32_t>(r.data.size()) - 1);
        dataBytes += r.data.size();
    }
    summary = "S-record file, " + std::to_string(records.size()) + " records:";
    for (const auto& [t, n] : types) summary += std::string(" S") + t + " " + std::to_string(n);
    summary += "\n" + std::to_string(dataBytes) + " data bytes";
    if (dataBytes > 0) summary += ", addresses " + hex(low, 4) + "-" + hex(high, 4);
    std::map<int, int> channels;
    const TunnelOutcome plan = runTunnelDownload(bytes, records, [&channels](const TunnelMessage& m, std::uint8_t answer[2]) {
        ++channels[m.channel];
        answer[0] = 'K';
        answer[1] = 'O';
        return Exchange::Acknowledged;
    });
    summary += "\n" + std::to_string(plan.blocks) + " blocks, " + std::to_string(plan.messages) + " messages: erase " +
               std::to_string(channels[4]) + ", open " + std::to_string(channels[1]) + ", data " +
               std::to_string(channels[2]) + ", close " + std::to_string(channels[3]) + ", start " +
               std::to_string(channels[5]) + "\n";
    return true;
}

}  // namespace lumo
