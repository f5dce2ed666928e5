// "Komunikační linka": the connection settings of a COM or USB line, verified on "Použít".
#include <QComboBox>
#include <QDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "base/app_state.h"
#include "base/error_report.h"
#include "model/installation.h"
#include "actions/install_actions.h"
#include "platform/system_error.h"
#include "ui/field_rules.h"
#include "ui/qt/dialogs.h"
#include "actions/action_errors.h"

namespace lumo::gui {

int runLineDialog(QWidget* owner, int lineIndex) {
    platform::setLastSystemError(0);
    LineRecord line;
    if (!readLineRecord(lineIndex, line)) {
        combineError(err::kLineDialogRead);
        reportError();
        return 0;
    }
    QDialog dialog(owner);
    dialog.setWindowTitle(QString::fromUtf8("Komunikační linka"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* form = new QFormLayout;
    layout->addLayout(form);

    auto* port = new QComboBox(&dialog);
    port->setObjectName("port");
    port->addItem("TCP ");
    for (int n = 1; n <= 8; ++n) port->addItem(QString("COM%1").arg(n));
    port->setCurrentIndex(line.port() <= 8 ? line.port() : 0);
    auto* speed = new QComboBox(&dialog);
    speed->setObjectName("speed");
    speed->addItems({"9600", "19200"});
    speed->setCurrentIndex(line.speed() == 0 ? 0 : 1);
    auto* kind = new QComboBox(&dialog);
    kind->setObjectName("kind");
    kind->addItems({"RS232", "RS485"});
    kind->setCurrentIndex(line.directionControl() == 0 ? 0 : 1);
    auto* parity = new QComboBox(&dialog);
    parity->setObjectName("parity");
    parity->addItems({QString::fromUtf8("žádná"), QString::fromUtf8("lichá"), QString::fromUtf8("sudá")});
    parity->setCurrentIndex(line.parity() < 3 ? line.parity() : 0);
    auto* ip = new QLineEdit(QString::fromStdString(line.ipAddress()), &dialog);
    ip->setObjectName("ip");
    ip->setMaxLength(17);
    auto* tcpPort = new QLineEdit(QString::number(line.tcpPort()), &dialog);
    tcpPort->setObjectName("tcpPort");
    auto* description = new QLineEdit(QString::fromStdString(line.description()), &dialog);
    description->setObjectName("description");
    description->setMaxLength(15);
    form->addRow(QString::fromUtf8("Komunikační port"), port);
    form->addRow(QString::fromUtf8("Přenosová rychlost"), speed);
    form->addRow(QString::fromUtf8("Typ komunikace"), kind);
    form->addRow(QString::fromUtf8("Parita"), parity);
    form->addRow(QString::fromUtf8("IP adresa"), ip);
    form->addRow(QString::fromUtf8("TCP port"), tcpPort);
    form->addRow(QString::fromUtf8("Popis"), description);

    // A TCP line takes an address and a port; a COM line speed, parity and kind.
    auto enable = [&] {
        const bool tcp = port->currentIndex() == 0;
        ip->setEnabled(tcp);
        tcpPort->setEnabled(tcp);
        speed->setEnabled(!tcp);
        parity->setEnabled(!tcp);
        kind->setEnabled(!tcp);
    };
    enable();
    QObject::connect(port, &QComboBox::currentIndexChanged, &dialog, enable);

    auto* buttons = new QHBoxLayout;
    auto* apply = new QPushButton(QString::fromUtf8("Použít"), &dialog);
    apply->setObjectName("apply");
    auto* closeButton = new QPushButton(QString::fromUtf8("Zavřít"), &dialog);
    buttons->addStretch();
    buttons->addWidget(apply);
    buttons->addWidget(closeButton);
    layout->addLayout(buttons);
    QObject::connect(apply, &QPushButton::clicked, &dialog, [&] {
        LineSettings s;
        s.port = static_cast<std::uint8_t>(port->currentIndex());
        s.speed = static_cast<std::uint8_t>(speed->currentIndex());
        s.rs485 = kind->currentIndex() == 1;
        s.parity = static_cast<std::uint8_t>(parity->currentIndex());
        s.ipAddress = ip->text().left(17).toStdString();
        // A TCP line's port is 16 bits, and on port 0 it never connects; a COM line keeps the
        // port it has.
        if (tcpPort->isEnabled()) {
            const auto value = readNumberField("TCP port", tcpPort->text().toStdString(), 1, 65535);
            if (!value) {
                tcpPort->setFocus();
                tcpPort->selectAll();
                return;
            }
            s.tcpPort = static_cast<std::int32_t>(*value);
        }
        s.description = description->text().left(15).toStdString();
        if (actionDone(saveLineSettings(lineIndex, s))) dialog.done(1);
    });
    QObject::connect(closeButton, &QPushButton::clicked, &dialog, [&] { dialog.done(0); });
    finishDialog(&dialog);
    return dialog.exec() == 1 ? 1 : 0;
}

}  // namespace lumo::gui
