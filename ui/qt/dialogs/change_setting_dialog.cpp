// The change-setting dialog: the widgets of ChangeSettingForm (ui/change_setting_form.h).
#include <QComboBox>
#include <QDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/change_setting_form.h"
#include "ui/qt/dialogs.h"

namespace lumo::gui {

int runChangeSettingDialog(QWidget* owner, int lineIndex, int moduleNumber, ChangeMode mode) {
    ChangeSettingForm form;
    if (!form.open(lineIndex, moduleNumber, mode)) return 0;
    QDialog dialog(owner);
    dialog.setWindowTitle(QString::fromStdString(form.title));
    auto* layout = new QVBoxLayout(&dialog);
    auto* rows = new QFormLayout;
    layout->addLayout(rows);
    auto* current = new QLineEdit(&dialog);
    current->setObjectName("current");
    auto* choice = new QComboBox(&dialog);
    choice->setObjectName("choice");
    rows->addRow(QString::fromUtf8("Současné nastavení:"), current);
    rows->addRow(QString::fromUtf8("Nové nastavení:"), choice);
    auto* buttons = new QHBoxLayout;
    auto* apply = new QPushButton(&dialog);
    apply->setObjectName("apply");
    auto* closeButton = new QPushButton(QString::fromUtf8("Zavřít"), &dialog);
    buttons->addStretch();
    buttons->addWidget(apply);
    buttons->addWidget(closeButton);
    layout->addLayout(buttons);
    auto show = [&] {
        showField(current, form.current);
        showChoice(choice, form.choice);
        showButton(apply, form.apply);
    };
    show();
    QObject::connect(choice, &QComboBox::currentIndexChanged, &dialog, [&](int i) {
        form.choose(i);
        show();
    });
    QObject::connect(apply, &QPushButton::clicked, &dialog, [&] {
        if (const int result = form.pressApply(); result != kFormStaysOpen) dialog.done(result);
    });
    QObject::connect(closeButton, &QPushButton::clicked, &dialog, [&] { dialog.done(form.pressClose()); });
    dialog.setMinimumWidth(300);
    finishDialog(&dialog);
    return execDialog(dialog) == 1 ? 1 : 0;
}

}  // namespace lumo::gui
