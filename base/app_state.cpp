#include "base/app_state.h"

namespace lumo {

AppState& appState() {
    static AppState state;
    return state;
}

void resetAppState() {
    AppState& s = appState();
    s.dataDirectory.clear();
    s.secondDirectory.clear();
    s.workingDirectory.clear();
    s.jobRunning = 0;
    s.activeOnlyFilter = 0;
    s.toolbarVisible = 0;
    s.adapterIndex = 0;
    s.adapterAddress.clear();
    clearError();
}

}  // namespace lumo
