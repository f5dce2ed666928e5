// Faults found by using the panel as a technician does: each case failed before its fix.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QActionGroup>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>

#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>

#include "base/ui_port.h"
#include "comm/line_lease.h"
#include "discovery/usb_search.h"
#include "gui/gui_fixture.h"
#include "platform/clock.h"
#include "service/jobs.h"
#include "serial/serial_number.h"
#include "serial/serial_register.h"
#include "ui/command_ids.h"
#include "ui/qt/dialogs.h"
#include "ui/qt/panel.h"

namespace lumo {
namespace {

using test::button;

class PanelFaults : public test::GuiTest {
protected:
    // Runs a command and measures the largest gap between two ticks of a 10 ms timer meanwhile;
    // `watch` sees the window at every tick.
    qint64 worstGapDuring(int command, const std::function<void()>& watch = {}) {
        QElapsedTimer gap;
        gap.start();
        qint64 worst = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            worst = std::max(worst, gap.restart());
            if (watch) watch();
        });
        ticker.start(10);
        window->runCommand(command);
        ticker.stop();
        return std::max(worst, gap.elapsed());
    }
};

// 1: a double click on a line, then a fold with the arrow key: each handler used to undo the
// other's fold until the stack overflowed.
TEST_F(PanelFaults, FoldAfterADoubleClickIsTheUsersOwn) {
    installDemoLines();
    QTreeWidgetItem* line = item(itemKey(0, 0));
    ASSERT_TRUE(line->isExpanded());
    onNextModal([](QWidget* w) { static_cast<QDialog*>(w)->done(0); });  // the line dialog
    const QRect r = window->tree()->visualItemRect(line);
    QTest::mouseClick(window->tree()->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(window->tree()->viewport(), Qt::LeftButton, {}, r.center());
    QApplication::processEvents();
    EXPECT_TRUE(line->isExpanded());  // the double click did not fold it
    QTest::keyClick(window->tree(), Qt::Key_Left);
    EXPECT_FALSE(line->isExpanded());
    QTest::keyClick(window->tree(), Qt::Key_Right);
    EXPECT_TRUE(line->isExpanded());
    // The TCP line's dialog opens on a double click, and folding it works after that too.
    std::string seen;
    closeNextMessage(seen);
    QTreeWidgetItem* tcp = item(itemKey(1, 0));
    const QRect t = window->tree()->visualItemRect(tcp);
    QTest::mouseClick(window->tree()->viewport(), Qt::LeftButton, {}, t.center());
    QTest::mouseDClick(window->tree()->viewport(), Qt::LeftButton, {}, t.center());
    QApplication::processEvents();
    EXPECT_EQ(seen, "Komunikační linka TCP");
    tcp->setExpanded(false);
    EXPECT_FALSE(tcp->isExpanded());
}

// 3: a check of a silent module (about 5.5 s on the wire) and the reader prompt no longer
// freeze the window: it handles events all along, shows the status text and the prompt's text,
// and holds input off meanwhile.
TEST_F(PanelFaults, WindowStaysAliveWhileAModuleIsChecked) {
    installDemoLines();
    select(0, 2);  // module 7: silent
    bool statusSeen = false, busySeen = false, checkGrayed = false;
    const qint64 worst = worstGapDuring(cmd::kCheck, [&] {
        statusSeen |= window->statusPart()->text() == QString::fromUtf8("probíhá prověření na id = 7");
        busySeen |= window->busy() && !window->tree()->isEnabled();
        checkGrayed |= !window->action(cmd::kCheck)->isEnabled() && window->action(cmd::kExit)->isEnabled();
    });
    EXPECT_LT(worst, 100);
    EXPECT_TRUE(statusSeen);
    EXPECT_TRUE(busySeen);
    EXPECT_TRUE(checkGrayed);
    EXPECT_EQ(window->statusPart()->text().toStdString(), "Zařízení na adrese 07 nebylo nalezeno !");
    EXPECT_FALSE(window->busy());
    EXPECT_TRUE(window->action(cmd::kCheck)->isEnabled());
}

class ReaderPromptFaults : public PanelFaults {};

TEST_F(ReaderPromptFaults, PromptShowsItsTextWhileTheWindowLives) {
    startSim({}, {"--reader", "0123456789ABCDEF01"});
    std::filesystem::create_directories(dir.path() / "line1");
    serialLine.setHeadType(13);
    ASSERT_TRUE(writeLineRecord(0, serialLine));
    window->refreshTree(0, 0);
    select(0, 0);
    std::string identifier;
    QString promptText;
    bool promptWasShown = false;
    closeNextMessage(identifier);  // "Načteno" with the identifier
    const qint64 worst = worstGapDuring(cmd::kCheck, [&] {
        if (auto* prompt = window->findChild<QLabel*>("readerPrompt"); prompt && prompt->isVisible()) {
            promptWasShown = true;
            promptText = prompt->text();
        }
    });
    EXPECT_LT(worst, 100);
    EXPECT_TRUE(promptWasShown);
    EXPECT_EQ(promptText.toStdString(), "\r\n      přiložte identifikátor.... ");
    EXPECT_EQ(identifier, "Načteno|0123456789ABCDEF01\r\n");
}

// Found in a technician's trial: after a removal nothing stays selected, so the commands do
// not act on the removed item; a rebuild keeps the status bar's verdict.
TEST_F(PanelFaults, RemovedItemIsNoLongerActedOn) {
    installDemoLines();
    select(2, 0);  // the USB line, without modules
    onNextModal([](QWidget* w) {
        for (QAbstractButton* b : qobject_cast<QMessageBox*>(w)->buttons()) {
            if (b->text() == QString::fromUtf8("Ano")) b->click();
        }
    });
    window->runCommand(cmd::kRemove);
    EXPECT_EQ(item(itemKey(2, 0)), nullptr);
    EXPECT_FALSE(window->hasSelection());
    EXPECT_TRUE(window->pane()->toPlainText().isEmpty());
    window->setStatusText("verdikt");
    window->runCommand(cmd::kCheck);  // nothing selected: nothing happens
    window->refreshTree(0, 0);
    EXPECT_EQ(window->statusPart()->text().toStdString(), "verdikt");
    EXPECT_TRUE(window->hasSelection());
}

// The line dialogs refuse a TCP port that is no number, one a TCP port cannot be and port 0 (a
// line that never connects), naming the field; the line is neither tried nor stored.
TEST_F(PanelFaults, LineDialogsRefuseATcpPortTheyCannotUse) {
    installDemoLines();
    const struct {
        int line;
        const char* save;
    } dialogs[] = {{1, "Uložit"}, {0, "Použít"}};  // "Komunikační linka TCP", "Komunikační linka"
    const char* const typed[] = {"10.77.0.30", "0", "70000", "-1", ""};
    for (const auto& d : dialogs) {
        LineRecord before;
        ASSERT_TRUE(readLineRecord(d.line, before));
        select(d.line, 0);
        std::vector<std::string> refusals;
        onNextModal([&](QWidget* w) {
            if (auto* port = w->findChild<QComboBox*>("port")) port->setCurrentIndex(0);  // TCP
            for (const char* text : typed) {
                w->findChild<QLineEdit*>("tcpPort")->setText(text);
                onNextMessageBox([&refusals](QMessageBox* box) {
                    refusals.push_back((box->windowTitle() + "|" + box->text()).toStdString());
                    box->done(0);
                });
                button(w, d.save)->click();
                EXPECT_TRUE(w->isVisible()) << text;
            }
            button(w, "Zavřít")->click();
        });
        window->runCommand(cmd::kProperties);
        std::vector<std::string> expected;
        for (const char* text : typed)
            expected.push_back(std::string("Upozornění|Pole „TCP port“: zadejte celé číslo od 1 do 65535 (zadáno „") + text + "“).");
        EXPECT_EQ(refusals, expected) << d.save;
        LineRecord after;
        ASSERT_TRUE(readLineRecord(d.line, after));
        EXPECT_EQ(after.bytes, before.bytes) << d.save;
    }
}

// A USB search that found no bridge says so; an empty list alone does not tell it has ended.
TEST_F(PanelFaults, UsbSearchThatFindsNothingSaysSo) {
    const std::string root = usbDevicesRoot();
    usbDevicesRoot() = dir.str() + "/no-usb-devices";
    std::string said;
    int rows = -1;
    onNextModal([&](QWidget* w) {
        onNextMessageBox([&said](QMessageBox* box) {
            said = (box->windowTitle() + "|" + box->text()).toStdString();
            box->done(0);
        });
        w->findChild<QPushButton*>("search")->click();
        rows = w->findChild<QTreeWidget*>("list")->topLevelItemCount();
        button(w, "Zavřít")->click();
    });
    window->runCommand(cmd::kUsbSearch);
    usbDevicesRoot() = root;
    EXPECT_EQ(rows, 0);
    EXPECT_EQ(said, "Vyhledání USB zařízení|Nebylo nalezeno žádné USB zařízení (převodník 10C4/EA60). \n"
                    "Zkontrolujte připojení zařízení. ");
}

// While a job runs, "Nastavení" and "Odebrat zařízení" are refused as every command on the
// lines is: the job's line is not closed under it, nor its data directory changed.
TEST_F(PanelFaults, SettingsAndRemovalWaitForTheJob) {
    installDemoLines();
    std::atomic<bool> release{false};
    backgroundJob().lineIndex = 2;
    ASSERT_TRUE(JobStart([&release] {
        while (!release) platform::pause(5);
        JobFinish();
    }));
    const std::string refusal = "Upozornění|Na pozadí již běží jiný proces. ";
    select(2, 0);
    for (int command : {cmd::kSettings, cmd::kRemove, cmd::kToolRemove}) {
        std::string seen;
        closeNextMessage(seen);
        window->runCommand(command);
        EXPECT_EQ(seen, refusal) << command;
    }
    release = true;
    while (jobActive()) QApplication::processEvents(QEventLoop::AllEvents, 10);
    JobWait();
    EXPECT_NE(item(itemKey(2, 0)), nullptr);
}

// The reader prompt can be closed: the wait for a card ends at its next attempt, not after all
// five (about 25 s).
TEST_F(ReaderPromptFaults, ClosingThePromptStopsTheWait) {
    startSim({}, {"--reader", "KRATKY"});  // too short to be an identifier: never recognised
    std::filesystem::create_directories(dir.path() / "line1");
    serialLine.setHeadType(13);
    ASSERT_TRUE(writeLineRecord(0, serialLine));
    window->refreshTree(0, 0);
    select(0, 0);
    QElapsedTimer took;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* prompt = window->findChild<QLabel*>("readerPrompt"); prompt && prompt->isVisible()) {
            prompt->close();
            closer.stop();
        }
    });
    closer.start(50);
    took.start();
    window->runCommand(cmd::kCheck);
    EXPECT_LT(took.elapsed(), 7000);
    EXPECT_EQ(window->statusPart()->text().toStdString(), "Zařízení pro linku 1 nekomunikuje");
}

// 2: closing during the start-up scan: the scan thread waited for a window that had stopped
// handling events, and the program never ended.
TEST(PanelClosing, ClosingDuringTheScanEndsTheProgramPromptly) {
    test::TempDir work;
    resetAppState();
    appState().workingDirectory = work.str();
    setDefaultConfig();
    applyConfig();
    ASSERT_EQ(saveConfig(), 0);
    for (int n = 1; n <= 16; ++n) {
        std::filesystem::create_directories(work.path() / ("line" + std::to_string(n)));
        LineRecord r;
        r.setLineNumber(static_cast<std::uint8_t>(n));
        r.setIpAddress("127.0.0.1");
        r.setTcpPort(1);
        ASSERT_TRUE(writeLineRecord(n - 1, r));
    }
    // Each line takes 300 ms and talks to the window on the way, as a slow TCP line does.
    auto slowLine = [](int, const LineRecord&) {
        uiStatus("probíhá kontrola portů...");
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        uiStatus("probíhá kontrola portů...");
        return false;
    };
    QElapsedTimer sinceClose;
    QTimer::singleShot(400, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* main = qobject_cast<gui::MainWindow*>(w)) {
                sinceClose.start();
                main->close();
            }
        }
    });
    EXPECT_EQ(gui::runPanel(work.str(), slowLine), 0);
    ASSERT_TRUE(sinceClose.isValid());
    EXPECT_LT(sinceClose.elapsed(), 1000);
    installUiPort({});
}

// 4: Qt's own texts in Czech.
TEST(PanelTexts, QtsOwnTextsAreCzech) {
    ASSERT_TRUE(gui::installCzechTranslation());
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel").toStdString(), "Zrušit");
    EXPECT_NE(QCoreApplication::translate("QWidgetTextControl", "Select All").toStdString(), "Select All");
    EXPECT_NE(QCoreApplication::translate("QFileDialog", "Look in:").toStdString(), "Look in:");
}

// 5, 8, 10: message boxes belong to the main window when no other window is active; commands
// that are not built yet say so; the start-up scan grays the commands it holds off.
TEST_F(PanelFaults, MessagesOwnedAndBusyWindowHoldsItsCommands) {
    installDemoLines();
    QApplication::setActiveWindow(nullptr);
    QWidget* owner = nullptr;
    onNextModal([&owner](QWidget* w) {
        owner = w->parentWidget();
        static_cast<QDialog*>(w)->done(0);
    });
    uiMessage("CHYBA !", "x", MessageIcon::Error);
    EXPECT_EQ(owner, window.get());

    window->setBusy(true);
    EXPECT_FALSE(window->action(cmd::kCheck)->isEnabled());
    EXPECT_FALSE(window->action(cmd::kAddLine)->isEnabled());
    EXPECT_TRUE(window->action(cmd::kExit)->isEnabled());
    EXPECT_TRUE(window->action(cmd::kAbout)->isEnabled());
    for (QAction* a : window->toolBar()->actions()) {
        if (!a->isSeparator()) {
            EXPECT_EQ(a->isEnabled(), a->data().toInt() == cmd::kAbout) << a->toolTip().toStdString();
        }
    }
    window->setBusy(false);
    EXPECT_TRUE(window->action(cmd::kCheck)->isEnabled());
    // An operation on the lines (a download's preparation, a memory clear) can be stopped.
    window->setOperationRunning(true);
    for (QAction* a : window->toolBar()->actions()) {
        if (!a->isSeparator()) {
            const int id = a->data().toInt();
            EXPECT_EQ(a->isEnabled(), id == cmd::kAbout || id == cmd::kToolStopJob) << a->toolTip().toStdString();
        }
    }
    // A download's preparation or a memory clear holds the line lease and watches its stop;
    // the job's flag is not theirs.
    const LineLease lease = tryLineLease();
    ASSERT_TRUE(lease.held());
    window->runCommand(cmd::kToolStopJob);
    EXPECT_TRUE(lease.stopRequested());
    EXPECT_EQ(appState().jobRunning, 0);
    window->setOperationRunning(false);
}

// 6: the register dialog shows whole serial numbers, and a click on a check box ticks it.
TEST_F(PanelFaults, RegisterListShowsWholeNumbersAndTicksOnOneClick) {
    std::filesystem::create_directory(dir.path() / "reg");
    std::ofstream(dir.path() / "sn.dat") << (dir.path() / "reg").string();
    const std::string serial = SerialEncode(3, 48, packDate(1, 2, 2021));
    std::ofstream(dir.path() / "reg" / "sernum_tesk.txt", std::ios::binary) << serial << ";oprava;1\r\n";
    onNextModal([&](QWidget* w) {
        auto* list = w->findChild<QTreeWidget*>("list");
        QTreeWidgetItem* row = list->topLevelItem(0);
        EXPECT_GE(list->columnWidth(0), list->fontMetrics().horizontalAdvance(QString::fromStdString(serial)) + 16);
        QStyleOptionViewItem option;
        option.initFrom(list->viewport());
        option.rect = list->visualItemRect(row);
        option.rect.setWidth(list->columnWidth(0));
        option.features |= QStyleOptionViewItem::HasCheckIndicator;
        const QRect box = list->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, list);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, box.center());
        EXPECT_EQ(row->checkState(0), Qt::Checked);
        const QRect note = list->visualItemRect(row).adjusted(list->columnWidth(0) + 10, 0, 0, 0);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, note.center());
        EXPECT_EQ(row->checkState(0), Qt::Unchecked);
        button(w, "Zavřít")->click();
    });
    RegisterChoice chosen;
    gui::runRegisterDialog(window.get(), 48, chosen);
}

// 7: Enter in the data-directory field does not open the folder browser; adapters without an
// IPv4 address are not offered; the program chooser shows programs without an ending.
TEST_F(PanelFaults, ConfigurationDialogEnterAdaptersAndProgramFilter) {
    QString nextWindow;
    QStringList filters;
    onNextModal([&](QWidget* w) {
        for (int i = 0; i < w->findChild<QComboBox*>("adapter")->count(); ++i)
            EXPECT_FALSE(w->findChild<QComboBox*>("adapter")->itemText(i).endsWith("()"));
        onNextModal([&, w](QWidget* next) {
            nextWindow = next->metaObject()->className();
            static_cast<QDialog*>(next)->done(0);  // the adapter question: No
            onNextModal([&, w](QWidget* chooser) {
                if (auto* files = qobject_cast<QFileDialog*>(chooser)) filters = files->nameFilters();
                static_cast<QDialog*>(chooser)->reject();
                button(w, "Zavřít")->click();
            });
            w->findChild<QPushButton*>("hexEditorBrowse")->click();
        });
        auto* field = w->findChild<QLineEdit*>("dataDir");
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Return);
    });
    window->runCommand(cmd::kSettings);
    EXPECT_EQ(nextWindow.toStdString(), "QMessageBox");
    ASSERT_FALSE(filters.isEmpty());
    EXPECT_EQ(filters.front().toStdString(), "Soubory aplikace (*)");
}

// 11: fixed dialogs without minimise and maximise buttons; read-only fields never take the
// first focus; the decode dialog's Enter in the MAC field works its own ">>"; the filters are
// an exclusive pair; tree pictures are drawn for their size.
TEST_F(PanelFaults, DialogsLookAndBehaveAsTheirKind) {
    installDemoLines();
    select(0, 1);
    auto checkFrame = [](QWidget* w) {
        EXPECT_FALSE(w->windowFlags() & Qt::WindowMaximizeButtonHint) << w->windowTitle().toStdString();
        EXPECT_FALSE(w->windowFlags() & Qt::WindowMinimizeButtonHint) << w->windowTitle().toStdString();
        EXPECT_EQ(w->layout()->sizeConstraint(), QLayout::SetFixedSize) << w->windowTitle().toStdString();
        QApplication::processEvents();
        if (auto* focused = qobject_cast<QLineEdit*>(QApplication::focusWidget())) {
            EXPECT_FALSE(focused->isReadOnly()) << w->windowTitle().toStdString();
        }
    };
    for (int command : {cmd::kAddModule, cmd::kChangeType, cmd::kSettings, cmd::kAbout}) {
        onNextModal([&](QWidget* w) {
            checkFrame(w);
            for (auto* field : w->findChildren<QLineEdit*>()) {
                if (field->isReadOnly()) {
                    EXPECT_EQ(field->focusPolicy(), Qt::ClickFocus);
                }
            }
            static_cast<QDialog*>(w)->done(0);
        });
        window->runCommand(command);
    }
    onNextModal([&](QWidget* w) {
        checkFrame(w);
        auto* mac = w->findChild<QLineEdit*>("mac");
        w->findChild<QLineEdit*>("type")->setText("48");
        mac->setText("0FA0");
        mac->setFocus();
        QTest::keyClick(mac, Qt::Key_Return);
        EXPECT_EQ(w->findChild<QLineEdit*>("sequence")->text(), "4000");  // the MAC ">>", not the upper one
        EXPECT_EQ(w->findChild<QLineEdit*>("date")->text(), "");
        EXPECT_LE(w->findChild<QPushButton*>("decode")->width(), w->width() / 4);
        button(w, "Zavřít")->click();
    });
    window->runCommand(cmd::kSerialDecode);
    onNextModal([&](QWidget* w) {
        EXPECT_GE(w->width(), w->fontMetrics().horizontalAdvance(w->windowTitle()) + 100);
        static_cast<QDialog*>(w)->done(0);
    });
    MacAddress mac = kFactoryMac;
    gui::runMacEntryDialog(window.get(), mac);

    ASSERT_NE(window->action(cmd::kShowAll)->actionGroup(), nullptr);
    EXPECT_TRUE(window->action(cmd::kShowAll)->actionGroup()->isExclusive());
    EXPECT_EQ(window->action(cmd::kShowAll)->actionGroup(), window->action(cmd::kShowActive)->actionGroup());
    EXPECT_EQ(window->tree()->iconSize(), QSize(20, 20));
    const QIcon icon = item(itemKey(0, 1))->icon(0);
    EXPECT_TRUE(icon.availableSizes().contains(QSize(20, 20)));
    EXPECT_TRUE(icon.availableSizes().contains(QSize(40, 40)));
    EXPECT_EQ(window->statusPart()->frameShape(), QFrame::Panel);
    EXPECT_EQ(window->clockPart()->frameShape(), QFrame::Panel);
}

}  // namespace
}  // namespace lumo
