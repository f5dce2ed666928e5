#include "support/bench_installation.h"

#include "base/app_state.h"
#include "base/ui_port.h"
#include "comm/line_port.h"
#include "model/installation.h"

namespace lumo::test {

void useSimulatedSerialLine(const std::filesystem::path& dir) {
    installUiPort({});
    appState().workingDirectory = dir.string();
    appState().dataDirectory = dir.string() + "/";
    std::filesystem::create_directories(dir / "line1");
    LineRecord line;
    line.setLineNumber(1);
    line.setPort(3);
    line.setSpeed(1);
    writeLineRecord(0, line);
    LineConfigure(0, line);
}

bool addModuleRecord(int lineIndex, int k, int id, int type) {
    ModuleRecord module;
    module.setId(static_cast<std::uint8_t>(id));
    module.setType(static_cast<DeviceTypeCode>(type));
    return writeModuleRecord(lineIndex, k, module);
}

}  // namespace lumo::test
