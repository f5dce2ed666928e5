// "Vydaná výrobní čísla": the widgets of RegisterForm (ui/register_form.h).
#include <QDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ui/qt/dialogs.h"
#include "ui/qt/list_view.h"
#include "ui/register_form.h"

namespace lumo::gui {

int runRegisterDialog(QWidget* owner, int typeCode, RegisterChoice& chosen) {
    RegisterForm form;
    if (!form.open(typeCode)) return 0;
    QDialog dialog(owner);
    dialog.setWindowTitle(QString::fromUtf8("Vydaná výrobní čísla"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(new QLabel("Soubor:", &dialog));
    auto* file = new QLineEdit(&dialog);
    file->setObjectName("file");
    showField(file, form.file);
    fileRow->addWidget(file);
    layout->addLayout(fileRow);
    auto* list = new QTreeWidget(&dialog);
    list->setObjectName("list");
    QStringList titles;
    for (const auto& c : form.columns) titles << QString::fromStdString(c);
    addListColumns(list, titles);
    flipCheckOnRowClick(list);

    // The rows as the form orders them, with their check boxes and the current one.
    auto showRows = [&] {
        const QSignalBlocker quiet(list);  // rebuilding is no change of the user's
        list->clear();
        for (const auto& row : form.rows) {
            QStringList texts;
            for (const auto& t : row.texts) texts << QString::fromStdString(t);
            auto* item = new QTreeWidgetItem(texts);
            item->setCheckState(0, row.checked ? Qt::Checked : Qt::Unchecked);
            list->addTopLevelItem(item);
        }
        if (form.current >= 0) list->setCurrentItem(list->topLevelItem(form.current));
    };
    showRows();
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
    QObject::connect(list, &QTreeWidget::currentItemChanged, &dialog,
                     [&](QTreeWidgetItem* item) { form.current = item == nullptr ? -1 : list->indexOfTopLevelItem(item); });
    QObject::connect(list, &QTreeWidget::itemChanged, &dialog, [&](QTreeWidgetItem* item, int column) {
        const int i = list->indexOfTopLevelItem(item);
        if (column == 0 && i >= 0) form.rows[static_cast<std::size_t>(i)].checked = item->checkState(0) == Qt::Checked;
    });
    QObject::connect(list->header(), &QHeaderView::sectionClicked, &dialog, [&](int column) {
        form.pressColumn(column);
        showRows();
    });
    QObject::connect(ok, &QPushButton::clicked, &dialog, [&] {
        if (const int result = form.pressOk(); result != kFormStaysOpen) dialog.done(result);
    });
    QObject::connect(closeButton, &QPushButton::clicked, &dialog, [&] { dialog.done(form.pressClose()); });
    list->setMinimumSize(560, 300);
    finishDialog(&dialog);
    dialog.move(150, 150);
    if (execDialog(dialog) != 1) return 0;
    chosen = form.chosen;
    return 1;
}

}  // namespace lumo::gui
