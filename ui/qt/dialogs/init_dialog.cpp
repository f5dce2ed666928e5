// "Inicializace modulu": the next free serial number proposed, adjusted, written into the
// device with the register kept.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "actions/device_actions.h"
#include "actions/init_actions.h"
#include "base/error_report.h"
#include "model/installation.h"
#include "model/program_config.h"
#include "platform/clock.h"
#include "platform/system_error.h"
#include "serial/serial_number.h"
#include "serial/serial_register.h"
#include "ui/qt/dialogs.h"

namespace lumo::gui {

int runInitDialog(QWidget* owner, int lineIndex, int moduleNumber) {
    platform::setLastSystemError(0);
    // The selected device type: the module's, or the line's head device's.
    DeviceTypeCode type = 0;
    if (moduleNumber != 0) {
        ModuleRecord m;
        if (!readModuleRecord(lineIndex, moduleNumber, m)) {
            reportError();
            return 0;
        }
        type = m.type();
    } else {
        LineRecord l;
        if (!readLineRecord(lineIndex, l)) {
            reportError();
            return 0;
        }
        type = l.headType();
    }
    const int registerType = moduleNumber != 0 ? type : 0;
    QDialog dialog(owner);
    dialog.setWindowTitle(QString::fromUtf8("Inicializace modulu"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* grid = new QGridLayout;
    layout->addLayout(grid);
    const auto field = [&dialog](const char* name, int max) {
        auto* e = new QLineEdit(&dialog);
        e->setObjectName(name);
        e->setValidator(new QIntValidator(0, max, e));
        return e;
    };
    QLineEdit* day = field("day", 31);
    QLineEdit* month = field("month", 12);
    QLineEdit* year = field("year", 2099);
    QLineEdit* sequence = field("sequence", 9999);
    const char* labels[] = {"den", "měsíc", "rok", "pořadí"};
    QLineEdit* fields[] = {day, month, year, sequence};
    for (int i = 0; i < 4; ++i) {
        grid->addWidget(new QLabel(QString::fromUtf8(labels[i]), &dialog), 0, i);
        grid->addWidget(fields[i], 1, i);
    }
    auto* typeList = new QComboBox(&dialog);
    typeList->setObjectName("type");
    for (int i = 0; i < kInitListSize; ++i) typeList->addItem(QString::fromStdString(modelName(initListCode(i))));
    grid->addWidget(new QLabel(QString::fromUtf8("typ zařízení"), &dialog), 2, 0);
    grid->addWidget(typeList, 2, 1, 1, 3);

    auto* numberBox = new QGroupBox(QString::fromUtf8("Výrobní číslo"), &dialog);
    auto* numberRow = new QHBoxLayout(numberBox);
    auto* serial = new QLineEdit(&dialog);
    serial->setObjectName("serial");
    QFont large("Arial");
    large.setBold(true);
    large.setPixelSize(27);
    serial->setFont(large);
    markReadOnly(serial);
    auto* current = new QPushButton(QString::fromUtf8("aktuální"), &dialog);
    auto* pick = new QPushButton(QString::fromUtf8("Výběr >>"), &dialog);
    numberRow->addWidget(serial, 1);
    numberRow->addWidget(current);
    numberRow->addWidget(pick);
    layout->addWidget(numberBox);

    auto* mediumBox = new QGroupBox(QString::fromUtf8("typ ID / specifikace"), &dialog);
    auto* mediumRow = new QHBoxLayout(mediumBox);
    auto* media = new QButtonGroup(&dialog);
    for (int i = 0; i < 4; ++i) {
        auto* b = new QRadioButton(mediumBox);
        b->setObjectName(QString("medium%1").arg(i));
        media->addButton(b, i);
        mediumRow->addWidget(b);
    }
    layout->addWidget(mediumBox);
    auto* clear = new QCheckBox(QString::fromUtf8("Vymazat obsah paměti"), &dialog);
    clear->setObjectName("clearMemory");
    layout->addWidget(clear);
    auto* noteRow = new QHBoxLayout;
    auto* note = new QLineEdit(&dialog);
    note->setObjectName("note");
    note->setMaxLength(49);
    noteRow->addWidget(new QLabel(QString::fromUtf8("Poznámka"), &dialog));
    noteRow->addWidget(note, 1);
    layout->addLayout(noteRow);
    auto* outcome = new QLabel(&dialog);
    outcome->setObjectName("outcome");
    QFont bold("Arial");
    bold.setBold(true);
    bold.setPixelSize(18);
    outcome->setFont(bold);
    layout->addWidget(outcome);
    const auto buttons = addButtonRow(dialog, layout, {"Spustit inicializaci", "Zavřít"});
    QPushButton* run = buttons[0];
    QPushButton* close = buttons[1];

    int reissueSequence = 0;
    const auto recompute = [&] {
        const DeviceTypeCode code = initListCode(std::max(0, typeList->currentIndex()));
        int y = year->text().toInt();
        if (y > 2000) y -= 2000;
        serial->setText(QString::fromStdString(
            SerialEncode(sequence->text().toInt(), code, packDate(day->text().toInt(), month->text().toInt(), y % 100))));
        const auto names = initMediumLabels(code);
        for (int i = 0; i < 4; ++i) media->button(i)->setText(QString::fromUtf8(names[static_cast<std::size_t>(i)]));
        outcome->clear();
    };
    const auto fresh = [&] {
        const platform::LocalTime today = platform::utcTime();  // the serial number's date is today's in UTC
        day->setText(QString::number(today.day));
        month->setText(QString::number(today.month));
        year->setText(QString::number(today.year));
        const int last = RegisterLastSequence(registerType);
        if (last < 0) {
            reportRegisterFailure();
            return false;
        }
        sequence->setText(QString::number(last + 1));
        typeList->setCurrentIndex(std::max(0, initListIndex(type)));
        media->button(0)->setChecked(true);
        recompute();
        return true;
    };
    fresh();
    if (loadCommandFile() != 0) clearError();  // none yet: the remembered values start empty
    note->setText(QString::fromStdString(commandFile().note(type)));
    const int remembered = commandFile().idMedium(type);
    if (remembered >= 0 && remembered < 4) media->button(remembered)->setChecked(true);
    for (QLineEdit* e : fields) QObject::connect(e, &QLineEdit::editingFinished, &dialog, recompute);
    QObject::connect(typeList, &QComboBox::currentIndexChanged, &dialog, [&](int) { recompute(); });
    QObject::connect(current, &QPushButton::clicked, &dialog, [&] {
        reissueSequence = 0;
        fresh();
    });
    QObject::connect(pick, &QPushButton::clicked, &dialog, [&] {
        RegisterChoice chosen;
        if (runRegisterDialog(&dialog, registerType, chosen) != 1) return;
        const SerialParts parts = SerialDecode(chosen.serial);
        reissueSequence = parts.sequence;
        day->setText(QString::number(dateDay(parts.date)));
        month->setText(QString::number(dateMonth(parts.date)));
        year->setText(QString::number(dateYear(parts.date) + 2000));
        sequence->setText(QString::number(parts.sequence));
        typeList->setCurrentIndex(std::max(0, initListIndex(static_cast<DeviceTypeCode>(parts.typeCode))));
        recompute();
    });
    QObject::connect(run, &QPushButton::clicked, &dialog, [&] {
        recompute();
        InitChoice c;
        c.day = day->text().toInt();
        c.month = month->text().toInt();
        c.year = year->text().toInt();
        c.typeCode = initListCode(typeList->currentIndex());
        c.sequence = sequence->text().toInt();
        c.medium = std::max(0, media->checkedId());
        c.note = note->text().toStdString();
        c.clearMemory = clear->isChecked();
        c.reissueSequence = reissueSequence;
        std::string written;
        if (c.sequence <= 0) return;
        const int result = initialiseModuleAction(lineIndex, moduleNumber, c, written);
        if (actionDone(result)) dialog.done(1);
        else if (result < 0) outcome->setText(QString::fromUtf8("Zápis nebyl úspěšný !"));  // not after a No
    });
    QObject::connect(close, &QPushButton::clicked, &dialog, &QDialog::reject);
    finishDialog(&dialog);
    return dialog.exec();
}

}  // namespace lumo::gui
