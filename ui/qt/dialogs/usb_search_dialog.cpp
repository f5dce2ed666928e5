// "Vyhledání USB zařízení": the bridges present listed, the list saved as lines.
#include <QDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "actions/usb_actions.h"
#include "platform/system_error.h"
#include "ui/qt/dialogs.h"

namespace lumo::gui {

int runUsbSearchDialog(QWidget* owner) {
    platform::setLastSystemError(0);
    QDialog dialog(owner);
    dialog.setWindowTitle(QString::fromUtf8("Vyhledání USB zařízení"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* search = new QPushButton(QString::fromUtf8("Spustit hledání"), &dialog);
    search->setObjectName("search");
    layout->addWidget(search, 0, Qt::AlignLeft);
    auto* list = new QTreeWidget(&dialog);
    list->setObjectName("list");
    list->setRootIsDecorated(false);
    list->setHeaderLabels({"Typ", QString::fromUtf8("výrobní číslo"), "VID/PID", "COM"});
    list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list->setMinimumSize(460, 180);
    layout->addWidget(list);
    const auto buttons = addButtonRow(dialog, layout, {"Uložit", "Zavřít"});
    QPushButton* save = buttons[0];
    QPushButton* close = buttons[1];
    std::vector<UsbRow> rows;
    QObject::connect(search, &QPushButton::clicked, &dialog, [&] {
        list->clear();
        rows = searchUsbDevices();
        for (const UsbRow& r : rows) {
            list->addTopLevelItem(new QTreeWidgetItem({QString::fromStdString(usbTypeText(r)), QString::fromStdString(r.serial),
                                                       QString::fromStdString(usbVidPidText(r)), QString::fromStdString(r.com)}));
        }
    });
    int saved = 0;
    QObject::connect(save, &QPushButton::clicked, &dialog, [&] {
        saved += std::max(0, saveUsbRows(rows));
        rows.clear();
        list->clear();
    });
    QObject::connect(close, &QPushButton::clicked, &dialog, &QDialog::reject);
    finishDialog(&dialog);
    dialog.exec();
    return saved > 0 ? 1 : 0;
}

}  // namespace lumo::gui
