// "Vyhledání TCP zařízení": the device servers that answer the search, newest first, saved as
// lines in the order they answered.
#include <QApplication>
#include <QBrush>
#include <QDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <atomic>
#include <memory>

#include "actions/network_actions.h"
#include "platform/system_error.h"
#include "ui/qt/dialogs.h"

namespace lumo::gui {

int runTcpSearchDialog(QWidget* owner) {
    platform::setLastSystemError(0);
    QDialog dialog(owner);
    dialog.setWindowTitle(QString::fromUtf8("Vyhledání TCP zařízení"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* top = new QHBoxLayout;
    auto* search = new QPushButton(QString::fromUtf8("Spustit hledání"), &dialog);
    search->setObjectName("search");
    auto* maskBox = new QGroupBox(QString::fromUtf8("Maska podsítě"), &dialog);
    auto* masks = new QHBoxLayout(maskBox);
    auto* narrow = new QRadioButton("255.255.255.0", maskBox);
    auto* wide = new QRadioButton("255.255.0.0", maskBox);
    narrow->setObjectName("narrow");
    wide->setObjectName("wide");
    narrow->setChecked(true);
    masks->addWidget(narrow);
    masks->addWidget(wide);
    top->addWidget(search);
    top->addWidget(maskBox);
    top->addStretch();
    layout->addLayout(top);
    auto* list = new QTreeWidget(&dialog);
    list->setObjectName("list");
    list->setRootIsDecorated(false);
    // The headers carry their blanks: they size the columns.
    list->setHeaderLabels({QString("Typ").leftJustified(21), QString::fromUtf8("výrobní číslo").leftJustified(25),
                           QString("MAC adresa").leftJustified(27), QString("IP adresa").leftJustified(15)});
    list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list->setMinimumSize(560, 220);
    layout->addWidget(list);
    const auto buttons = addButtonRow(dialog, layout, {"Uložit", "Zavřít"});
    QPushButton* save = buttons[0];
    QPushButton* close = buttons[1];
    std::vector<SearchRow> rows;
    const auto rowItem = [](const SearchRow& r) {
        auto* item = new QTreeWidgetItem({QString::fromStdString(searchTypeText(r)), QString::fromStdString(r.serial),
                                          QString::fromStdString(searchMacText(r)), QString::fromStdString(r.ip)});
        // Two devices with one address: a fault on site, marked.
        if (r.sameMac) item->setForeground(2, QBrush(Qt::red));
        if (r.sameIp) item->setForeground(3, QBrush(Qt::red));
        if (r.sameIp || r.sameMac) item->setToolTip(0, QString::fromUtf8("Stejnou adresu má i jiné zařízení v seznamu"));
        return item;
    };
    // Closing the dialog ends a search that runs.
    auto searching = std::make_shared<std::atomic<bool>>(false);
    QObject::connect(&dialog, &QDialog::finished, &dialog, [searching] { *searching = false; });
    QObject::connect(search, &QPushButton::clicked, &dialog, [&] {
        list->clear();
        search->setEnabled(false);
        save->setEnabled(false);
        *searching = true;
        QPointer<QTreeWidget> shown(list);
        // Each answer shows at the top as it comes; the window stays alive meanwhile.
        searchTcpDevices(
            wide->isChecked(), rows, 10000,
            [shown, rowItem](const SearchRow& r) {
                QMetaObject::invokeMethod(qApp, [shown, rowItem, r] {
                    if (shown) shown->insertTopLevelItem(0, rowItem(r));
                });
            },
            [searching] { return searching->load(); });
        *searching = false;
        // The rows still on their way are shown first, then the whole list again, with the
        // doubled addresses marked.
        QCoreApplication::sendPostedEvents(qApp, QEvent::MetaCall);
        list->clear();
        for (const SearchRow& r : rows) list->addTopLevelItem(rowItem(r));
        search->setEnabled(true);
        save->setEnabled(true);
    });
    int saved = 0;
    QObject::connect(save, &QPushButton::clicked, &dialog, [&] { saved += std::max(0, saveSearchRows(rows)); });
    QObject::connect(close, &QPushButton::clicked, &dialog, &QDialog::reject);
    finishDialog(&dialog);
    dialog.exec();
    return saved > 0 ? 1 : 0;
}

}  // namespace lumo::gui
