// "Vlastnosti" of a module on the offscreen platform: each family's sheet opened on a simulated
// module, read, changed, written, and closed with and without the question.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>

#include "gui/gui_fixture.h"
#include "ui/command_ids.h"
#include "ui/qt/dialogs.h"

namespace lumo {
namespace {

using test::withChecksum;

class PropertySheetWindow : public test::GuiTest {
protected:
    void installModules() {
        startSim({"serial 5 4 version=1.30", "serial 6 3 version=2.26", "serial 7 8 version=1.33", "serial 8 9",
                  "serial 10 10 version=2.00"});
        installSerialLine();
        const int modules[][2] = {{5, 4}, {6, 3}, {7, 8}, {8, 9}, {10, 10}};
        for (int k = 1; k <= 5; ++k) addSerialModule(k, modules[k - 1][0], modules[k - 1][1]);
        window->refreshTree(0, 1);
    }
    static QPushButton* sheetButton(QWidget* sheet, const char* name) { return sheet->findChild<QPushButton*>(name); }
};

TEST_F(PropertySheetWindow, EachFamilyReadChangedAndWritten) {
    installModules();
    const struct {
        int k;
        const char* title;
        int tabs;
        const char* control;  // a check box ticked, or a list set to entry 3
        std::string expected;  // what reaches the simulator
    } cases[] = {
        {1, "TQ300 - ID 5", 4, "pin", "#CFG$8+" + withChecksum("B1O+B2O+B3O+B4F")},
        {2, "LOQ3 - ID 6", 3, "alarmOpened", "#CFG$8+" + withChecksum("P201+P302+D105")},
        {3, "ZB40 - ID 7", 4, "relay4", "#CFG$8+" + withChecksum("P200+P318+P500+P648+D105+D205+D305+D405")},
        {4, "ZB20 - ID 8", 3, "peopleCounting", "&ML_08#CAL+&MLEND&ML_08#CAL+&MLEND"},
        {5, "MN600 - ID 10", 4, "rightsOnMtrOnly", "#CFG$8+" + withChecksum("P108+P200+P318+D105+D205")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        select(0, c.k);
        std::filesystem::resize_file(logPath(), 0);
        QString title, serial;
        int tabs = 0;
        onNextModal([&](QWidget* w) {
            title = w->windowTitle();
            tabs = w->findChild<QTabWidget*>("tabs")->count();
            sheetButton(w, "refresh")->click();
            serial = w->findChild<QLineEdit*>("serialNumber")->text();
            if (auto* box = w->findChild<QCheckBox*>(c.control)) box->setChecked(true);
            else w->findChild<QComboBox*>(c.control)->setCurrentIndex(3);
            if (c.k == 4) onNextMessageBox([](QMessageBox* box) { box->done(0); });  // the ZB20's note
            sheetButton(w, "apply")->click();
            sheetButton(w, "close")->click();  // nothing changed since "Použít": no question
        });
        window->runCommand(cmd::kProperties);
        EXPECT_EQ(title.toStdString(), c.title);
        EXPECT_EQ(tabs, c.tabs);
        EXPECT_EQ(serial.length(), 12);
        EXPECT_NE(wire().received().find(c.expected), std::string::npos) << test::visible(wire().received());
    }
}

TEST_F(PropertySheetWindow, ClosingAfterAChangeAsks) {
    installModules();
    select(0, 2);
    ModuleRecord before;
    ASSERT_TRUE(readModuleRecord(0, 2, before));
    std::string question;
    int result = -1;
    bool stayedOpen = false;
    onNextModal([&](QWidget* w) {
        w->findChild<QCheckBox*>("closedAtRest")->setChecked(true);
        onNextMessageBox([&](QMessageBox* box) {
            question = (box->windowTitle() + "|" + box->text()).toStdString();
            test::button(box, "Storno")->click();
        });
        sheetButton(w, "close")->click();
        stayedOpen = w->isVisible();
        onNextMessageBox([](QMessageBox* box) { test::button(box, "Ne")->click(); });
        sheetButton(w, "close")->click();
    });
    select(0, 2);
    result = gui::runPropertySheet(window.get(), 0, 2);
    EXPECT_EQ(question, "Změna nastavení|Změnily se parametry zařízení. \nChcete nové nastavení uložit ? ");
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(result, 0);
    ModuleRecord after;
    ASSERT_TRUE(readModuleRecord(0, 2, after));
    EXPECT_EQ(after, before);
    EXPECT_EQ(wire().received(), "");
}

TEST_F(PropertySheetWindow, ARenameKeepsTheChangesOnThePages) {
    installModules();
    select(0, 1);
    bool pinKept = false;
    QString name;
    onNextModal([&](QWidget* w) {
        w->findChild<QCheckBox*>("pin")->setChecked(true);
        // The rename dialog is a modal window of its own, over the sheet.
        auto* timer = new QTimer(w);
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, [timer] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr || modal->windowTitle() != QString::fromUtf8("Přejmenování")) return;
            timer->stop();
            modal->findChild<QLineEdit*>("name")->setText(QString::fromUtf8("vrátnice"));
            test::button(modal, "OK")->click();
        });
        timer->start();
        w->findChild<QPushButton*>("rename")->click();
        pinKept = w->findChild<QCheckBox*>("pin")->isChecked();
        name = w->findChild<QLabel*>("moduleName")->text();
        static_cast<QDialog*>(w)->done(0);
    });
    window->runCommand(cmd::kProperties);
    EXPECT_TRUE(pinKept);
    EXPECT_EQ(name.toStdString(), "vrátnice");
}

TEST_F(PropertySheetWindow, TypeWithoutSheetSaysSo) {
    startSim({"serial 5 2"});
    installSerialLine();
    addSerialModule(1, 5, 2);
    window->refreshTree(0, 1);
    select(0, 1);
    std::string seen;
    closeNextMessage(seen);
    window->runCommand(cmd::kProperties);
    EXPECT_EQ(seen, "Vlastnosti|Zařízení HZ128 nemá nastavitelné parametry. ");
}

}  // namespace
}  // namespace lumo
