// "Nastavení času" and "Nastavení počítadel" on simulated modules.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include "gui/gui_fixture.h"
#include "model/program_config.h"
#include "serial/serial_number.h"
#include "service/jobs.h"
#include "support/other_day_time_zone.h"

#include <fstream>
#include "ui/command_ids.h"

namespace lumo {
namespace {

class DeviceDialogs : public test::GuiTest {
protected:
    void installModules(const std::vector<std::string>& modules) {
        startSim(modules);
        std::filesystem::create_directories(dir.path() / "line1");
        ASSERT_TRUE(writeLineRecord(0, serialLine));
        ModuleRecord m;
        m.setId(5);
        m.setType(4);
        ASSERT_TRUE(writeModuleRecord(0, 1, m));
        window->refreshTree(0, 1);
        select(0, 1);
    }
};

TEST_F(DeviceDialogs, CountersDialogEnablesOnlyTheCountersRead) {
    installModules({"serial 5 4 c1=5 c2=12 c3=-1 c4=1200 c5=-1"});
    std::vector<bool> enabled;
    onNextModal([&](QWidget* w) {
        for (int c = 1; c <= 5; ++c) enabled.push_back(w->findChild<QLineEdit*>(QString("c%1").arg(c))->isEnabled());
        EXPECT_EQ(w->findChild<QLineEdit*>("c4")->text(), "1200");
        w->findChild<QLineEdit*>("c1")->setText("7");
        test::button(w, "Nastavit")->click();
    });
    window->runCommand(cmd::kCounters);
    EXPECT_EQ(enabled, (std::vector<bool>{true, true, false, true, false}));
    EXPECT_NE(wire().received().find("#SET$7+C10007+C20012+C41200*"), std::string::npos);
}

TEST_F(DeviceDialogs, ClockDialogSetsTypedValuesAndTypingAddsSeparators) {
    installModules({"serial 5 4"});
    onNextModal([&](QWidget* w) {
        auto* date = w->findChild<QLineEdit*>("date");
        EXPECT_FALSE(date->isEnabled());
        EXPECT_FALSE(w->findChild<QLineEdit*>("systemDate")->text().isEmpty());
        w->findChild<QCheckBox*>("system")->setChecked(false);
        EXPECT_TRUE(date->isEnabled());
        // Typed whole with its dots: no doubled dot, and the weekday follows the date; a dot
        // can be deleted.
        date->clear();
        QTest::keyClicks(date, "01.01.2027");
        EXPECT_EQ(date->text(), "01.01.2027");
        EXPECT_EQ(w->findChild<QComboBox*>("day")->currentIndex(), 5);
        date->clear();
        QTest::keyClicks(date, "25");
        QTest::keyClick(date, Qt::Key_Backspace);
        EXPECT_EQ(date->text(), "25");
        date->clear();
        QTest::keyClicks(date, "06");
        EXPECT_EQ(date->text(), "06.");
        QTest::keyClicks(date, "12");
        EXPECT_EQ(date->text(), "06.12.");
        QTest::keyClicks(date, "26");
        auto* time = w->findChild<QLineEdit*>("time");
        time->clear();
        QTest::keyClicks(time, "14");
        EXPECT_EQ(time->text(), "14:");
        QTest::keyClicks(time, "3000");  // the colon comes by itself
        EXPECT_EQ(time->text(), "14:30:00");
        w->findChild<QComboBox*>("day")->setCurrentIndex(0);
        test::button(w, "Nastavit")->click();
    });
    window->runCommand(cmd::kDateTime);
    EXPECT_NE(wire().received().find("#CFG$5+D06.12.26+T14:30:00+W0*"), std::string::npos) << wire().received();
}

// A counter field that holds no number the counter can take is refused naming the counter;
// nothing is sent until every field holds one.
TEST_F(DeviceDialogs, CountersDialogRefusesTextWhereANumberBelongs) {
    installModules({"serial 5 4 c1=5 c2=12 c3=-1 c4=1200 c5=-1"});
    const struct {
        const char* typed;
        const char* refusal;
    } cases[] = {
        {"abc", "Upozornění|Pole „C1 - počet časových plánů“: zadejte celé číslo od 0 do 99999999 (zadáno „abc“)."},
        {"", "Upozornění|Pole „C1 - počet časových plánů“: zadejte celé číslo od 0 do 99999999 (zadáno „“)."},
        {"123456789", "Upozornění|Pole „C1 - počet časových plánů“: zadejte celé číslo od 0 do 99999999 (zadáno „123456789“)."},
        {"-3", "Upozornění|Pole „C1 - počet časových plánů“: zadejte celé číslo od 0 do 99999999 (zadáno „-3“)."},
    };
    std::vector<std::string> refusals;
    onNextModal([&](QWidget* w) {
        for (const auto& c : cases) {
            w->findChild<QLineEdit*>("c1")->setText(QString::fromUtf8(c.typed));
            onNextMessageBox([&refusals](QMessageBox* box) {
                refusals.push_back((box->windowTitle() + "|" + box->text()).toStdString());
                box->done(0);
            });
            test::button(w, "Nastavit")->click();
            EXPECT_TRUE(w->isVisible()) << c.typed;
        }
        // Eight digits are the field's own: sent in full.
        w->findChild<QLineEdit*>("c1")->setText("12345678");
        test::button(w, "Nastavit")->click();
    });
    window->runCommand(cmd::kCounters);
    std::vector<std::string> expected;
    for (const auto& c : cases) expected.push_back(c.refusal);
    EXPECT_EQ(refusals, expected);
    const std::string wire = this->wire().received();
    EXPECT_EQ(wire.find("#SET"), wire.rfind("#SET")) << wire;  // one SET, the last
    EXPECT_NE(wire.find("#SET$7+C112345678+C20012+C41200*"), std::string::npos) << wire;
}

// Leaving the date or time with a value the clock cannot have says why in the status bar, and
// "Nastavit" says it in a box; nothing is sent. The set itself ends with what was set.
TEST_F(DeviceDialogs, ClockDialogSaysWhyAFieldIsRefusedAndWhatWasSet) {
    installModules({"serial 5 4"});
    std::string leftDate, leftTime, refused;
    onNextModal([&](QWidget* w) {
        QApplication::setActiveWindow(w);  // focus moves as the user moves it
        w->findChild<QCheckBox*>("system")->setChecked(false);
        auto* date = w->findChild<QLineEdit*>("date");
        auto* time = w->findChild<QLineEdit*>("time");
        date->setText("31.02.2026");
        date->setFocus();
        QApplication::processEvents();
        time->setFocus();  // leaving the date
        QApplication::processEvents();
        leftDate = window->statusPart()->text().toStdString();
        EXPECT_TRUE(date->hasFocus());  // the focus comes back
        date->setText("28.02.2026");
        time->setText("25:00:00");
        time->setFocus();
        QApplication::processEvents();
        date->setFocus();  // leaving the time; the date is right now
        QApplication::processEvents();
        leftTime = window->statusPart()->text().toStdString();
        onNextMessageBox([&refused](QMessageBox* box) {
            refused = (box->windowTitle() + "|" + box->text()).toStdString();
            box->done(0);
        });
        test::button(w, "Nastavit")->click();
        EXPECT_TRUE(w->isVisible());
        time->setText("14:30:00");
        w->findChild<QComboBox*>("day")->setCurrentIndex(6);
        test::button(w, "Nastavit")->click();
    });
    window->runCommand(cmd::kDateTime);
    EXPECT_EQ(leftDate, "Pole „datum“: takový den v kalendáři není, měsíc 02.2026 má 28 dní (zadáno „31.02.2026“).");
    EXPECT_EQ(leftTime, "Pole „čas“: hodiny musí být od 0 do 23 (zadáno „25:00:00“).");
    EXPECT_EQ(refused, "Upozornění|Pole „čas“: hodiny musí být od 0 do 23 (zadáno „25:00:00“).");
    const std::string wire = this->wire().received();
    EXPECT_EQ(wire.find("#CFG"), wire.rfind("#CFG")) << wire;
    EXPECT_NE(wire.find("#CFG$5+D28.02.26+T14:30:00+W6*"), std::string::npos) << wire;
    EXPECT_EQ(window->statusPart()->text().toStdString(), "nastavení času proběhlo v pořádku: 28.02.2026 14:30:00, Sobota");
}

TEST_F(DeviceDialogs, ConsoleSendsCleansAndRemembers) {
    installModules({"serial 5 4"});
    onNextModal([&](QWidget* w) {
        auto* line1 = w->findChild<QLineEdit*>("line1");
        auto* line2 = w->findChild<QLineEdit*>("line2");
        line1->setText("INF 6");
        w->findChild<QPushButton*>("send1")->click();
        EXPECT_EQ(w->findChild<QPlainTextEdit*>("answer")->toPlainText().left(10), "V1.23C070*");
        line2->setText("#CFG$8+P203+P318*");  // a pasted wire frame
        w->findChild<QPushButton*>("send2")->click();
        EXPECT_EQ(line2->text(), "CFG 8 P203+P318 ");
        EXPECT_EQ(w->findChild<QPlainTextEdit*>("answer")->toPlainText().toStdString(), "žádná odpověď...");
        // An empty row is refused with a message; the console stays open with its rows.
        bool warned = false;
        onNextModal([&warned](QWidget* box) {
            warned = true;
            static_cast<QDialog*>(box)->done(0);
        });
        w->findChild<QPushButton*>("send3")->click();
        EXPECT_TRUE(warned);
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(line1->text(), "INF 6");
        test::button(w, "Zavřít")->click();
    });
    window->runCommand(cmd::kConsole);
    EXPECT_NE(wire().received().find("#CFG$8+P203+P318 *"), std::string::npos) << wire().received();
    commandFile().clear();
    ASSERT_EQ(loadCommandFile(), 0);
    EXPECT_EQ(commandFile().consoleLine(0), "INF 6");
    EXPECT_EQ(commandFile().consoleLine(1), "CFG 8 P203+P318 ");
}

// "Inicializace modulu" proposes today's date in UTC, whatever the PC's time zone, and the
// register's next number with it.
TEST_F(DeviceDialogs, InitialisationDialogProposesTodayInUtc) {
    installModules({"serial 5 4"});
    std::filesystem::create_directory(dir.path() / "reg");
    std::ofstream(dir.str() + "/sn.dat") << dir.str() + "/reg";
    std::ofstream(dir.str() + "/reg/sernum.txt");
    const test::OtherDayTimeZone zone;
    const std::tm utc = test::OtherDayTimeZone::utcToday();
    std::vector<std::string> shown;
    onNextModal([&](QWidget* w) {
        for (const char* name : {"day", "month", "year", "serial"})
            shown.push_back(w->findChild<QLineEdit*>(name)->text().toStdString());
        test::button(w, "Zavřít")->click();
    });
    window->runCommand(cmd::kInitialise);
    EXPECT_EQ(shown, (std::vector<std::string>{std::to_string(utc.tm_mday), std::to_string(utc.tm_mon + 1),
                                               std::to_string(utc.tm_year + 1900),
                                               SerialEncode(1, 4, packDate(utc.tm_mday, utc.tm_mon + 1, utc.tm_year % 100))}));
}

// "Odeslaní dat": a sub-instruction the wire's one digit cannot carry is refused with the dialog
// left open; the chosen file goes to the job whole, however long, and "cmd.dat" keeps no cut copy.
TEST_F(DeviceDialogs, TransferDialogStartsTheJob) {
    installModules({"serial 5 4"});
    const std::string path = dir.str() + "/" + std::string(60, 'x') + ".txt";
    std::ofstream(path, std::ios::binary) << "AB+CD+EF*";
    std::string refusal;
    bool stayedOpen = false;
    onNextModal([&](QWidget* w) {
        auto* instruction = w->findChild<QLineEdit*>("instruction");
        w->findChild<QLineEdit*>("file")->setText(QString::fromStdString(path));
        instruction->setText("a");  // hexadecimal 10
        closeNextMessage(refusal);
        test::button(w, "Odeslat")->click();
        stayedOpen = w->isVisible();
        instruction->setText("2");
        onNextModal([](QWidget* info) { static_cast<QDialog*>(info)->done(0); });  // the record count
        test::button(w, "Odeslat")->click();
    });
    window->runCommand(cmd::kFileTransfer);
    while (jobActive()) QApplication::processEvents(QEventLoop::AllEvents, 20);
    JobWait();
    EXPECT_EQ(refusal, "Přenos dat|Podinstrukce DLL musí být jedna číslice 0 až 9. ");
    EXPECT_TRUE(stayedOpen);
    EXPECT_NE(wire().received().find("&ML_05#DLL$2+AB+CD+EF*"), std::string::npos) << wire().received();
    commandFile().clear();
    ASSERT_EQ(loadCommandFile(), 0);
    EXPECT_EQ(commandFile().dllInstruction(), "2");
    EXPECT_EQ(commandFile().transferFileName(), "");
}

}  // namespace
}  // namespace lumo
