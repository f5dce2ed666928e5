#include "support/installation_fixture.h"

#include "base/app_state.h"
#include "base/ui_port.h"
#include "model/installation.h"
#include "platform/system_error.h"
#include "support/no_ports.h"

namespace lumo::test {

void InstallationTest::SetUp() {
    resetAppState();
    appState().workingDirectory = dir.str();
    appState().dataDirectory = dir.dir();
    platform::setLastSystemError(0);
    writeNoPorts(dir.str());
    ui.install();
}

int InstallationTest::newLine(std::uint8_t headType) {
    LineRecord tmpl;
    tmpl.setHeadType(headType);
    tmpl.setMac(kFactoryMac);
    return createLine(tmpl);
}

void InstallationTest::TearDown() { installUiPort({}); }

}  // namespace lumo::test
