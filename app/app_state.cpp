#include "app/app_state.h"

namespace lumo {

AppState& appState() {
    static AppState state;
    return state;
}

void resetAppState() {
    AppState& s = appState();
    s.instance = s.mainWindow = s.menu = s.treeView = s.dialogOwner = s.infoPane = s.jobFile = nullptr;
    s.dialogMode = 0;
    s.oldHardware = 0;
    s.dataDirectory.clear();
    s.secondDirectory.clear();
    s.errorCode = 0;
    s.jobRunning = 0;
    s.activeOnlyFilter = 0;
    s.toolbarVisible = 0;
    s.macAddress = {};
    s.adapterIndex = 0;
    s.adapterAddress.clear();
    s.workingDirectory.clear();
    s.selectedLine = 0;
    s.selectedModule = 0;
}

}  // namespace lumo
