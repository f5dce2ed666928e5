// "Přidání zařízení": the line form (a line of one of the five head types) and the module form
// (a module of a type from the choice list, at an ID address).
#include <QComboBox>
#include <QDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "actions/install_actions.h"
#include "model/device_catalog.h"
#include "platform/system_error.h"
#include "ui/qt/dialogs.h"

namespace lumo::gui {
namespace {

struct Form {
    QDialog dialog;
    QComboBox* type = nullptr;
    QLineEdit* description = nullptr;
    QLineEdit* id = nullptr;
    QPushButton* insert = nullptr;

    explicit Form(QWidget* owner) : dialog(owner) {
        dialog.setWindowTitle(QString::fromUtf8("Přidání zařízení"));
        auto* layout = new QVBoxLayout(&dialog);
        auto* form = new QFormLayout;
        layout->addLayout(form);
        type = new QComboBox(&dialog);
        type->setObjectName("type");
        description = new QLineEdit(&dialog);
        description->setObjectName("description");
        markReadOnly(description);
        description->setMinimumWidth(description->fontMetrics().horizontalAdvance(
                                         QString::fromUtf8("komunikační linka (COM, TCP)")) + 16);
        id = new QLineEdit(&dialog);
        id->setObjectName("id");
        form->addRow(QString::fromUtf8("Typ zařízení:"), type);
        form->addRow(QString::fromUtf8("Popis:"), description);
        form->addRow(QString::fromUtf8("ID adresa"), id);
        auto* buttons = new QHBoxLayout;
        insert = new QPushButton(QString::fromUtf8("Vložit"), &dialog);
        insert->setObjectName("insert");
        auto* closeButton = new QPushButton(QString::fromUtf8("Zavřít"), &dialog);
        buttons->addStretch();
        buttons->addWidget(insert);
        buttons->addWidget(closeButton);
        layout->addLayout(buttons);
        QObject::connect(closeButton, &QPushButton::clicked, &dialog, [this] { dialog.done(0); });
        // The description follows the chosen type.
        QObject::connect(type, &QComboBox::currentIndexChanged, &dialog, [this] {
            description->setText(QString::fromStdString(kindName(static_cast<DeviceTypeCode>(type->currentData().toInt()))));
        });
        dialog.setMinimumWidth(320);
    }
    DeviceTypeCode chosen() const { return static_cast<DeviceTypeCode>(type->currentData().toInt()); }
};

}  // namespace

int runAddLineDialog(QWidget* owner) {
    Form f(owner);
    for (int i = 0; i < 5; ++i)
        f.type->addItem(QString::fromStdString(lineHeadName(i)), LineHeadTypes[static_cast<std::size_t>(i)]);
    f.type->setCurrentIndex(0);
    f.description->setText(QString::fromStdString(kindName(0)));
    f.id->setEnabled(false);
    QObject::connect(f.insert, &QPushButton::clicked, &f.dialog, [&f] {
        const int result = addLine(f.chosen());
        if (result == 0) f.dialog.done(0);  // the line table is full: its message was shown
        else if (result > 0) f.dialog.done(1);
    });
    finishDialog(&f.dialog);
    return f.dialog.exec() == 1 ? 1 : 0;
}

int runAddModuleDialog(QWidget* owner, int lineIndex) {
    platform::setLastSystemError(0);
    Form f(owner);
    for (const auto& choice : moduleTypeChoices()) f.type->addItem(QString::fromStdString(choice.label), choice.code);
    f.type->setCurrentIndex(0);
    f.description->setText(QString::fromStdString(kindName(f.chosen())));
    f.id->setEnabled(true);
    QObject::connect(f.insert, &QPushButton::clicked, &f.dialog, [&f, lineIndex] {
        if (addModule(lineIndex, f.chosen(), f.id->text().toStdString()) > 0) f.dialog.done(1);
    });
    finishDialog(&f.dialog);
    return f.dialog.exec() == 1 ? 1 : 0;
}

}  // namespace lumo::gui
