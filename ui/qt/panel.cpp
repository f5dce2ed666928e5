#include "ui/qt/panel.h"

#include <QApplication>

#include <thread>

#include "base/app_state.h"
#include "model/program_config.h"
#include "app/startup.h"
#include "base/ui_port.h"
#include "comm/line_port.h"
#include "platform/system_error.h"
#include "ui/qt/dialogs.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_ui_port.h"

namespace lumo::gui {

int runPanel(const std::string& workingDirectory) {
    installQtUiPort(nullptr);
    if (!appStartup(workingDirectory)) {
        // First start: the configuration is asked for; closing the dialog ends the program and
        // nothing is written.
        if (runConfigDialog(nullptr) != 1) {
            appShutdown();
            return 0;
        }
    }
    MainWindow window;
    installQtUiPort(&window);
    window.show();
    appState().macAddress = kFactoryMac;

    window.setStatusText(QString::fromUtf8("probíhá kontrola portů..."));
    SocketsStart();
    // The scan runs beside the window so that it repaints meanwhile; it talks to the window
    // only through the user-interface port.
    window.setBusy(true);
    std::thread scan([&window] {
        checkLinesAtStartup();
        QMetaObject::invokeMethod(&window, [&window] {
            window.setStatusText(QString());
            window.setBusy(false);
        });
    });
    QApplication::exec();
    scan.join();
    platform::setLastSystemError(0);
    appShutdown();
    installUiPort({});
    return 0;
}

}  // namespace lumo::gui
