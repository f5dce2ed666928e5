#include "ui/win32/panel.h"

#include <commctrl.h>
#include <ole2.h>

#include <thread>

#include "app/startup.h"
#include "base/error_report.h"
#include "base/ui_port.h"
#include "comm/line_port.h"
#include "platform/system_error.h"
#include "service/jobs.h"
#include "ui/win32/dialogs.h"
#include "ui/win32/main_window.h"
#include "ui/win32/win32_ui_port.h"

namespace lumo::win32 {

int runPanel(HINSTANCE instance, const std::string& workingDirectory, int showMode) {
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                  ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES |
                                      ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    // The folder browser and the file dialogs want the apartment of a window's thread.
    OleInitialize(nullptr);
    installWin32UiPort(nullptr);
    const StartupState state = appStartup(workingDirectory);
    // A start that cannot go on ends here; a damaged or missing configuration is asked for.
    const int start = panelStartup(state, [] { return runConfigDialog(nullptr); });
    if (start != 1) return start < 0 ? 1 : 0;
    MainWindow window;
    if (!window.create(instance)) {
        uiMessage("Kriticka chyba", "Chyba inicializace", MessageIcon::Error);
        appShutdown();
        return 1;
    }
    installWin32UiPort(&window);
    ShowWindow(window.handle(), showMode);
    UpdateWindow(window.handle());

    window.setStatusText("probíhá kontrola portů...");
    SocketsStart();
    // The scan runs beside the window so that it repaints meanwhile; it talks to the window
    // only through the user-interface port.
    window.setBusy(true);
    HANDLE scanDone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread scan([scanDone] {
        checkLinesAtStartup(verifyLine);
        postToWindowThread([] {
            if (MainWindow* w = mainWindow()) {
                w->setStatusText("");
                w->setBusy(false);
            }
        });
        SetEvent(scanDone);
    });
    setUiQuitting(false);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (translateMessage(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    // Closed, perhaps during the scan: it stops at its next line, and a call it makes of the
    // user interface meanwhile is still answered here rather than waited for forever.
    setUiQuitting(true);
    pumpUntil(scanDone);
    scan.join();
    CloseHandle(scanDone);
    // A background job the user agreed to stop ends at its next waiting point.
    jobCancel();
    while (jobActive()) {
        MSG pending;
        while (PeekMessageW(&pending, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&pending);
        Sleep(10);
    }
    JobWait();
    platform::setLastSystemError(0);
    appShutdown();
    installUiPort({});
    OleUninitialize();
    return 0;
}

}  // namespace lumo::win32
