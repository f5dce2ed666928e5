// "Nastavení počítadel": the five counters of a module, read from it and written back.
#include <QDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <array>

#include "actions/device_actions.h"
#include "device/counters.h"
#include "platform/system_error.h"
#include "ui/qt/dialogs.h"

namespace lumo::gui {

int runCountersDialog(QWidget* owner, int lineIndex, int moduleNumber) {
    platform::setLastSystemError(0);
    Counters counters;
    if (!actionDone(readModuleCounters(lineIndex, moduleNumber, counters))) return 0;
    QDialog dialog(owner);
    dialog.setWindowTitle(QString::fromUtf8("Nastavení počítadel"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    std::array<QLineEdit*, kCounterCount> fields{};
    for (int c = 0; c < kCounterCount; ++c) {
        auto* e = new QLineEdit(&dialog);
        e->setObjectName(QString("c%1").arg(c + 1));
        e->setValidator(new QIntValidator(0, 99999999, e));  // digits only
        const auto& value = counters[static_cast<std::size_t>(c)];
        // Only a counter the module reported can be changed.
        e->setEnabled(value.has_value());
        if (value) e->setText(QString::number(*value));
        form->addRow(QString::fromUtf8(counterLabels()[static_cast<std::size_t>(c)]), e);
        fields[static_cast<std::size_t>(c)] = e;
    }
    auto* buttons = new QHBoxLayout;
    auto* set = new QPushButton("Nastavit", &dialog);
    auto* closeButton = new QPushButton(QString::fromUtf8("Zavřít"), &dialog);
    buttons->addStretch();
    buttons->addWidget(set);
    buttons->addWidget(closeButton);
    layout->addLayout(buttons);
    QObject::connect(set, &QPushButton::clicked, &dialog, [&] {
        Counters changed;
        for (int c = 0; c < kCounterCount; ++c) {
            QLineEdit* e = fields[static_cast<std::size_t>(c)];
            bool ok = false;
            const long value = e->text().toLong(&ok);
            if (e->isEnabled() && ok) changed[static_cast<std::size_t>(c)] = value;
        }
        dialog.done(actionDone(writeModuleCounters(lineIndex, moduleNumber, changed)) ? 1 : 0);
    });
    QObject::connect(closeButton, &QPushButton::clicked, &dialog, [&] { dialog.done(1); });
    finishDialog(&dialog);
    return dialog.exec();
}

}  // namespace lumo::gui
