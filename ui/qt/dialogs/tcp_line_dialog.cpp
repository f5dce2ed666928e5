// "Komunikační linka TCP": the widgets of TcpLineForm (ui/tcp_line_form.h), and the window of
// its device's configuration console.
#include <QDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <utility>

#include "ui/qt/dialogs.h"
#include "ui/tcp_line_form.h"

namespace lumo::gui {
namespace {

// The console's text as it comes (8-bit, shown and typed as Latin-1); the window keeps its last
// few thousand lines. The typed line goes on Enter.
void runConsoleWindow(QWidget* owner, TcpConsole& console) {
    QDialog window(owner);
    window.setWindowTitle(QString::fromStdString(console.title()));
    auto* layout = new QVBoxLayout(&window);
    auto* shown = new QPlainTextEdit(&window);
    shown->setObjectName("console");
    shown->setReadOnly(true);
    shown->setMinimumSize(520, 300);
    shown->setMaximumBlockCount(3000);
    QFont fixed("Monospace");
    fixed.setStyleHint(QFont::TypeWriter);
    shown->setFont(fixed);
    auto* typed = new QLineEdit(&window);
    typed->setObjectName("typed");
    layout->addWidget(shown);
    layout->addWidget(typed);
    QObject::connect(typed, &QLineEdit::returnPressed, &window, [&] {
        const QByteArray text = typed->text().toLatin1();
        typed->clear();
        console.send(std::string(text.constData(), static_cast<std::size_t>(text.size())));
    });
    // The window takes what has come a few times a second.
    QTimer drain;
    QObject::connect(&drain, &QTimer::timeout, &window, [&] {
        bool closed = false;
        const std::string piece = console.take(closed);
        if (!piece.empty()) {
            shown->moveCursor(QTextCursor::End);
            shown->insertPlainText(QString::fromLatin1(piece.data(), static_cast<int>(piece.size())));
        }
        if (closed) {
            shown->appendPlainText(QString::fromUtf8(TcpConsole::closedNote()));
            typed->setEnabled(false);
        }
    });
    drain.start(50);
    finishDialog(&window);
    window.exec();
}

}  // namespace

int runTcpLineDialog(QWidget* owner, int lineIndex) {
    TcpLineForm form;
    form.open(lineIndex);
    QDialog dialog(owner);
    dialog.setWindowTitle(QString::fromUtf8("Komunikační linka TCP"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* rows = new QFormLayout;
    auto* description = new QLineEdit(&dialog);
    auto* ip = new QLineEdit(&dialog);
    auto* tcpPort = new QLineEdit(&dialog);
    description->setObjectName("description");
    ip->setObjectName("ip");
    tcpPort->setObjectName("tcpPort");
    for (QLineEdit* e : {description, ip, tcpPort}) e->setMinimumWidth(240);
    rows->addRow("Popis", description);
    rows->addRow("IP adresa", ip);
    rows->addRow("TCP port", tcpPort);
    layout->addLayout(rows);
    auto* device = new QGridLayout;
    const std::pair<QPushButton*, FormField*> deviceButtons[] = {
        {new QPushButton(&dialog), &form.setAddress}, {new QPushButton(&dialog), &form.console}, {new QPushButton(&dialog), &form.web}};
    for (int i = 0; i < 3; ++i) device->addWidget(deviceButtons[i].first, i, 0);
    layout->addLayout(device);
    const auto buttons = addButtonRow(dialog, layout, {"Uložit", "Zavřít"});

    const std::pair<QLineEdit*, FormField*> fields[] = {{description, &form.description}, {ip, &form.ip}, {tcpPort, &form.tcpPort}};
    auto show = [&] {
        for (const auto& [widget, value] : fields) showField(widget, *value);
        for (const auto& [widget, value] : deviceButtons) showButton(widget, *value);
        dialog.setEnabled(!form.busy);
    };
    show();
    form.showNow = show;
    form.reselect = [&](const FormField& f) {
        for (const auto& [widget, value] : fields) {
            if (value != &f) continue;
            widget->setFocus();
            widget->selectAll();
        }
    };
    form.showConsole = [&](TcpConsole& console) { runConsoleWindow(&dialog, console); };
    for (const auto& [widget, value] : fields)
        QObject::connect(widget, &QLineEdit::textChanged, &dialog, [f = value](const QString& t) { f->text = t.toStdString(); });
    int (TcpLineForm::*const presses[])() = {&TcpLineForm::pressSetAddress, &TcpLineForm::pressConsole, &TcpLineForm::pressWeb};
    for (int i = 0; i < 3; ++i) {
        QObject::connect(deviceButtons[i].first, &QPushButton::clicked, &dialog, [&, press = presses[i]] {
            (form.*press)();
            show();
        });
    }
    QObject::connect(buttons[0], &QPushButton::clicked, &dialog, [&] {
        if (const int result = form.pressSave(); result != kFormStaysOpen) dialog.done(result);
    });
    QObject::connect(buttons[1], &QPushButton::clicked, &dialog, [&] { dialog.done(form.pressClose()); });
    finishDialog(&dialog);
    return execDialog(dialog) == 1 ? 1 : 0;
}

}  // namespace lumo::gui
