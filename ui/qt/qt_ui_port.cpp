#include "ui/qt/qt_ui_port.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QCloseEvent>
#include <QThread>

#include <atomic>
#include <exception>
#include <thread>

#include "actions/panel_actions.h"
#include "base/ui_port.h"
#include "ui/qt/dialogs.h"
#include "ui/qt/main_window.h"

namespace lumo::gui {
namespace {

std::atomic<bool> quittingFlag{false};
std::atomic<bool> cancelFlag{false};

// Message boxes show the arrow, also while an operation's wait cursor is up.
struct ArrowWhileShown {
    ArrowWhileShown() : pushed(QApplication::overrideCursor() != nullptr) {
        if (pushed) QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~ArrowWhileShown() {
        if (pushed) QApplication::restoreOverrideCursor();
    }
    bool pushed;
};

// The reader prompt: closing it with its frame's button stops the wait for a card.
class ReaderPrompt : public QLabel {
public:
    ReaderPrompt(const QString& text, QWidget* parent) : QLabel(text, parent, Qt::Tool) {}

protected:
    void closeEvent(QCloseEvent* event) override {
        cancelFlag = true;
        QLabel::closeEvent(event);
    }
};

bool onGuiThread() { return QThread::currentThread() == qApp->thread(); }

// Runs `f` on the application's thread and waits for it. Once the program is closing, a call
// from another thread does nothing and gives the result's default.
template <typename F>
auto onUiThread(F f) -> decltype(f()) {
    using R = decltype(f());
    if (onGuiThread()) return f();
    if constexpr (std::is_void_v<R>) {
        if (!quittingFlag) QMetaObject::invokeMethod(qApp, f, Qt::BlockingQueuedConnection);
    } else {
        R result{};
        if (!quittingFlag) QMetaObject::invokeMethod(qApp, [&] { result = f(); }, Qt::BlockingQueuedConnection);
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

QString qtText(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<int>(text.size())); }

}  // namespace

void setUiQuitting(bool quitting) { quittingFlag = quitting; }
void cancelOperation() { cancelFlag = true; }
bool uiQuitting() { return quittingFlag; }

void installQtUiPort(MainWindow* window) {
    QPointer<MainWindow> w(window);
    // A message box belongs to the active window, else to the main window: one shown right
    // after a dialog closed opens over the panel, not somewhere on its own.
    auto owner = [w]() -> QWidget* {
        if (QWidget* active = QApplication::activeWindow()) return active;
        return w.data();
    };
    UiPort port;
    port.showMessage = [owner](std::string_view caption, std::string_view text, MessageIcon icon) {
        const QString c = qtText(caption), t = qtText(text);
        onUiThread([&] {
            const ArrowWhileShown arrow;
            QMessageBox box(iconOf(icon), c, t, QMessageBox::Ok, owner());
            box.exec();
        });
    };
    port.askYesNo = [owner](std::string_view caption, std::string_view text, MessageIcon icon) {
        const QString c = qtText(caption), t = qtText(text);
        return onUiThread([&] {
            const ArrowWhileShown arrow;
            QMessageBox box(iconOf(icon), c, t, QMessageBox::NoButton, owner());
            QPushButton* yes = box.addButton(QString::fromUtf8("Ano"), QMessageBox::YesRole);
            box.addButton(QString::fromUtf8("Ne"), QMessageBox::NoRole);
            box.exec();
            return box.clickedButton() == yes;
        });
    };
    port.askYesNoCancel = [owner](std::string_view caption, std::string_view text, MessageIcon icon) {
        const QString c = qtText(caption), t = qtText(text);
        return onUiThread([&] {
            const ArrowWhileShown arrow;
            QMessageBox box(iconOf(icon), c, t, QMessageBox::NoButton, owner());
            QPushButton* yes = box.addButton(QString::fromUtf8("Ano"), QMessageBox::YesRole);
            QPushButton* no = box.addButton(QString::fromUtf8("Ne"), QMessageBox::NoRole);
            QPushButton* cancel = box.addButton(QString::fromUtf8("Storno"), QMessageBox::RejectRole);
            box.setDefaultButton(yes);
            box.setEscapeButton(cancel);
            box.exec();
            return box.clickedButton() == yes ? Reply::Yes : box.clickedButton() == no ? Reply::No : Reply::Cancel;
        });
    };
    port.setStatusText = [w](std::string_view text) {
        const QString t = qtText(text);
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
        const QString t = qtText(text);
        onUiThread([&] {
            if (w) w->showReport(t);
        });
    };
    port.progressShow = [w](std::string_view text) {
        const QString t = qtText(text);
        onUiThread([&] {
            if (w) w->showProgress(t);
        });
    };
    port.progressSetRange = [w](int count) {
        onUiThread([&] {
            if (w) w->setProgressRange(count);
        });
    };
    port.progressStep = [w] {
        onUiThread([&] {
            if (w) w->stepProgress();
        });
    };
    port.progressHide = [w] {
        onUiThread([&] {
            if (w) w->hideProgress();
        });
    };
    port.pumpMessages = [] {
        if (onGuiThread()) QCoreApplication::processEvents();
        return !quittingFlag && !cancelFlag;
    };
    port.readerPrompt = [w](bool visible) {
        return onUiThread([&] {
            static QPointer<QLabel> prompt;
            if (!visible) {
                delete prompt;
                return true;
            }
            delete prompt;
            // The text keeps its leading line end and blanks; the label shows it from the top.
            prompt = new ReaderPrompt(QString::fromUtf8("\r\n      přiložte identifikátor.... "), w);
            prompt->setWindowTitle(QString::fromUtf8("Kontrola funkce"));
            prompt->setObjectName("readerPrompt");
            prompt->setTextFormat(Qt::PlainText);
            prompt->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            prompt->setFixedSize(210, 60);
            CenterOverMainWindow(prompt);
            prompt->show();
            prompt->raise();
            return true;
        });
    };
    port.enterMacAddress = [w](std::array<std::uint8_t, 6>& mac) {
        return onUiThread([&] { return runMacEntryDialog(w, mac) == 1; });
    };
    port.runWaiting = [w](const std::function<int()>& operation) -> int {
        // Already off the user-interface thread (a job, the scan): the caller waits there.
        if (!onGuiThread()) return operation();
        // One operation on the lines at a time is the core's rule (the line lease): the caller
        // holds it already.
        cancelFlag = false;
        if (w) w->setOperationRunning(true);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        std::atomic<bool> finished{false};
        int result = 0;
        std::exception_ptr failure;
        std::thread worker([&] {
            try {
                result = operation();
            } catch (...) {
                failure = std::current_exception();  // thrown again here, the lease given back
            }
            finished = true;
            QMetaObject::invokeMethod(qApp, [] {}, Qt::QueuedConnection);  // wakes the loop below
        });
        while (!finished) QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        worker.join();
        QApplication::restoreOverrideCursor();
        if (w) w->setOperationRunning(false);
        if (failure) std::rethrow_exception(failure);
        return result;
    };
    installUiPort(std::move(port));
}

}  // namespace lumo::gui
