#include "ui/qt/qt_ui_port.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QThread>

#include "base/ui_port.h"
#include "ui/qt/dialogs.h"
#include "ui/qt/main_window.h"

namespace lumo::gui {
namespace {

// Runs `f` on the application's thread and waits for it.
template <typename F>
auto onUiThread(F f) -> decltype(f()) {
    if (QThread::currentThread() == qApp->thread()) return f();
    using R = decltype(f());
    if constexpr (std::is_void_v<R>) {
        QMetaObject::invokeMethod(qApp, f, Qt::BlockingQueuedConnection);
    } else {
        R result{};
        QMetaObject::invokeMethod(qApp, [&] { result = f(); }, Qt::BlockingQueuedConnection);
        return result;
    }
}

QMessageBox::Icon iconOf(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information: return QMessageBox::Information;
        case MessageIcon::Warning: return QMessageBox::Warning;
        case MessageIcon::Error: return QMessageBox::Critical;
        case MessageIcon::Question: return QMessageBox::Question;
        default: return QMessageBox::NoIcon;
    }
}

QWidget* ownerWindow() {
    QWidget* active = QApplication::activeWindow();
    return active != nullptr ? active : nullptr;
}

}  // namespace

void installQtUiPort(MainWindow* window) {
    QPointer<MainWindow> w(window);
    UiPort port;
    port.showMessage = [](std::string_view caption, std::string_view text, MessageIcon icon) {
        const QString c = QString::fromUtf8(caption.data(), static_cast<int>(caption.size()));
        const QString t = QString::fromUtf8(text.data(), static_cast<int>(text.size()));
        onUiThread([&] {
            QMessageBox box(iconOf(icon), c, t, QMessageBox::Ok, ownerWindow());
            box.exec();
        });
    };
    port.askYesNo = [](std::string_view caption, std::string_view text, MessageIcon icon) {
        const QString c = QString::fromUtf8(caption.data(), static_cast<int>(caption.size()));
        const QString t = QString::fromUtf8(text.data(), static_cast<int>(text.size()));
        return onUiThread([&] {
            QMessageBox box(iconOf(icon), c, t, QMessageBox::NoButton, ownerWindow());
            QPushButton* yes = box.addButton(QString::fromUtf8("Ano"), QMessageBox::YesRole);
            box.addButton(QString::fromUtf8("Ne"), QMessageBox::NoRole);
            box.exec();
            return box.clickedButton() == yes;
        });
    };
    port.setStatusText = [w](std::string_view text) {
        const QString t = QString::fromUtf8(text.data(), static_cast<int>(text.size()));
        onUiThread([&] {
            if (w) w->setStatusText(t);
        });
    };
    port.setWaitCursor = [](bool busy) {
        onUiThread([&] {
            if (busy) QApplication::setOverrideCursor(Qt::WaitCursor);
            else QApplication::restoreOverrideCursor();
        });
    };
    port.destroyActiveWindow = [] {
        onUiThread([] {
            if (QWidget* active = QApplication::activeWindow()) active->close();
        });
    };
    port.refreshTree = [w](int line, int module) {
        onUiThread([&] {
            if (w) w->refreshTree(line, module);
        });
    };
    port.updateTreeItem = [w](unsigned key, const std::optional<std::string>& label, int image) {
        onUiThread([&] {
            if (w) w->updateTreeItem(key, label, image);
        });
    };
    port.showReport = [w](std::string_view text) {
        const QString t = QString::fromUtf8(text.data(), static_cast<int>(text.size()));
        onUiThread([&] {
            if (w) w->showReport(t);
        });
    };
    port.pumpMessages = [] {
        if (QThread::currentThread() == qApp->thread()) QCoreApplication::processEvents();
        return true;
    };
    port.readerPrompt = [w](bool visible) {
        return onUiThread([&] {
            static QPointer<QLabel> prompt;
            if (!visible) {
                delete prompt;
                return true;
            }
            prompt = new QLabel(QString::fromUtf8("\r\n      přiložte identifikátor.... "), w, Qt::Tool);
            prompt->setFixedSize(210, 60);
            centreOverMainWindow(prompt);
            prompt->show();
            return true;
        });
    };
    port.enterMacAddress = [w](std::array<std::uint8_t, 6>& mac) {
        return onUiThread([&] { return runMacEntryDialog(w, mac) == 1; });
    };
    installUiPort(std::move(port));
}

}  // namespace lumo::gui
