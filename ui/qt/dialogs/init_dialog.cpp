// "Inicializace modulu": the widgets of InitForm (ui/init_form.h).
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <utility>

#include "serial/serial_register.h"
#include "ui/init_form.h"
#include "ui/qt/dialogs.h"

namespace lumo::gui {

int runInitDialog(QWidget* owner, int lineIndex, int moduleNumber) {
    InitForm form;
    if (!form.open(lineIndex, moduleNumber)) return 0;
    QDialog dialog(owner);
    dialog.setWindowTitle(QString::fromUtf8("Inicializace modulu"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* grid = new QGridLayout;
    layout->addLayout(grid);
    const auto field = [&dialog](const char* name) {
        auto* e = new QLineEdit(&dialog);
        e->setObjectName(name);
        return e;
    };
    const std::pair<QLineEdit*, FormField*> numbers[] = {
        {field("day"), &form.day}, {field("month"), &form.month}, {field("year"), &form.year}, {field("sequence"), &form.sequence}};
    const char* labels[] = {"den", "měsíc", "rok", "pořadí"};
    for (int i = 0; i < 4; ++i) {
        grid->addWidget(new QLabel(QString::fromUtf8(labels[i]), &dialog), 0, i);
        grid->addWidget(numbers[i].first, 1, i);
    }
    auto* typeList = new QComboBox(&dialog);
    typeList->setObjectName("type");
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

    auto show = [&] {
        for (const auto& [e, f] : numbers) showField(e, *f);
        showChoice(typeList, form.type);
        showField(serial, form.serial);
        for (int i = 0; i < 4; ++i) {
            QAbstractButton* b = media->button(i);
            const QString text = QString::fromStdString(form.medium.items[static_cast<std::size_t>(i)]);
            if (b->text() != text) b->setText(text);
        }
        if (form.medium.chosen >= 0 && media->checkedId() != form.medium.chosen) media->button(form.medium.chosen)->setChecked(true);
        clear->setChecked(form.clearMemory);
        showField(note, form.note);
        outcome->setText(QString::fromStdString(form.outcome.text));
    };
    form.chooseRegistered = [&](int typeCode, RegisterChoice& chosen) { return runRegisterDialog(&dialog, typeCode, chosen); };
    for (const auto& [e, f] : numbers)
        QObject::connect(e, &QLineEdit::textChanged, &dialog, [f = f](const QString& t) { f->text = t.toStdString(); });
    QObject::connect(note, &QLineEdit::textChanged, &dialog, [&](const QString& t) { form.note.text = t.toStdString(); });
    show();
    form.showNow = show;
    for (const auto& [e, f] : numbers) {
        limitTyping(e, [&form, f = f](const std::string& text) { return form.takes(*f, text); });
        QObject::connect(e, &QLineEdit::editingFinished, &dialog, [&, f = f] {
            form.left(*f);
            show();
        });
    }
    QObject::connect(typeList, &QComboBox::currentIndexChanged, &dialog, [&](int i) {
        form.chooseType(i);
        show();
    });
    QObject::connect(media, &QButtonGroup::idToggled, &dialog, [&](int id, bool checked) {
        if (checked) form.medium.chosen = id;
    });
    QObject::connect(clear, &QCheckBox::toggled, &dialog, [&](bool checked) { form.clearMemory = checked; });
    QObject::connect(current, &QPushButton::clicked, &dialog, [&] {
        form.pressCurrent();
        show();
    });
    QObject::connect(pick, &QPushButton::clicked, &dialog, [&] {
        form.pressPick();
        show();
    });
    QObject::connect(run, &QPushButton::clicked, &dialog, [&] {
        const int result = form.pressRun();
        show();
        if (result != kFormStaysOpen) dialog.done(result);
    });
    QObject::connect(close, &QPushButton::clicked, &dialog, [&] { dialog.done(form.pressClose()); });
    finishDialog(&dialog);
    return execDialog(dialog);
}

}  // namespace lumo::gui
