// "Vydaná výrobní čísla": the issued numbers of one type code, one to pick.
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "base/error_report.h"
#include "serial/serial_register.h"
#include "ui/qt/dialogs.h"
#include "ui/qt/list_view.h"

namespace lumo::gui {

int runRegisterDialog(QWidget* owner, int typeCode, RegisterChoice& chosen) {
    std::vector<RegisterRow> rows;
    if (!registerRows(typeCode, rows)) {
        reportRegisterFailure();
        return 0;
    }
    QDialog dialog(owner);
    dialog.setWindowTitle(QString::fromUtf8("Vydaná výrobní čísla"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(new QLabel("Soubor:", &dialog));
    auto* file = new QLineEdit(registerFileName(typeCode), &dialog);
    file->setObjectName("file");
    markReadOnly(file);
    fileRow->addWidget(file);
    layout->addLayout(fileRow);
    auto* list = new QTreeWidget(&dialog);
    list->setObjectName("list");
    addListColumns(list, {QString::fromUtf8("výrobní číslo     "), QString::fromUtf8("datum výroby "),
                          QString::fromUtf8("typ zařízení         "), QString::fromUtf8("poznámka ")});
    handleListNotify(list);
    // Each row goes on top; its value is the sequence number, for sorting.
    for (const auto& r : rows) {
        addListRow(list, {QString::fromStdString(r.serial), QString::fromStdString(r.date), QString::fromStdString(r.model),
                          QString::fromStdString(r.rest)},
                   registerLineSequence(r.serial));
    }
    // The columns are as wide as their longest text (a whole serial number, a whole note).
    for (int c = 0; c < list->columnCount(); ++c) list->resizeColumnToContents(c);
    layout->addWidget(list);
    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton("OK", &dialog);
    auto* closeButton = new QPushButton(QString::fromUtf8("Zavřít"), &dialog);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(closeButton);
    layout->addLayout(buttons);
    QObject::connect(ok, &QPushButton::clicked, &dialog, [&] {
        QTreeWidgetItem* row = list->currentItem();
        if (row == nullptr) return;
        chosen = registerChoiceOf({getListText(list, 0), getListText(list, 1), getListText(list, 2), getListText(list, 3)});
        dialog.done(1);
    });
    QObject::connect(closeButton, &QPushButton::clicked, &dialog, [&] { dialog.done(0); });
    list->setMinimumSize(560, 300);
    finishDialog(&dialog);
    dialog.move(150, 150);
    return dialog.exec() == 1 ? 1 : 0;
}

}  // namespace lumo::gui
