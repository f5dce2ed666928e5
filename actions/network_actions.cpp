#include "actions/network_actions.h"

#include "base/error_report.h"
#include "base/ui_port.h"
#include "actions/install_actions.h"
#include "model/installation.h"

namespace lumo {

int searchTcpDevices(bool wideMask, std::vector<SearchRow>& rows, int quietMs) {
    rows.clear();
    std::string address, fault;
    if (!searchBroadcastAddress(wideMask, address, fault)) {
        uiMessage("Vyhledání TCP zařízení", fault, MessageIcon::Warning);
        return kActionRefused;
    }
    return uiRunWaiting([&] {
        std::vector<SearchRow> arrived;
        const ErrorCode code = runTcpSearch(address, [&arrived](const SearchRow& r) { arrived.push_back(r); }, {}, quietMs);
        // The newest answer stands first.
        rows.assign(arrived.rbegin(), arrived.rend());
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
    int made = 0;
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        LineRecord tmpl;
        tmpl.setHeadType(it->type);
        tmpl.setIpAddress(it->ip);
        tmpl.setMac(it->mac);
        if (createCheckedLine(tmpl) <= 0) break;
        ++made;
    }
    return made > 0 ? made : kActionRefused;
}

}  // namespace lumo
