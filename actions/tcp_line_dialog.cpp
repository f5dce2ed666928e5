// "Komunikační linka TCP": a TCP converter line's description, address and port; the device's
// own address set, its configuration console opened in the panel's terminal.
#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

#include "actions/install_actions.h"
#include "actions/network_actions.h"
#include "base/error_report.h"
#include "base/ui_port.h"
#include "comm/telnet.h"
#include "model/installation.h"
#include "platform/net.h"
#include "platform/system_error.h"
#include "ui/qt/dialogs.h"

namespace lumo::gui {
namespace {

// The configuration console of the device at `address`, port 9999: what arrives is shown, the
// typed line goes on Enter, every telnet option is refused.
void runConsoleWindow(QWidget* owner, const std::string& address) {
    platform::Ipv4 ip;
    auto socket = std::make_shared<platform::TcpSocket>();
    if (!platform::resolveIpv4(address, ip) || !socket->create() || !socket->setNonBlocking() ||
        socket->connect(ip, kConsolePort, 3000) != platform::TcpSocket::ConnectResult::Connected) {
        uiMessage("Konfigurace", "Nelze se připojit k " + address + ":" + std::to_string(kConsolePort) + ". ", MessageIcon::Information);
        return;
    }
    QDialog window(owner);
    window.setWindowTitle(QString::fromStdString("Konfigurace " + address));
    auto* layout = new QVBoxLayout(&window);
    auto* shown = new QPlainTextEdit(&window);
    shown->setObjectName("console");
    shown->setReadOnly(true);
    shown->setMinimumSize(520, 300);
    QFont fixed("Monospace");
    fixed.setStyleHint(QFont::TypeWriter);
    shown->setFont(fixed);
    auto* typed = new QLineEdit(&window);
    typed->setObjectName("typed");
    layout->addWidget(shown);
    layout->addWidget(typed);
    auto mutex = std::make_shared<std::mutex>();
    auto open = std::make_shared<std::atomic<bool>>(true);
    QObject::connect(typed, &QLineEdit::returnPressed, &window, [&] {
        const auto bytes = consoleLine(typed->text().toStdString());
        typed->clear();
        const std::lock_guard lock(*mutex);
        socket->send(bytes.data(), bytes.size());
    });
    QPointer<QPlainTextEdit> target(shown);
    std::thread reader([socket, mutex, open, target] {
        TelnetFilter filter;
        while (*open) {
            std::uint8_t byte = 0;
            const auto got = socket->recvByte(byte, 100);
            if (got == platform::TcpSocket::RecvResult::Closed || got == platform::TcpSocket::RecvResult::Error) {
                QMetaObject::invokeMethod(qApp, [target] {
                    if (target) target->appendPlainText(QString::fromUtf8("\n[zařízení spojení ukončilo]"));
                });
                return;
            }
            if (got != platform::TcpSocket::RecvResult::Byte) continue;
            std::vector<std::uint8_t> reply;
            const std::string text = filter.take(&byte, 1, reply);
            if (!reply.empty()) {
                const std::lock_guard lock(*mutex);
                socket->send(reply.data(), reply.size());
            }
            if (text.empty() || text == "\r") continue;
            const QString piece = QString::fromLatin1(text.data(), static_cast<int>(text.size()));
            QMetaObject::invokeMethod(qApp, [target, piece] {
                if (!target) return;
                target->moveCursor(QTextCursor::End);
                target->insertPlainText(piece);
            });
        }
    });
    finishDialog(&window);
    window.exec();
    *open = false;
    socket->shutdownReceive();
    reader.join();
}

}  // namespace

int runTcpLineDialog(QWidget* owner, int lineIndex) {
    platform::setLastSystemError(0);
    QDialog dialog(owner);
    dialog.setWindowTitle(QString::fromUtf8("Komunikační linka TCP"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* form = new QFormLayout;
    auto* description = new QLineEdit(&dialog);
    auto* address = new QLineEdit(&dialog);
    auto* port = new QLineEdit(&dialog);
    description->setObjectName("description");
    address->setObjectName("ip");
    port->setObjectName("tcpPort");
    description->setMaxLength(15);
    address->setMaxLength(17);
    for (QLineEdit* e : {description, address, port}) e->setMinimumWidth(240);
    form->addRow("Popis", description);
    form->addRow("IP adresa", address);
    form->addRow("TCP port", port);
    layout->addLayout(form);
    LineRecord line;
    if (readLineRecord(lineIndex, line)) {
        description->setText(QString::fromStdString(line.description()));
        address->setText(QString::fromStdString(line.ipAddress()));
        port->setText(QString::number(line.tcpPort()));
    } else {
        combineError(err::kLineDialogRead);
        reportError();
    }
    auto* device = new QGridLayout;
    const char* deviceButtons[] = {"Nastavit IP adresu v zařízení", "Konfigurovat přes TELNET", "Sputit WEB rozhraní"};
    QPushButton* actions[3];
    for (int i = 0; i < 3; ++i) {
        actions[i] = new QPushButton(QString::fromUtf8(deviceButtons[i]), &dialog);
        device->addWidget(actions[i], i, 0);
    }
    layout->addLayout(device);
    auto* buttons = new QHBoxLayout;
    auto* save = new QPushButton(QString::fromUtf8("Uložit"), &dialog);
    auto* close = new QPushButton(QString::fromUtf8("Zavřít"), &dialog);
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    QObject::connect(actions[0], &QPushButton::clicked, &dialog,
                     [&] { setDeviceAddress(lineIndex, address->text().toStdString()); });
    QObject::connect(actions[1], &QPushButton::clicked, &dialog,
                     [&] { runConsoleWindow(&dialog, address->text().toStdString()); });
    QObject::connect(actions[2], &QPushButton::clicked, &dialog, [] {
        uiMessage("Konfigurace",
                  "Služba není podporována. \nPoužijte prosím váš webový prohlížeč do jehož adresního řádku zahejte IP adresu "
                  "zařízení.",
                  MessageIcon::Information);
    });
    QObject::connect(save, &QPushButton::clicked, &dialog, [&] {
        LineSettings settings;
        settings.description = description->text().toStdString();
        settings.ipAddress = address->text().toStdString();
        bool ok = false;
        const int value = port->text().toInt(&ok);
        settings.tcpPort = ok ? value : 0;  // not a number: 0, no other check
        if (saveLineSettings(lineIndex, settings) == 1) dialog.done(1);
    });
    QObject::connect(close, &QPushButton::clicked, &dialog, &QDialog::reject);
    finishDialog(&dialog);
    return dialog.exec();
}

}  // namespace lumo::gui
