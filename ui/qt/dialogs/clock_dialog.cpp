// "Nastavení času": the widgets of ClockForm (ui/clock_form.h).
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <utility>

#include "ui/clock_form.h"
#include "ui/qt/dialogs.h"

namespace lumo::gui {

int runClockDialog(QWidget* owner, int lineIndex, int moduleNumber) {
    ClockForm form;
    if (!form.open(lineIndex, moduleNumber)) return 0;
    QDialog dialog(owner);
    dialog.setWindowTitle(QString::fromUtf8("Nastavení času"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* grid = new QGridLayout;
    layout->addLayout(grid);
    grid->addWidget(new QLabel("datum", &dialog), 0, 1);
    grid->addWidget(new QLabel(QString::fromUtf8("čas"), &dialog), 0, 2);
    grid->addWidget(new QLabel("den", &dialog), 0, 3);
    grid->addWidget(new QLabel(QString::fromUtf8("Systém"), &dialog), 1, 0);
    grid->addWidget(new QLabel("Nastavit", &dialog), 2, 0);
    auto field = [&dialog](const char* name) {
        auto* e = new QLineEdit(&dialog);
        e->setObjectName(name);
        return e;
    };
    QLineEdit* systemDate = field("systemDate");
    QLineEdit* systemTime = field("systemTime");
    QLineEdit* systemDay = field("systemDay");
    QLineEdit* date = field("date");
    QLineEdit* time = field("time");
    auto* day = new QComboBox(&dialog);
    day->setObjectName("day");
    grid->addWidget(systemDate, 1, 1);
    grid->addWidget(systemTime, 1, 2);
    grid->addWidget(systemDay, 1, 3);
    grid->addWidget(date, 2, 1);
    grid->addWidget(time, 2, 2);
    grid->addWidget(day, 2, 3);
    auto* system = new QCheckBox(QString::fromUtf8("Systémový čas"), &dialog);
    system->setObjectName("system");
    layout->addWidget(system);
    auto* buttons = new QHBoxLayout;
    auto* set = new QPushButton("Nastavit", &dialog);
    set->setObjectName("set");
    auto* closeButton = new QPushButton(QString::fromUtf8("Zavřít"), &dialog);
    buttons->addStretch();
    buttons->addWidget(set);
    buttons->addWidget(closeButton);
    layout->addLayout(buttons);

    auto show = [&] {
        showField(systemDate, form.systemDate);
        showField(systemTime, form.systemTime);
        showField(systemDay, form.systemDay);
        showField(date, form.date);
        showField(time, form.time);
        showChoice(day, form.day);
        system->setChecked(form.system);
    };
    show();
    form.showNow = show;
    form.reselect = [&](const FormField& f) {
        QLineEdit* e = &f == &form.date ? date : time;
        e->setFocus();
        e->selectAll();
    };
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, &dialog, [&] {
        form.tick();
        show();
    });
    timer.start(1000);
    QObject::connect(system, &QCheckBox::toggled, &dialog, [&](bool checked) {
        form.checkSystem(checked);
        show();
    });
    QObject::connect(day, &QComboBox::currentIndexChanged, &dialog, [&](int i) { form.day.chosen = i; });
    const std::pair<QLineEdit*, FormField*> typedFields[] = {{date, &form.date}, {time, &form.time}};
    for (const auto& typedField : typedFields) {
        QLineEdit* e = typedField.first;
        FormField* f = typedField.second;
        // The field's own text, not the signal's: a change made while the user's keystroke is
        // handled is followed by that keystroke's textChanged with the older text.
        QObject::connect(e, &QLineEdit::textChanged, &dialog, [&form, e, f] { form.changed(*f, e->text().toStdString()); });
        QObject::connect(e, &QLineEdit::textEdited, &dialog, [&, f](const QString& text) {
            form.typed(*f, text.toStdString());
            show();
        });
        QObject::connect(e, &QLineEdit::editingFinished, &dialog, [&, f] {
            form.left(*f);
            show();
        });
    }
    QObject::connect(set, &QPushButton::clicked, &dialog, [&] {
        const int result = form.pressSet();
        show();
        if (result != kFormStaysOpen) dialog.done(result);
    });
    QObject::connect(closeButton, &QPushButton::clicked, &dialog, [&] { dialog.done(form.pressClose()); });
    finishDialog(&dialog);
    return execDialog(dialog);
}

}  // namespace lumo::gui
