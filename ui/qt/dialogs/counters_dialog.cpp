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
#include "ui/field_rules.h"
#include "ui/qt/dialogs.h"

namespace lumo::gui {
namespace {

// A counter's field takes eight digits; a longer value than its text's width is sent in full.
constexpr int kCounterFieldMost = 99999999;

// "C1 - počet časových plánů:" is named "C1 - počet časových plánů".
std::string counterFieldName(int c) {
    std::string label = counterLabels()[static_cast<std::size_t>(c)];
    while (!label.empty() && (label.back() == ':' || label.back() == ' ')) label.pop_back();
    return label;
}

}  // namespace

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
        e->setValidator(new QIntValidator(0, kCounterFieldMost, e));  // digits only
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
        // Every counter the module reported needs a number its field holds; a field that does
        // not hold one is refused, and nothing is sent.
        Counters changed;
        for (int c = 0; c < kCounterCount; ++c) {
            QLineEdit* e = fields[static_cast<std::size_t>(c)];
            if (!e->isEnabled()) continue;
            const std::string label = counterFieldName(c);
            const auto value = readNumberField(label, e->text().toStdString(), 0, kCounterFieldMost);
            if (!value) {
                e->setFocus();
                e->selectAll();
                return;
            }
            changed[static_cast<std::size_t>(c)] = static_cast<long>(*value);
        }
        dialog.done(actionDone(writeModuleCounters(lineIndex, moduleNumber, changed)) ? 1 : 0);
    });
    QObject::connect(closeButton, &QPushButton::clicked, &dialog, [&] { dialog.done(1); });
    finishDialog(&dialog);
    return dialog.exec();
}

}  // namespace lumo::gui
