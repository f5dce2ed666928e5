// "Identifikace zařízení": the technician types a device's MAC address.
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/ui_port.h"
#include "discovery/neighbour_binding.h"
#include "platform/system_error.h"
#include "ui/qt/dialogs.h"

namespace lumo::gui {

int runMacEntryDialog(QWidget* owner, std::array<std::uint8_t, 6>& mac) {
    platform::setLastSystemError(0);
    QDialog dialog(owner);
    dialog.setWindowTitle(QString::fromUtf8("Identifikace zařízení"));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QString::fromUtf8("MAC adresa zařízení:"), &dialog));
    auto* edit = new QLineEdit(QString::fromStdString(formatMacText(mac)), &dialog);
    edit->setObjectName("mac");
    edit->setMaxLength(17);
    layout->addWidget(edit);
    auto* buttons = new QDialogButtonBox(&dialog);
    buttons->addButton("OK", QDialogButtonBox::AcceptRole);
    buttons->addButton(QString::fromUtf8("Zrušit"), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        const auto parsed = parseMacText(edit->text().left(17).toStdString());
        if (!parsed) {
            uiMessage("Chyba", "Neplatná MAC adresa!  ", MessageIcon::Error);
            return;
        }
        mac = *parsed;
        dialog.done(1);
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, [&] { dialog.done(0); });
    // Wide enough for its title beside the frame's buttons.
    edit->setMinimumWidth(dialog.fontMetrics().horizontalAdvance(dialog.windowTitle()) + 120);
    finishDialog(&dialog);
    return dialog.exec() == 1 ? 1 : 0;
}

}  // namespace lumo::gui
