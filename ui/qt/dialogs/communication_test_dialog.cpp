// "Testování komunikace": the communication test started and stopped, its output shown.
#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include <atomic>
#include <memory>

#include "actions/device_actions.h"
#include "base/error_report.h"
#include "service/jobs.h"
#include "ui/qt/dialogs.h"

namespace lumo::gui {

int runCommunicationTestDialog(QWidget* owner, int lineIndex, int moduleNumber) {
    if (!requireModule(moduleNumber, kCannotRunOnLine)) return 0;
    QDialog dialog(owner);
    dialog.setWindowTitle(QString::fromUtf8("Testování komunikace"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* out = new QPlainTextEdit(&dialog);
    out->setObjectName("output");
    out->setReadOnly(true);
    out->setMinimumSize(360, 120);
    layout->addWidget(out);
    auto* buttons = new QHBoxLayout;
    auto* start = new QPushButton("Start", &dialog);
    start->setObjectName("start");
    auto* closeButton = new QPushButton(QString::fromUtf8("Zavřít"), &dialog);
    buttons->addStretch();
    buttons->addWidget(start);
    buttons->addWidget(closeButton);
    layout->addLayout(buttons);

    // The test's thread writes through these: carried over to the window's thread, and dropped
    // once the dialog is gone.
    const QPointer<QPlainTextEdit> output(out);
    const QPointer<QPushButton> button(start);
    auto show = [output](const std::string& text) {
        QMetaObject::invokeMethod(qApp, [output, t = QString::fromStdString(text)] {
            if (output) output->setPlainText(t);
        });
    };
    // Only this dialog's own test is stopped by it, never another job that runs.
    auto mine = std::make_shared<std::atomic<bool>>(false);
    auto ended = [button, mine](const ErrorRecord& error) {
        *mine = false;
        QMetaObject::invokeMethod(qApp, [button, error] {
            if (button) button->setText("Start");
            reportError(error);
        });
    };
    QObject::connect(start, &QPushButton::clicked, &dialog, [=] {
        if (*mine) {  // "Stop": the test ends after its cycle
            jobCancel();
            start->setText("Start");
            return;
        }
        *mine = true;
        if (actionDone(startCommunicationTest(lineIndex, moduleNumber, show, ended))) start->setText("Stop");
        else *mine = false;
    });
    QObject::connect(closeButton, &QPushButton::clicked, &dialog, [&] { dialog.done(1); });
    finishDialog(&dialog);
    const int result = dialog.exec();
    if (*mine) jobCancel();
    return result;
}

}  // namespace lumo::gui
