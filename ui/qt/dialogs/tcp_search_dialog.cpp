// "Vyhledání TCP zařízení": the widgets of TcpSearchForm (ui/tcp_search_form.h).
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

#include "ui/qt/dialogs.h"
#include "ui/tcp_search_form.h"

namespace lumo::gui {
namespace {

QTreeWidgetItem* rowItem(const TcpSearchForm::Row& r) {
    auto* item = new QTreeWidgetItem({QString::fromStdString(r.texts[0]), QString::fromStdString(r.texts[1]),
                                      QString::fromStdString(r.texts[2]), QString::fromStdString(r.texts[3])});
    if (r.sameMac) item->setForeground(2, QBrush(Qt::red));
    if (r.sameIp) item->setForeground(3, QBrush(Qt::red));
    if (!r.tip.empty()) item->setToolTip(0, QString::fromStdString(r.tip));
    return item;
}

}  // namespace

int runTcpSearchDialog(QWidget* owner) {
    TcpSearchForm form;
    form.open();
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
    (form.wideMask ? wide : narrow)->setChecked(true);
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

    auto show = [&] {
        list->clear();
        for (const auto& r : form.list) list->addTopLevelItem(rowItem(r));
        showButton(search, form.search);
        showButton(save, form.save);
    };
    form.showNow = show;
    // Each answer shows at the top as it comes; the window stays alive meanwhile.
    form.arrived = [shown = QPointer<QTreeWidget>(list)](const TcpSearchForm::Row& r) {
        QMetaObject::invokeMethod(qApp, [shown, r] {
            if (shown) shown->insertTopLevelItem(0, rowItem(r));
        });
    };
    QObject::connect(&dialog, &QDialog::finished, &dialog, [&] { form.stop(); });
    QObject::connect(wide, &QRadioButton::toggled, &dialog, [&](bool checked) { form.wideMask = checked; });
    QObject::connect(search, &QPushButton::clicked, &dialog, [&] {
        form.pressSearch();
        // The rows still on their way are shown first, then the whole list again.
        QCoreApplication::sendPostedEvents(qApp, QEvent::MetaCall);
        show();
    });
    QObject::connect(save, &QPushButton::clicked, &dialog, [&] { form.pressSave(); });
    QObject::connect(close, &QPushButton::clicked, &dialog, [&] { dialog.done(form.pressClose()); });
    finishDialog(&dialog);
    execDialog(dialog);
    return form.pressClose();
}

}  // namespace lumo::gui
