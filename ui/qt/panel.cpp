#include "ui/qt/panel.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QThread>
#include <QTranslator>

#include <atomic>
#include <thread>

#include "base/app_state.h"
#include "model/program_config.h"
#include "app/startup.h"
#include "service/jobs.h"
#include "base/error_report.h"
#include "base/ui_port.h"
#include "comm/line_port.h"
#include "platform/system_error.h"
#include "ui/qt/dialogs.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_ui_port.h"

namespace lumo::gui {

bool installCzechTranslation() {
    static QTranslator translator;
    if (!translator.load(QLocale(QLocale::Czech, QLocale::CzechRepublic), "qtbase", "_",
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    return QCoreApplication::installTranslator(&translator);
}

int runPanel(const std::string& workingDirectory, const LineVerifier& verify) {
    installQtUiPort(nullptr);
    const StartupState state = appStartup(workingDirectory);
    // A start that cannot go on ends here; a damaged or missing configuration is asked for.
    const int start = panelStartup(state, [] { return runConfigDialog(nullptr); });
    if (start != 1) return start < 0 ? 1 : 0;
    MainWindow window;
    installQtUiPort(&window);
    window.show();

    window.setStatusText(QString::fromUtf8("probíhá kontrola portů..."));
    SocketsStart();
    // The scan runs beside the window so that it repaints meanwhile; it talks to the window
    // only through the user-interface port.
    window.setBusy(true);
    std::atomic<bool> scanDone{false};
    std::thread scan([&window, &scanDone, &verify] {
        checkLinesAtStartup(verify);
        scanDone = true;
        QMetaObject::invokeMethod(&window, [&window] {
            window.setStatusText(QString());
            window.setBusy(false);
        });
    });
    setUiQuitting(false);
    QApplication::exec();
    // Closed, perhaps during the scan: it stops at its next line, and a call it makes of the
    // user interface meanwhile is still answered here rather than waited for forever.
    setUiQuitting(true);
    while (!scanDone) QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    scan.join();
    // A background job the user agreed to stop ends at its next waiting point.
    jobCancel();
    while (jobActive()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
    JobWait();
    platform::setLastSystemError(0);
    appShutdown();
    installUiPort({});
    return 0;
}

}  // namespace lumo::gui
