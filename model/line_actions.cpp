#include "model/line_actions.h"

#include "app/app_state.h"
#include "app/error_report.h"
#include "app/ui_port.h"
#include "comm/line_port.h"
#include "device/device_check.h"
#include "model/installation.h"
#include "model/tree_items.h"

namespace lumo {

int addLine(DeviceTypeCode headType) {
    LineRecord tmpl;
    tmpl.setPort(0);
    tmpl.setHeadType(headType);
    tmpl.setMac(kFactoryMac);
    const int result = createLine(tmpl);
    if (result == -1) {
        combineError(err::kAddLineWrite);
        reportError();
    } else if (result == -2) {
        combineError(err::kAddLineTerminal);
        reportError();
    } else if (result > 0) {
        DeviceCheck(result - 1, 0);
        uiRefreshTree(result - 1, 0);
    }
    return result;
}

int applyLineSettings(int lineIndex, const LineSettings& settings) {
    LineRecord line;
    if (!readLineRecord(lineIndex, line)) {
        combineError(err::kLineDialogRead);
        reportError();
        return 0;
    }
    // The port must be free for the new settings.
    if (line.flags() == 0 && line.port() != 0) LineClose(lineIndex);
    if (settings.port) line.setPort(*settings.port);
    if (settings.speed) line.setSpeed(*settings.speed);
    // A stored 1 (a new USB line) shows as RS485 and is saved as 2 like any RS485 line.
    const bool rs485 = settings.rs485.value_or(line.directionControl() != 0);
    line.setDirectionControl(rs485 ? 2 : 0);
    if (settings.parity) line.setParity(*settings.parity);
    if (settings.description) line.setDescription(*settings.description);
    if (settings.ipAddress) line.setIpAddress(*settings.ipAddress);
    if (settings.tcpPort) line.setTcpPort(*settings.tcpPort);
    line.setFlags(line.flags() & ~flags::kLineOff);

    const bool opened = LineOpenFromRecord(lineIndex, line) == 0;
    if (!opened) {
        const char* question = line.isTcp()
                                   ? "Cílový hostitel není dostupný! \nZkontrolujte nastavení TCP. \nChcete pokračovat ?"
                                   : "Komunikační zásuvka není dostupná ! \nPatrně ji používá jiná aplikace. \nChcete pokračovat ?";
        if (!uiAsk("Inicializace", question)) {
            LineClose(lineIndex);
            return 0;
        }
        line.setFlags(line.flags() | flags::kUnreachable);
    } else {
        line.setFlags(line.flags() & ~flags::kUnreachable);
    }
    LineClose(lineIndex);
    uiUpdateTreeItemImage(itemKey(lineIndex, 0), lineImage(line));
    if (!writeLineRecord(lineIndex, line)) {
        combineError(err::kLineDialogSave);
        reportError();
        return 0;
    }
    uiUpdateTreeItemLabel(itemKey(lineIndex, 0), line.description());
    return 1;
}

}  // namespace lumo
