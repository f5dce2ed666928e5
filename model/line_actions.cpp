#include "model/line_actions.h"

#include "app/app_state.h"
#include "app/error_report.h"
#include "app/ui_port.h"
#include "model/installation.h"

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
        uiRefreshTree(result - 1, 0);
    }
    return result;
}

}  // namespace lumo
