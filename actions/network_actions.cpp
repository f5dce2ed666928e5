#include "actions/network_actions.h"

#include "actions/line_operation.h"

#include "base/error_report.h"
#include "base/app_state.h"
#include "base/ui_port.h"
#include "comm/icmp_echo.h"
#include "comm/network_privilege.h"
#include "discovery/service_channel.h"
#include "actions/install_actions.h"
#include "model/installation.h"

namespace lumo {

int searchTcpDevices(bool wideMask, std::vector<SearchRow>& rows, int quietMs,
                     const std::function<void(const SearchRow&)>& arrived, const std::function<bool()>& continues) {
    rows.clear();
    std::string address, fault;
    if (!searchBroadcastAddress(wideMask, address, fault)) {
        uiMessage("Vyhledání TCP zařízení", fault, MessageIcon::Warning);
        return kActionRefused;
    }
    return runOnLinesSimply([&] {
        std::vector<SearchRow> answers;
        const ErrorCode code = runTcpSearch(
            address,
            [&](const SearchRow& r) {
                answers.push_back(r);
                if (arrived) arrived(r);
            },
            continues, quietMs);
        // The newest answer stands first.
        rows.assign(answers.rbegin(), answers.rend());
        markDuplicates(rows);
        if (code != 0) {
            setError(code);
            reportError();
            return kActionFailed;
        }
        return kActionDone;
    });
}

int saveSearchRows(const std::vector<SearchRow>& rows) {
    // Each new line is checked on the wire: off the window's thread.
    return runOnLinesSimply([&] {
        int made = 0;
        for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
            // Every device that answers is reached over the network: its line is a TCP line to
            // its address, whatever its own type (an MN600 with its own interface as much as a
            // converter). A line of the answer's type would be a COM line without an address.
            LineRecord tmpl;
            tmpl.setHeadType(head::kTcpConverter);
            tmpl.setIpAddress(it->ip);
            tmpl.setMac(it->mac);
            if (createCheckedLine(tmpl) <= 0) break;
            ++made;
        }
        return made > 0 ? made : kActionRefused;
    });
}

int setDeviceAddress(int lineIndex, const std::string& newAddress, MacAddress* deviceMac) {
    LineRecord line;
    if (!readLineRecord(lineIndex, line)) {
        reportError();
        return kActionFailed;
    }
    // Only a line whose devices sit behind a network address has a device to give one to.
    if (!line.isTcp()) {
        uiMessage("Varování", "Linka " + std::to_string(lineIndex + 1) + " nemá adresu IP zařízení. ", MessageIcon::Error);
        return kActionRefused;
    }
    // An address no device can answer at would leave the device unreachable: refused before
    // anything is sent.
    if (const std::string problem = deviceAddressProblem(newAddress); !problem.empty()) {
        uiMessage("Varování", problem, MessageIcon::Error);
        return kActionRefused;
    }
    // The datagram goes out through the configured adapter: one that is gone is said plainly.
    std::string broadcast, fault;
    if (!searchBroadcastAddress(false, broadcast, fault)) {
        uiMessage("Varování", fault, MessageIcon::Error);
        return kActionRefused;
    }
    MacAddress mac = deviceMac != nullptr ? *deviceMac : line.mac();
    if (!uiPort().enterMacAddress || !uiPort().enterMacAddress(mac)) return kActionRefused;
    if (deviceMac != nullptr) *deviceMac = mac;  // the next try starts from what was entered
    return runOnLinesSimply([&] {
        uiStatus("Testování nové adresy...");
        const int inUse = HostProbe(newAddress);
        if (inUse == kProbeUnknown) {
            // Neither the check before nor the one after could be made: nothing is sent.
            uiStatus("");
            uiMessage("Varování",
                      "Adresu " + newAddress + " nelze ověřit: " + icmpPrivilegeAdvice() +
                          "Do zařízení nebylo nic odesláno. ",
                      MessageIcon::Error);
            return kActionRefused;
        }
        if (inUse == 1) {
            uiStatus("");
            uiMessage("Varování", "Cílová adresa se již používá ! ", MessageIcon::Error);
            return kActionRefused;
        }
        uiStatus("Probíhá nastavení IP adresy do zařízení");
        ServiceChannel channel;
        ErrorCode code = OpenServiceSocket(channel, broadcast);
        if (code == 0) {
            const auto d = ipSetupDatagram(mac, newAddress);
            code = SendServiceDatagram(channel, d.data(), d.size());
            const ErrorCode closed = CloseServiceSocket(channel);
            if (code == 0) code = closed;
        }
        if (code != 0) {
            uiStatus(" ");
            setError(code);
            reportError();
            return kActionFailed;
        }
        uiStatus("Kontrola nastavení IP adresy");
        bool answered = false;
        for (int i = 0; i < 9 && !answered; ++i) answered = HostProbe(newAddress) == 1;
        uiStatus(" ");
        if (!answered) {
            uiMessage("Chyba", "Zařízení neodpovídá na nové adrese !", MessageIcon::Error);
            return kActionFailed;
        }
        uiMessage("Hotovo", "Nová IP adresa byla úspěšně nastavena.", MessageIcon::Information);
        return kActionDone;
    });
}

}  // namespace lumo
