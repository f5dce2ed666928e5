// "Nastavení počítadel": the widgets of CountersForm (ui/counters_form.h).
#include <QDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <array>

#include "ui/counters_form.h"
#include "ui/qt/dialogs.h"

namespace lumo::gui {

int runCountersDialog(QWidget* owner, int lineIndex, int moduleNumber) {
    CountersForm form;
    if (!form.open(lineIndex, moduleNumber)) return 0;
    QDialog dialog(owner);
    dialog.setWindowTitle(QString::fromUtf8("Nastavení počítadel"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* rows = new QFormLayout;
    layout->addLayout(rows);
    std::array<QLineEdit*, kCounterCount> fields{};
    for (std::size_t c = 0; c < fields.size(); ++c) {
        auto* e = new QLineEdit(&dialog);
        e->setObjectName(QString("c%1").arg(c + 1));
        limitTyping(e, CountersForm::takes);
        showField(e, form.counters[c]);
        QObject::connect(e, &QLineEdit::textChanged, &dialog,
                         [&form, c](const QString& text) { form.counters[c].text = text.toStdString(); });
        rows->addRow(QString::fromStdString(form.labels[c]), e);
        fields[c] = e;
    }
    form.reselect = [&](const FormField& f) {
        QLineEdit* e = fields[static_cast<std::size_t>(&f - form.counters.data())];
        e->setFocus();
        e->selectAll();
    };
    auto* buttons = new QHBoxLayout;
    auto* set = new QPushButton("Nastavit", &dialog);
    auto* closeButton = new QPushButton(QString::fromUtf8("Zavřít"), &dialog);
    buttons->addStretch();
    buttons->addWidget(set);
    buttons->addWidget(closeButton);
    layout->addLayout(buttons);
    QObject::connect(set, &QPushButton::clicked, &dialog, [&] {
        if (const int result = form.pressSet(); result != kFormStaysOpen) dialog.done(result);
    });
    QObject::connect(closeButton, &QPushButton::clicked, &dialog, [&] { dialog.done(form.pressClose()); });
    finishDialog(&dialog);
    return execDialog(dialog);
}

}  // namespace lumo::gui
