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

// Waits, stopped early when the user stops the operation (Ctrl-C, "Přerušit aktivní příkaz").
bool waitUnlessStopped(int ms) {
    for (int waited = 0; waited < ms; waited += 50) {
        if (!operationContinues()) return false;
        platform::pause(50);
    }
    return operationContinues();
}

int startDownloadWaiting(int lineIndex, int moduleNumber, const std::string& fileName, bool oldHardware,
                         std::function<void(bool)>& ended, LineLease& lease) {
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
    // The device's MAC address, this download's own: the record's, or the factory's, offered
    // for confirmation and then bound to the address and named in a converter's restart.
    MacAddress deviceMac = line.mac()[0] != 0 ? line.mac() : kFactoryMac;
    if (network) {
        clearError();
        const ErrorCode bound = BindAddressToMac(line.ipAddress(), MacSource::AskUser, deviceMac);
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
    // The row made for the download goes with it: at the job's end, or here when the download
    // stops before its job starts.
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
    // The preparation may be stopped as the job itself may: it holds the lease the job takes on.
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
        if (!waitUnlessStopped(3000)) return stopped();
    }
    if (!operationContinues()) return stopped();
    DownloadRequest request;
    request.lineIndex = lineIndex;
    request.type = type;
    request.fileName = fileName;
    request.high = oldHardware;
    backgroundJob().lineIndex = lineIndex;
    backgroundJob().fileName = fileName;
    backgroundJob().bindsNeighbourRow = network;
    const bool tunnel = isInList(FlashDownloadTypes, type);
    rowRemoval.owned = false;  // the job removes it when it ends (also when it cannot start)
    const bool started = JobStart(
        [request, tunnel, ended = std::move(ended)] {
            const bool done = tunnel ? TunnelDownloadWorker(request) : SegmentDownloadWorker(request);
            JobFinish();
            if (ended) ended(done);
        },
        std::move(lease));
    if (!started) {
        if (network) {
            RemoveArpEntry(line);
            clearError();
        }
    }
    return started ? kActionDone : kActionRefused;
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
