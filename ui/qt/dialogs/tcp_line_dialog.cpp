// "Komunikační linka TCP": a TCP converter line's description, address and port; the device's
// own address set, its configuration console opened in the panel's terminal.
#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
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
#include "platform/clock.h"
#include "platform/net.h"
#include "platform/system_error.h"
#include "ui/field_rules.h"
#include "ui/qt/dialogs.h"
#include "actions/action_errors.h"

namespace lumo::gui {
namespace {

// What the reader thread hands to the window: text not shown yet, and whether the device has
// closed. The reader waits while much is pending (the device then waits for the network), so a
// device that sends without end costs no memory.
struct ConsoleFeed {
    std::mutex mutex;
    std::string pending;
    bool closed = false;
    std::atomic<bool> open{true};
    static constexpr std::size_t kMostPending = 256 * 1024;
};

// The configuration console of the device at `address`, port 9999: what arrives is shown, the
// typed line goes on Enter, every telnet option is refused. The device's text is 8-bit (shown
// and typed as Latin-1); the window keeps its last few thousand lines.
void runConsoleWindow(QWidget* owner, const std::string& address) {
    platform::Ipv4 ip;
    auto socket = std::make_shared<platform::TcpSocket>();
    const bool connected = uiRunWaiting([&] {
        return platform::resolveIpv4(address, ip) && socket->create() && socket->setNonBlocking() &&
                       socket->connect(ip, kConsolePort, 3000) == platform::TcpSocket::ConnectResult::Connected
                   ? 1
                   : 0;
    }) == 1;
    if (!connected) {
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
    shown->setMaximumBlockCount(3000);
    QFont fixed("Monospace");
    fixed.setStyleHint(QFont::TypeWriter);
    shown->setFont(fixed);
    auto* typed = new QLineEdit(&window);
    typed->setObjectName("typed");
    layout->addWidget(shown);
    layout->addWidget(typed);
    auto feed = std::make_shared<ConsoleFeed>();
    auto sending = std::make_shared<std::mutex>();
    QObject::connect(typed, &QLineEdit::returnPressed, &window, [&] {
        const QByteArray text = typed->text().toLatin1();
        const auto bytes = consoleLine(std::string(text.constData(), static_cast<std::size_t>(text.size())));
        typed->clear();
        const std::lock_guard lock(*sending);
        socket->send(bytes.data(), bytes.size());
    });
    std::thread reader([socket, feed, sending] {
        TelnetFilter filter;
        ConsoleLines lines;
        std::uint8_t chunk[512];
        while (feed->open) {
            // What has come, up to a chunk, without waiting after the first byte.
            std::size_t n = 0;
            auto got = socket->recvByte(chunk[0], 100);
            if (got == platform::TcpSocket::RecvResult::Byte) {
                n = 1;
                while (n < sizeof chunk && (got = socket->recvByte(chunk[n], 0)) == platform::TcpSocket::RecvResult::Byte) ++n;
            }
            if (n == 0 && got != platform::TcpSocket::RecvResult::Timeout) break;
            std::vector<std::uint8_t> reply;
            const std::string text = lines.take(filter.take(chunk, n, reply));
            if (!reply.empty()) {
                const std::lock_guard lock(*sending);
                socket->send(reply.data(), reply.size());
            }
            if (!text.empty()) {
                const std::lock_guard lock(feed->mutex);
                feed->pending += text;
            }
            while (feed->open) {
                {
                    const std::lock_guard lock(feed->mutex);
                    if (feed->pending.size() < ConsoleFeed::kMostPending) break;
                }
                platform::pause(20);
            }
            if (n > 0 && got != platform::TcpSocket::RecvResult::Byte && got != platform::TcpSocket::RecvResult::Timeout)
                break;  // closed after what it sent last
        }
        const std::lock_guard lock(feed->mutex);
        feed->closed = true;
    });
    // The window takes what has come a few times a second, a bounded piece at a time.
    QTimer drain;
    bool closedShown = false;
    QObject::connect(&drain, &QTimer::timeout, &window, [&] {
        std::string piece;
        bool closed = false;
        {
            const std::lock_guard lock(feed->mutex);
            const std::size_t n = std::min<std::size_t>(feed->pending.size(), 64 * 1024);
            piece = feed->pending.substr(0, n);
            feed->pending.erase(0, n);
            closed = feed->closed && feed->pending.empty();
        }
        if (!piece.empty()) {
            shown->moveCursor(QTextCursor::End);
            shown->insertPlainText(QString::fromLatin1(piece.data(), static_cast<int>(piece.size())));
        }
        if (closed && !closedShown) {
            closedShown = true;
            shown->appendPlainText(QString::fromUtf8("\n[zařízení spojení ukončilo]"));
            typed->setEnabled(false);
        }
    });
    drain.start(50);
    finishDialog(&window);
    window.exec();
    drain.stop();
    feed->open = false;
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
    MacAddress deviceMac{};  // the device's MAC address, loaded with the line
    if (readLineRecord(lineIndex, line)) {
        deviceMac = line.mac();
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
    const auto buttons = addButtonRow(dialog, layout, {"Uložit", "Zavřít"});
    QPushButton* save = buttons[0];
    QPushButton* close = buttons[1];
    // While the device is set and checked the dialog takes no other command.
    QObject::connect(actions[0], &QPushButton::clicked, &dialog, [&] {
        dialog.setEnabled(false);
        setDeviceAddress(lineIndex, address->text().toStdString(), &deviceMac);
        dialog.setEnabled(true);
    });
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
        // A TCP port is 16 bits, and a line on port 0 never connects: anything else is refused
        // before the line is tried or stored.
        const auto tcpPort = readNumberField("TCP port", port->text().toStdString(), 1, 65535);
        if (!tcpPort) {
            port->setFocus();
            port->selectAll();
            return;
        }
        settings.tcpPort = static_cast<std::int32_t>(*tcpPort);
        settings.tcpLineDialog = true;
        if (saveLineSettings(lineIndex, settings) == 1) dialog.done(1);
    });
    QObject::connect(close, &QPushButton::clicked, &dialog, &QDialog::reject);
    finishDialog(&dialog);
    return dialog.exec();
}

}  // namespace lumo::gui
