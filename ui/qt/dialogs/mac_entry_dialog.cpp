// "Identifikace zařízení": the widgets of MacEntryForm (ui/mac_entry_form.h).
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/mac_entry_form.h"
#include "ui/qt/dialogs.h"

namespace lumo::gui {

int runMacEntryDialog(QWidget* owner, std::array<std::uint8_t, 6>& mac) {
    MacEntryForm form;
    form.open(mac);
    QDialog dialog(owner);
    dialog.setWindowTitle(QString::fromUtf8("Identifikace zařízení"));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QString::fromUtf8("MAC adresa zařízení:"), &dialog));
    auto* edit = new QLineEdit(&dialog);
    edit->setObjectName("mac");
    layout->addWidget(edit);
    auto* buttons = new QDialogButtonBox(&dialog);
    buttons->addButton("OK", QDialogButtonBox::AcceptRole);
    buttons->addButton(QString::fromUtf8("Zrušit"), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    showField(edit, form.mac);
    QObject::connect(edit, &QLineEdit::textChanged, &dialog, [&](const QString& t) { form.mac.text = t.toStdString(); });
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        if (const int result = form.pressOk(); result != kFormStaysOpen) dialog.done(result);
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, [&] { dialog.done(form.pressCancel()); });
    // Wide enough for its title beside the frame's buttons.
    edit->setMinimumWidth(dialog.fontMetrics().horizontalAdvance(dialog.windowTitle()) + 120);
    finishDialog(&dialog);
    if (execDialog(dialog) != 1) return 0;
    mac = form.address;
    return 1;
}

}  // namespace lumo::gui
