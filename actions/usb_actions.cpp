#include "actions/usb_actions.h"

#include "actions/line_operation.h"

#include <cstdio>

#include "base/error_report.h"
#include "base/ui_port.h"
#include "actions/install_actions.h"
#include "model/installation.h"
#include "platform/usb_driver_registry.h"
#include "model/device_catalog.h"

namespace lumo {

int saveUsbRows(const std::vector<UsbRow>& rows) {
    // Each new line is checked on the wire: off the window's thread.
    return runOnLinesSimply([&] {
        int made = 0;
        std::vector<std::string> leftOut;
        for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
            const UsbRow& row = *it;
            if (row.type != head::kUsbConverter && row.type != head::kDeskReader && row.type != head::kUsbReader) {
                leftOut.push_back(row.serial);
                continue;
            }
            const int com = comNumberForSaving(row);
            if (com < 0) {
                reportError();
                break;
            }
            if (com == 0 || com > 255) {
                leftOut.push_back(row.serial);
                continue;
            }
            LineRecord tmpl;
            tmpl.setHeadType(row.type);
            tmpl.setPort(static_cast<std::uint8_t>(com));
            if (createCheckedLine(tmpl) <= 0) break;
            ++made;
        }
        if (!leftOut.empty()) {
            std::string list;
            for (const auto& s : leftOut) list += (list.empty() ? "" : ", ") + s;
            uiMessage("Vyhledání USB zařízení",
                      "Tato zařízení nejsou USB linky nebo nemají sériové zařízení, nebyla uložena: " + list + " ",
                      MessageIcon::Information);
        }
        return made > 0 ? made : kActionRefused;
    });
}

int cleanUsbDriversCommand() {
    std::vector<std::string> removed;
    if (platform::hasUsbDriverRegistry()) {
        // The desk readers' entries first, then the converters'.
        const struct {
            DeviceTypeCode type;
            const char* name;
        } kinds[] = {{head::kDeskReader, "DV3"}, {head::kUsbConverter, "WO485"}};
        for (const auto& kind : kinds) {
            if (const ErrorCode code = cleanUsbDriversFor(kind.type, removed); code != 0) {
                char text[96];
                std::snprintf(text, sizeof text, "Chyba při čištění registru %s: 0x%08X", kind.name, code);
                uiMessage("SERVIS", text, MessageIcon::Error);
                return kActionFailed;
            }
        }
        uiMessage("SERVIS", "Čištění registru proběhlo v pořádku", MessageIcon::Information);
        return kActionDone;
    }
    const ErrorCode code = cleanUsbDrivers(removed);
    if (code != 0) {
        char text[96];
        std::snprintf(text, sizeof text, "Chyba při čištění registru WO485: 0x%08X", code);
        uiMessage("SERVIS", text, MessageIcon::Error);
        return kActionFailed;
    }
    uiMessage("SERVIS", "Čištění registru proběhlo v pořádku", MessageIcon::Information);
    return kActionDone;
}

}  // namespace lumo
