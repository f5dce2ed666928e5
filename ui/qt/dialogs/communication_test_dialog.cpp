// "Testování komunikace": the widgets of CommunicationTestForm (ui/communication_test_form.h).
#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

#include "ui/communication_test_form.h"
#include "ui/qt/dialogs.h"

namespace lumo::gui {

int runCommunicationTestDialog(QWidget* owner, int lineIndex, int moduleNumber) {
    CommunicationTestForm form;
    if (!form.open(lineIndex, moduleNumber)) return 0;
    QDialog dialog(owner);
    dialog.setWindowTitle(QString::fromUtf8("Testování komunikace"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* output = new QPlainTextEdit(&dialog);
    output->setObjectName("output");
    output->setReadOnly(form.output.readOnly);
    output->setMinimumSize(360, 120);
    layout->addWidget(output);
    auto* buttons = new QHBoxLayout;
    auto* start = new QPushButton(&dialog);
    start->setObjectName("start");
    auto* closeButton = new QPushButton(QString::fromUtf8("Zavřít"), &dialog);
    buttons->addStretch();
    buttons->addWidget(start);
    buttons->addWidget(closeButton);
    layout->addLayout(buttons);

    auto show = [&] {
        const QString text = QString::fromStdString(form.output.text);
        if (output->toPlainText() != text) output->setPlainText(text);
        showButton(start, form.start);
    };
    show();
    form.showNow = show;
    form.toWindow = [](std::function<void()> call) { QMetaObject::invokeMethod(qApp, std::move(call)); };
    QObject::connect(start, &QPushButton::clicked, &dialog, [&] {
        form.pressStart();
        show();
    });
    QObject::connect(closeButton, &QPushButton::clicked, &dialog, [&] { dialog.done(form.pressClose()); });
    finishDialog(&dialog);
    const int result = execDialog(dialog);
    form.ended();
    return result;
}

}  // namespace lumo::gui
