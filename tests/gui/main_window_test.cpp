// The real main window, driven on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <functional>
#include <thread>

#include "base/app_state.h"
#include "model/program_config.h"
#include "app/startup.h"
#include "comm/line_port.h"
#include "model/installation.h"
#include "platform/clock.h"
#include "gui/gui_fixture.h"
#include "support/sim_fixture.h"
#include "ui/command_ids.h"
#include "ui/qt/dialogs.h"
#include "ui/qt/main_window.h"
#include "ui/qt/panel.h"
#include "ui/qt/qt_ui_port.h"

namespace lumo {
namespace {

using test::GuiTest;
using test::button;

TEST_F(GuiTest, MenusCarryTheirCommandNumbers) {
    const struct {
        int id;
        const char* text;
    } entries[] = {
        {251, "Přidat &linku"}, {252, "Přidat &modul"}, {257, "Vyhledání &TCP linky"},
        {253, "Vyhledání &USB linky"}, {254, "&Nastavení"}, {255, "&Záloha dat"}, {256, "&Konec programu"},
        {201, "&Vlastnosti"}, {203, "O&debrat zařízení"}, {204, "&Kontrola funkce"}, {207, "Do&wnload"},
        {210, "I&nicializace"}, {211, "&Upload"}, {213, "memory &DUMP"}, {215, "Reset a&plikace"},
        {214, "&Reset master"}, {216, "&Testování"}, {40002, "Vymazání USB driverů"}, {40003, "Rozklad VC"},
        {205, "Změna &typu"}, {206, "Změna &ID"}, {208, "&Restart TCP zařízení"}, {601, "Da&tum a čas"},
        {602, "Nastavení &počítadel"}, {610, "&Odeslat příkaz"}, {611, "Načtení do souboru"},
        {612, "Přenos souboru"}, {301, "&Všechno"}, {302, "Pouze &aktivní"}, {303, "&Toolbar"},
        {401, "Co je &nového?"}, {410, "O &aplikaci..."},
    };
    for (const auto& e : entries) {
        QAction* a = window->action(e.id);
        ASSERT_NE(a, nullptr) << e.id;
        EXPECT_EQ(a->text().toStdString(), e.text) << e.id;
        EXPECT_EQ(a->data().toInt(), e.id);
    }
    QStringList menus;
    for (QAction* m : window->menuBar()->actions()) menus << m->text();
    EXPECT_EQ(menus.join("|").toStdString(), "&Služby|&Nástroje|Přenos &dat|&Zobrazit|Ná&pověda");
    EXPECT_FALSE(window->action(cmd::kBackup)->isEnabled());  // grayed in the menu itself
    EXPECT_TRUE(window->action(cmd::kShowAll)->isChecked());
    EXPECT_TRUE(window->action(cmd::kToggleToolbar)->isChecked());
    EXPECT_EQ(window->action(cmd::kExit)->shortcut(), QKeySequence("Ctrl+Q"));
    // The toolbar: 11 buttons with their tooltips.
    QStringList tips;
    for (QAction* a : window->toolBar()->actions()) tips << (a->isSeparator() ? "-" : a->toolTip());
    EXPECT_EQ(tips.join("|").toStdString(),
              "|Přidat nové zařízení|Odstranit zařízení|Editovat nastavení|Prověřit komunikaci|-|"
              "zapnout/vypnout zařízení|Přerušit aktivní příkaz|Aktualizace seznamu|-|");
}

TEST_F(GuiTest, ServisMenuFollowsTheSelection) {
    installDemoLines();
    select(0, 0);  // a general line
    EXPECT_FALSE(window->servisMenu()->isEnabled());
    select(2, 0);  // a USB converter line: the memory and application items are grayed
    EXPECT_TRUE(window->servisMenu()->isEnabled());
    for (int id : {cmd::kResetApplication, cmd::kResetMaster, cmd::kTest})
        EXPECT_FALSE(window->action(id)->isEnabled()) << id;
    select(0, 1);  // a module
    EXPECT_TRUE(window->servisMenu()->isEnabled());
    for (int id : {cmd::kResetApplication, cmd::kResetMaster, cmd::kTest}) EXPECT_TRUE(window->action(id)->isEnabled()) << id;
    EXPECT_NE(window->pane()->toPlainText().indexOf("ID adresa:\t05"), -1);
}

TEST_F(GuiTest, ToolbarHideAndShowMoveTreeAndPaneBy30) {
    const QRect tree = window->tree()->geometry(), pane = window->pane()->geometry();
    EXPECT_EQ(tree.topLeft(), QPoint(5, 35));
    EXPECT_EQ(pane.left(), window->centralWidget()->width() / 2 + 6);
    window->runCommand(cmd::kToggleToolbar);
    EXPECT_EQ(window->tree()->geometry(), tree.adjusted(0, -30, 0, 0));
    EXPECT_EQ(window->pane()->geometry(), pane.adjusted(0, -30, 0, 0));
    EXPECT_FALSE(window->action(cmd::kToggleToolbar)->isChecked());
    window->runCommand(cmd::kToggleToolbar);
    EXPECT_EQ(window->tree()->geometry(), tree);
    EXPECT_EQ(window->pane()->geometry(), pane);
    // Sizes follow the window.
    window->resize(900, 600);
    QApplication::processEvents();
    const int w = window->centralWidget()->width(), h = window->centralWidget()->height();
    EXPECT_EQ(window->tree()->geometry(), QRect(5, 35, w / 2 - 6, h - 60));
}

TEST_F(GuiTest, DoubleClickOnALineOpensItsDialogWithoutFoldingIt) {
    installDemoLines();
    QTreeWidgetItem* line = item(itemKey(0, 0));
    ASSERT_TRUE(line->isExpanded());
    std::string title;
    onNextModal([&title](QWidget* w) {
        title = w->windowTitle().toStdString();
        static_cast<QDialog*>(w)->done(0);
    });
    const QRect r = window->tree()->visualItemRect(line);
    // A double click is a press, a release and the double-click press on the same item.
    QTest::mouseClick(window->tree()->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(window->tree()->viewport(), Qt::LeftButton, {}, r.center());
    QApplication::processEvents();
    EXPECT_EQ(title, "Komunikační linka");
    EXPECT_TRUE(line->isExpanded());
}

TEST_F(GuiTest, LineDialogEnablesFieldsByPort) {
    installDemoLines();
    bool checked = false;
    onNextModal([&checked](QWidget* w) {
        auto* port = w->findChild<QComboBox*>("port");
        auto* ip = w->findChild<QLineEdit*>("ip");
        auto* speed = w->findChild<QComboBox*>("speed");
        EXPECT_EQ(port->currentText(), "COM3");
        EXPECT_FALSE(ip->isEnabled());
        EXPECT_TRUE(speed->isEnabled());
        port->setCurrentIndex(0);  // TCP: address and port at once, before anything is saved
        EXPECT_TRUE(ip->isEnabled());
        EXPECT_TRUE(w->findChild<QLineEdit*>("tcpPort")->isEnabled());
        EXPECT_FALSE(speed->isEnabled());
        EXPECT_FALSE(w->findChild<QComboBox*>("parity")->isEnabled());
        checked = true;
        static_cast<QDialog*>(w)->done(0);
    });
    select(0, 0);
    window->runCommand(cmd::kProperties);
    EXPECT_TRUE(checked);
}

TEST_F(GuiTest, ActiveOnlyFilterHidesSwitchedOffLinesWithTheirModules) {
    installDemoLines();
    LineRecord line;
    ASSERT_TRUE(readLineRecord(1, line));
    line.setFlags(flags::kLineOff);
    ASSERT_TRUE(writeLineRecord(1, line));
    window->runCommand(cmd::kShowActive);
    EXPECT_EQ(item(itemKey(1, 0)), nullptr);
    EXPECT_EQ(item(itemKey(1, 1)), nullptr);
    EXPECT_NE(item(itemKey(0, 2)), nullptr);  // not responding stays
    EXPECT_EQ(item(itemKey(0, 3)), nullptr);  // another type does not
    EXPECT_TRUE(window->action(cmd::kShowActive)->isChecked());
    // Rebuilding with a key that is not shown selects nothing and keeps the selection values.
    select(0, 1);
    window->refreshTree(1, 1);
    EXPECT_EQ(window->selectedLine(), 0);
    EXPECT_EQ(window->selectedModule(), 1);
    window->runCommand(cmd::kShowAll);
    EXPECT_NE(item(itemKey(1, 1)), nullptr);
}

TEST_F(GuiTest, LineWarningsSendNothing) {
    installDemoLines();
    select(0, 0);
    std::filesystem::resize_file(logPath(), 0);
    std::string seen;
    closeNextMessage(seen);
    window->runCommand(cmd::kTest);
    EXPECT_EQ(seen, "Varování|Nelze provádět pro komunikační linku !  ");
    closeNextMessage(seen);
    window->runCommand(cmd::kResetApplication);
    EXPECT_EQ(seen, "Varování|Nelze měnit komunikační linku !  ");
    platform::pause(100);
    EXPECT_EQ(wire().received(), "");
}

TEST_F(GuiTest, CheckSwitchAndRemoveThroughTheWindow) {
    installDemoLines();
    select(0, 1);
    window->runCommand(cmd::kCheck);
    EXPECT_EQ(window->statusPart()->text().toStdString(), "Zařízení na adrese 05 pracuje správně");
    EXPECT_NE(window->pane()->toPlainText().indexOf("pracuje správně..."), -1);
    select(0, 1);
    window->runCommand(cmd::kToolSwitch);
    ModuleRecord m;
    ASSERT_TRUE(readModuleRecord(0, 1, m));
    EXPECT_EQ(m.flags(), flags::kModuleOff);
    onNextModal([](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text().toStdString(), "Opravdu odstarnit toto zařízení ? ");
        for (QAbstractButton* b : box->buttons()) {
            if (b->text() == QString::fromUtf8("Ano")) b->click();
        }
    });
    select(0, 1);
    window->runCommand(cmd::kRemove);
    EXPECT_EQ(item(itemKey(0, 1)), nullptr);
    // The clock shows the time of day.
    EXPECT_TRUE(QRegularExpression("^[ \\d]\\d:\\d\\d:\\d\\d$").match(window->clockPart()->text()).hasMatch());
}

// The start-up scan runs beside the window: the window keeps handling events meanwhile.
TEST_F(GuiTest, WindowStaysResponsiveDuringTheStartUpScan) {
    startSim({"serial 5 4", "tcp 2 1"});
    for (int n = 1; n <= 16; ++n) {
        std::filesystem::create_directories(dir.path() / ("line" + std::to_string(n)));
        LineRecord r = n <= 8 ? (n % 2 ? serialLine : tcpLine) : tcpLine;
        r.setLineNumber(static_cast<std::uint8_t>(n));
        if (n > 8) r.setTcpPort(1);  // nobody listens: unreachable
        ASSERT_TRUE(writeLineRecord(n - 1, r));
    }
    std::atomic<bool> done{false};
    std::thread scan([&] {
        checkLinesAtStartup();
        done = true;
    });
    QElapsedTimer gap;
    gap.start();
    qint64 worst = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        worst = std::max(worst, gap.restart());
        window->update();
    });
    ticker.start(10);
    while (!done) QApplication::processEvents(QEventLoop::AllEvents, 20);
    scan.join();
    EXPECT_LT(worst, 250);
    int unreachable = 0;
    for (int i = 0; i < 16; ++i) {
        LineRecord r;
        ASSERT_TRUE(readLineRecord(i, r));
        if (r.flags() & flags::kUnreachable) ++unreachable;
    }
    EXPECT_EQ(unreachable, 8);
    EXPECT_EQ(window->tree()->topLevelItemCount(), 16);
}

TEST_F(GuiTest, AboutBoxShowsTheVersionTexts) {
    QStringList texts;
    onNextModal([&texts](QWidget* w) {
        EXPECT_EQ(w->windowTitle(), "About Lumo_hw");
        for (const char* key : {"CompanyName", "FileDescription", "FileVersion", "LegalCopyright", "LegalTrademarks"})
            texts << w->findChild<QLabel*>(key)->text();
        static_cast<QDialog*>(w)->done(1);
    });
    window->runCommand(cmd::kAbout);
    ASSERT_EQ(texts.size(), 5);
    EXPECT_EQ(texts[2].toStdString(), "Verze 2.32");
}

TEST_F(GuiTest, MacEntryAcceptsOnlyAWholeAddress) {
    MacAddress mac = kFactoryMac;
    std::vector<std::string> messages;
    const char* entries[] = {"00-4F-49-0D-FF-F", "00:4F:49:0D:FF:FF", "00-4F-49-0D-FF-GG", "02-11-22-33-44-55"};
    int step = 0;
    std::function<void(QWidget*)> answer = [&](QWidget* w) {
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
            messages.push_back((box->windowTitle() + "|" + box->text()).toStdString());
            box->done(0);
            onNextModal(answer);
            return;
        }
        w->findChild<QLineEdit*>("mac")->setText(entries[step++]);
        for (QPushButton* b : w->findChildren<QPushButton*>()) {
            if (b->text() == "OK") {
                if (step < 4) onNextModal(answer);
                b->click();
                return;
            }
        }
    };
    onNextModal(answer);
    EXPECT_EQ(gui::runMacEntryDialog(window.get(), mac), 1);
    EXPECT_EQ(mac, (MacAddress{0x02, 0x11, 0x22, 0x33, 0x44, 0x55}));
    EXPECT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages.front(), "Chyba|Neplatná MAC adresa!  ");
}

}  // namespace
}  // namespace lumo

namespace lumo {
namespace {

}  // namespace
}  // namespace lumo

namespace lumo {
namespace {

TEST(FirstStart, ClosingTheConfigurationDialogEndsWithoutWritingAnything) {
    test::TempDir work;
    std::string title;
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, &title] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            title = modal->windowTitle().toStdString();
            for (QPushButton* b : modal->findChildren<QPushButton*>()) {
                if (b->text() == QString::fromUtf8("Zavřít")) b->click();
            }
        }
    });
    timer->start(10);
    EXPECT_EQ(gui::runPanel(work.str()), 0);
    EXPECT_EQ(title, "Konfigurace parametrů programu");
    EXPECT_FALSE(std::filesystem::exists(work.path() / "config.dat"));
    EXPECT_TRUE(std::filesystem::is_empty(work.path()));
}

}  // namespace
}  // namespace lumo

namespace lumo {
namespace {

TEST_F(GuiTest, AddDialogsInBothForms) {
    installDemoLines();
    bool seen = false;
    onNextModal([&seen](QWidget* w) {
        EXPECT_EQ(w->windowTitle().toStdString(), "Přidání zařízení");
        auto* type = w->findChild<QComboBox*>("type");
        auto* description = w->findChild<QLineEdit*>("description");
        EXPECT_FALSE(w->findChild<QLineEdit*>("id")->isEnabled());
        EXPECT_EQ(type->count(), 5);
        EXPECT_EQ(description->text().toStdString(), "komunikační linka (COM, TCP)");
        type->setCurrentIndex(2);
        EXPECT_EQ(type->currentText().toStdString(), "USB linka");
        EXPECT_EQ(description->text().toStdString(), "převodník USB<->RS485, RS232");
        seen = true;
        button(w, "Vložit")->click();
    });
    window->runCommand(cmd::kAddLine);
    EXPECT_TRUE(seen);
    LineRecord added;
    ASSERT_TRUE(readLineRecord(3, added));
    EXPECT_EQ(added.headType(), 12);
    EXPECT_NE(item(itemKey(3, 0)), nullptr);

    // The module form: ID 0 is refused and the dialog stays; 8 goes in.
    select(0, 0);
    std::string refusal;
    onNextModal([&](QWidget* w) {
        EXPECT_TRUE(w->findChild<QLineEdit*>("id")->isEnabled());
        EXPECT_EQ(w->findChild<QLineEdit*>("description")->text().toStdString(), "docházkový terminál");
        w->findChild<QLineEdit*>("id")->setText("0");
        onNextModal([this, &refusal](QWidget* box) {
            refusal = qobject_cast<QMessageBox*>(box)->text().toStdString();
            static_cast<QDialog*>(box)->done(0);
            onNextModal([](QWidget* again) {
                again->findChild<QLineEdit*>("id")->setText("8");
                button(again, "Vložit")->click();
            });
        });
        button(w, "Vložit")->click();
    });
    window->runCommand(cmd::kAddModule);
    EXPECT_EQ(refusal, "Zadanou ID již adresu používá některé zařízení ! \nZvolte jinou hodnotu. ");
    ModuleRecord m;
    ASSERT_TRUE(readModuleRecord(0, 4, m));
    EXPECT_EQ(m.id(), 8);
}

TEST_F(GuiTest, ChangeSettingDialogOffersIdsWithReservedLabels) {
    installDemoLines();
    select(0, 1);
    std::string reserved;
    onNextModal([&](QWidget* w) {
        EXPECT_EQ(w->windowTitle(), "ID adresa");
        auto* choice = w->findChild<QComboBox*>("choice");
        EXPECT_EQ(choice->count(), 32);
        EXPECT_EQ(choice->itemText(0), "00 (pc)");
        EXPECT_EQ(choice->itemText(31), "31 (master)");
        EXPECT_EQ(w->findChild<QLineEdit*>("current")->text(), "05");  // two digits, as the list shows IDs
        EXPECT_FALSE(button(w, "Použít")->isEnabled());
        choice->setCurrentIndex(31);
        EXPECT_TRUE(button(w, "Použít")->isEnabled());
        onNextModal([this, &reserved](QWidget* box) {
            reserved = qobject_cast<QMessageBox*>(box)->text().toStdString();
            static_cast<QDialog*>(box)->done(0);
            onNextModal([](QWidget* again) { button(again, "Zavřít")->click(); });
        });
        button(w, "Použít")->click();
    });
    window->runCommand(cmd::kChangeId);
    EXPECT_EQ(reserved, "Neplatná ID adresa ! Hodnota je vyhrazena. ");
    // On the line itself the dialog refuses to open.
    select(0, 0);
    std::string warning;
    closeNextMessage(warning);
    window->runCommand(cmd::kChangeType);
    EXPECT_EQ(warning, "Varování|Nelze měnit komunikační linku !  ");
}

}  // namespace
}  // namespace lumo

#include <fstream>

#include "serial/serial_number.h"
#include "serial/serial_register.h"

namespace lumo {
namespace {

TEST_F(GuiTest, SerialDecodeDialogBothWays) {
    std::string error;
    onNextModal([&](QWidget* w) {
        EXPECT_EQ(w->windowTitle().toStdString(), "Dekodóvání výrobního čísla");
        auto text = [w](const char* name) { return w->findChild<QLineEdit*>(name)->text().toStdString(); };
        w->findChild<QLineEdit*>("number")->setText("184259481234");
        w->findChild<QPushButton*>("decode")->click();
        EXPECT_EQ(text("date"), "24.06.2015");
        EXPECT_EQ(text("type"), "48");
        EXPECT_EQ(text("model"), "QH-J01");
        EXPECT_EQ(text("kind"), "řídící jednotka TESK");
        EXPECT_EQ(text("sequence"), "1234");
        EXPECT_EQ(text("mac"), "04D2");
        w->findChild<QLineEdit*>("mac")->setText("0FA0");
        w->findChild<QPushButton*>("fromMac")->click();
        EXPECT_EQ(text("sequence"), "4000");
        // A number whose date is no day of the calendar: its date digits, said to be no date.
        w->findChild<QLineEdit*>("number")->setText("150316040001");
        w->findChild<QPushButton*>("decode")->click();
        EXPECT_EQ(text("date"), "273764: neplatné datum");
        EXPECT_EQ(text("model"), "TQ300");
        EXPECT_EQ(text("sequence"), "0001");
        // A type below 48 has no MAC part.
        w->findChild<QLineEdit*>("number")->setText("441560100001");
        w->findChild<QPushButton*>("decode")->click();
        EXPECT_EQ(text("date"), "15.03.2016");
        EXPECT_EQ(text("mac"), "");
        onNextModal([&error, this](QWidget* box) {
            error = (box->windowTitle() + "|" + qobject_cast<QMessageBox*>(box)->text()).toStdString();
            static_cast<QDialog*>(box)->done(0);
            onNextModal([](QWidget* again) { button(again, "Zavřít")->click(); });
        });
        w->findChild<QPushButton*>("fromMac")->click();
    });
    window->runCommand(cmd::kSerialDecode);
    EXPECT_EQ(error, "Chyba zadání|Neplatný typ zařízení");
}

TEST_F(GuiTest, RegisterDialogListsOneTypeAndGivesThePickedRow) {
    std::filesystem::create_directory(dir.path() / "reg");
    std::ofstream(dir.path() / "sn.dat") << (dir.path() / "reg").string();
    const std::string a = SerialEncode(3, 48, packDate(1, 2, 2021)), b = SerialEncode(4, 56, packDate(1, 2, 2021));
    std::ofstream(dir.path() / "reg" / "sernum_tesk.txt", std::ios::binary) << a << ";oprava;plošný spoj;2\r\n" << b << ";;0\r\n";
    onNextModal([&](QWidget* w) {
        EXPECT_EQ(w->findChild<QLineEdit*>("file")->text(), "sernum_tesk.txt");
        auto* list = w->findChild<QTreeWidget*>("list");
        ASSERT_EQ(list->topLevelItemCount(), 1);
        EXPECT_EQ(list->headerItem()->text(0).toStdString(), "výrobní číslo     ");
        EXPECT_EQ(list->topLevelItem(0)->text(1).toStdString(), "01.02.2021");
        list->setCurrentItem(list->topLevelItem(0));
        button(w, "OK")->click();
    });
    RegisterChoice chosen;
    EXPECT_EQ(gui::runRegisterDialog(window.get(), 48, chosen), 1);
    EXPECT_EQ(chosen.serial, a);
    EXPECT_EQ(chosen.note, "oprava");  // a note with ';': only the text before it
    EXPECT_EQ(chosen.medium, 0);       // "plošný spoj;2" is no number
}

}  // namespace
}  // namespace lumo
