#include "support/installation_fixture.h"

#include "app/app_state.h"
#include "app/ui_port.h"
#include "platform/system_error.h"

namespace lumo::test {

void InstallationTest::SetUp() {
    resetAppState();
    appState().workingDirectory = dir.str();
    appState().dataDirectory = dir.dir();
    platform::setLastSystemError(0);
    ui.install();
}

void InstallationTest::TearDown() { installUiPort({}); }

}  // namespace lumo::test
