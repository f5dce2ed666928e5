// "Přidání zařízení": the widgets of AddDeviceForm (ui/add_device_form.h), in its line form and
// its module form.
#include <QComboBox>
#include <QDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/add_device_form.h"
#include "ui/qt/dialogs.h"

namespace lumo::gui {
namespace {

int runAddDeviceDialog(QWidget* owner, AddDeviceForm& form) {
    QDialog dialog(owner);
    dialog.setWindowTitle(QString::fromUtf8("Přidání zařízení"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* rows = new QFormLayout;
    layout->addLayout(rows);
    auto* type = new QComboBox(&dialog);
    type->setObjectName("type");
    auto* description = new QLineEdit(&dialog);
    description->setObjectName("description");
    description->setMinimumWidth(description->fontMetrics().horizontalAdvance(QString::fromUtf8("komunikační linka (COM, TCP)")) + 16);
    auto* id = new QLineEdit(&dialog);
    id->setObjectName("id");
    rows->addRow(QString::fromUtf8("Typ zařízení:"), type);
    rows->addRow(QString::fromUtf8("Popis:"), description);
    rows->addRow(QString::fromUtf8("ID adresa"), id);
    auto* buttons = new QHBoxLayout;
    auto* insert = new QPushButton(QString::fromUtf8("Vložit"), &dialog);
    insert->setObjectName("insert");
    auto* closeButton = new QPushButton(QString::fromUtf8("Zavřít"), &dialog);
    buttons->addStretch();
    buttons->addWidget(insert);
    buttons->addWidget(closeButton);
    layout->addLayout(buttons);

    auto show = [&] {
        showChoice(type, form.type);
        showField(description, form.description);
        showField(id, form.id);
    };
    show();
    QObject::connect(type, &QComboBox::currentIndexChanged, &dialog, [&](int i) {
        form.chooseType(i);
        show();
    });
    QObject::connect(id, &QLineEdit::textChanged, &dialog, [&](const QString& t) { form.id.text = t.toStdString(); });
    QObject::connect(insert, &QPushButton::clicked, &dialog, [&] {
        if (const int result = form.pressInsert(); result != kFormStaysOpen) dialog.done(result);
    });
    QObject::connect(closeButton, &QPushButton::clicked, &dialog, [&] { dialog.done(form.pressClose()); });
    dialog.setMinimumWidth(320);
    finishDialog(&dialog);
    return execDialog(dialog) == 1 ? 1 : 0;
}

}  // namespace

int runAddLineDialog(QWidget* owner) {
    AddDeviceForm form;
    form.openLine();
    return runAddDeviceDialog(owner, form);
}

int runAddModuleDialog(QWidget* owner, int lineIndex) {
    AddDeviceForm form;
    form.openModule(lineIndex);
    return runAddDeviceDialog(owner, form);
}

}  // namespace lumo::gui
