#include "device/communication_test.h"

#include "base/error_record.h"
#include "comm/line_port.h"
#include "comm/transaction.h"
#include "platform/clock.h"

namespace lumo {

std::uint32_t runCommunicationTest(int lineIndex, std::uint8_t id, const std::function<void(const std::string&)>& output,
                                   const std::function<bool()>& goOn) {
    output("Start....");
    std::uint32_t result = 0;
    for (;;) {
        const std::string text = "Test INF 7 ... ";
        result = DeviceTransaction(sub::kInfTest, "INF", lineIndex, id, "", kModeSelect | kNoAnswer | kNoWaitCursor, {});
        if (isErrorResult(result)) {
            setError(result);
            output(text + "Chyba při testu ! ");
            break;
        }
        output(text + " \r\n" + "Test ukončen.... ");
        if (!goOn()) break;
        platform::pause(100);
        if (!goOn()) break;
    }
    LineClose(lineIndex);
    return result;
}

}  // namespace lumo
