#include "service/service_line.h"

#include "base/error_report.h"
#include "comm/line_port.h"

namespace lumo {

bool openServiceLine(int lineIndex, DeviceTypeCode type) {
    const ErrorCode opened = LineOpen(lineIndex | kServiceBit, type);
    if (opened == 0) return true;
    setError(opened);
    reportError();
    // An open that failed half way (a port opened, its settings refused) leaves nothing open:
    // the next open of the line would be refused as busy.
    LineClose(lineIndex);
    return false;
}

}  // namespace lumo
