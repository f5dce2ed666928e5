// "Vyhledání USB zařízení": the widgets of UsbSearchForm (ui/usb_search_form.h).
#include <QDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ui/qt/dialogs.h"
#include "ui/usb_search_form.h"

namespace lumo::gui {

int runUsbSearchDialog(QWidget* owner) {
    UsbSearchForm form;
    form.open();
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
    auto showList = [&] {
        list->clear();
        for (const auto& row : form.list) {
            list->addTopLevelItem(new QTreeWidgetItem({QString::fromStdString(row[0]), QString::fromStdString(row[1]),
                                                       QString::fromStdString(row[2]), QString::fromStdString(row[3])}));
        }
    };
    form.showNow = showList;
    QObject::connect(search, &QPushButton::clicked, &dialog, [&] {
        form.pressSearch();
        showList();
    });
    QObject::connect(save, &QPushButton::clicked, &dialog, [&] {
        form.pressSave();
        showList();
    });
    QObject::connect(close, &QPushButton::clicked, &dialog, [&] { dialog.done(form.pressClose()); });
    finishDialog(&dialog);
    execDialog(dialog);
    return form.pressClose();
}

}  // namespace lumo::gui
