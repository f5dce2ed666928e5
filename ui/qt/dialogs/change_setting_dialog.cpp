// The change-setting dialog: a module's type ("Typ zařízení") or ID address ("ID adresa").
#include <QComboBox>
#include <QDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/error_report.h"
#include "model/device_catalog.h"
#include "model/installation.h"
#include "actions/install_actions.h"
#include "ui/qt/dialogs.h"

namespace lumo::gui {

int runChangeSettingDialog(QWidget* owner, int lineIndex, int moduleNumber, ChangeMode mode) {
    if (!changeSettingApplies(moduleNumber)) return 0;
    ModuleRecord module;
    if (!readModuleRecord(lineIndex, moduleNumber, module)) {
        reportError();
        return 0;
    }
    QDialog dialog(owner);
    dialog.setWindowTitle(mode == ChangeMode::IdAddress ? "ID adresa" : QString::fromUtf8("Typ zařízení"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    auto* current = new QLineEdit(&dialog);
    current->setObjectName("current");
    markReadOnly(current);
    auto* choice = new QComboBox(&dialog);
    choice->setObjectName("choice");
    if (mode == ChangeMode::IdAddress) {
        current->setText(QString::asprintf("%02d", module.id()));
        for (int id = 0; id <= 31; ++id) {
            QString label = QString::asprintf("%02d ", id);
            if (id == 0) label += "(pc)";
            if (id == 31) label += "(master)";
            choice->addItem(label, id);
        }
    } else {
        current->setText(QString::fromStdString(modelName(module.type())));
        for (const auto& c : moduleTypeChoices()) choice->addItem(QString::fromStdString(c.label), c.code);
    }
    choice->setCurrentIndex(-1);
    form->addRow(QString::fromUtf8("Současné nastavení:"), current);
    form->addRow(QString::fromUtf8("Nové nastavení:"), choice);
    auto* buttons = new QHBoxLayout;
    auto* apply = new QPushButton(QString::fromUtf8("Použít"), &dialog);
    apply->setObjectName("apply");
    apply->setEnabled(false);  // until an entry is chosen
    auto* closeButton = new QPushButton(QString::fromUtf8("Zavřít"), &dialog);
    buttons->addStretch();
    buttons->addWidget(apply);
    buttons->addWidget(closeButton);
    layout->addLayout(buttons);
    QObject::connect(choice, &QComboBox::currentIndexChanged, &dialog, [apply](int i) { apply->setEnabled(i >= 0); });
    QObject::connect(apply, &QPushButton::clicked, &dialog, [&] {
        if (actionDone(changeModuleSetting(lineIndex, moduleNumber, mode, choice->currentData().toInt()))) dialog.done(1);
    });
    QObject::connect(closeButton, &QPushButton::clicked, &dialog, [&] { dialog.done(0); });
    dialog.setMinimumWidth(300);
    finishDialog(&dialog);
    return dialog.exec() == 1 ? 1 : 0;
}

}  // namespace lumo::gui
