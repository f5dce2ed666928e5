// lumo-hw: the desktop control panel.
#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "app/app_state.h"
#include "app/program_config.h"
#include "app/startup.h"
#include "comm/line_port.h"
#include "platform/system_error.h"
#include "ui/qt/dialogs.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_ui_port.h"

namespace {

bool haveDisplay() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform != nullptr && *platform != '\0') return true;
    return std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    std::string workdir;
    for (int i = 1; i < argc; ++i) {
        if ((std::strcmp(argv[i], "-C") == 0 || std::strcmp(argv[i], "--workdir") == 0) && i + 1 < argc) {
            workdir = argv[++i];
        } else if (std::strcmp(argv[i], "--help") == 0) {
            std::printf("usage: lumo-hw [-C DIR]   (DIR: working directory with config.dat)\n");
            return 0;
        }
    }
    if (!haveDisplay()) {
        std::fprintf(stderr, "lumo-hw: no display to show the window on (set DISPLAY, or QT_QPA_PLATFORM)\n");
        return 1;
    }
    QApplication app(argc, argv);
    lumo::gui::installQtUiPort(nullptr);
    if (!lumo::appStartup(workdir)) {
        // First start: the configuration is asked for; closing the dialog ends the program.
        if (lumo::gui::runConfigDialog(nullptr) != 1 || lumo::saveConfig() != 0) {
            lumo::appShutdown();
            return 0;
        }
    }
    lumo::gui::MainWindow window;
    lumo::gui::installQtUiPort(&window);
    lumo::AppState& state = lumo::appState();
    state.mainWindow = &window;
    window.show();
    state.macAddress = lumo::kFactoryMac;

    window.setStatusText(QString::fromUtf8("probíhá kontrola portů..."));
    lumo::SocketsStart();
    // The scan runs beside the window so that it repaints meanwhile; it talks to the window
    // only through the user-interface port.
    window.setBusy(true);
    std::thread scan([&window] {
        lumo::checkLinesAtStartup();
        QMetaObject::invokeMethod(&window, [&window] {
            window.setStatusText(QString());
            window.setBusy(false);
        });
    });
    const int result = app.exec();
    scan.join();
    lumo::platform::setLastSystemError(0);
    lumo::appShutdown();
    (void)result;
    return 0;
}
