#include "ui/qt/list_view.h"

#include <QHeaderView>
#include <algorithm>
#include <memory>
#include <vector>

#include "ui/list_compare.h"

namespace lumo::gui {

bool addListColumns(QTreeWidget* list, const QStringList& titles) {
    list->setColumnCount(static_cast<int>(titles.size()));
    list->setHeaderLabels(titles);
    list->setRootIsDecorated(false);
    for (int i = 0; i < titles.size(); ++i) {
        list->headerItem()->setTextAlignment(i, Qt::AlignLeft);
        list->setColumnWidth(i, std::max(50, list->header()->fontMetrics().horizontalAdvance(titles[i]) + 16));
    }
    return list->columnCount() == titles.size();
}

bool addListRow(QTreeWidget* list, const QStringList& texts, std::int32_t value) {
    if (texts.isEmpty()) return false;
    auto* row = new QTreeWidgetItem(texts);
    row->setData(0, Qt::UserRole, value);
    row->setCheckState(0, Qt::Unchecked);
    list->insertTopLevelItem(0, row);
    return true;
}

void handleListNotify(QTreeWidget* list) {
    QObject::connect(list->header(), &QHeaderView::sectionClicked, list, [list](int) {
        std::vector<QTreeWidgetItem*> rows;
        while (list->topLevelItemCount() > 0) rows.push_back(list->takeTopLevelItem(0));
        std::stable_sort(rows.begin(), rows.end(), [](QTreeWidgetItem* a, QTreeWidgetItem* b) {
            return compareListValues(a->data(0, Qt::UserRole).toInt(), b->data(0, Qt::UserRole).toInt()) < 0;
        });
        for (auto* r : rows) list->addTopLevelItem(r);
    });
    flipCheckOnRowClick(list);
}

void flipCheckOnRowClick(QTreeWidget* list) {
    // A click on the check box itself is toggled by the list; a click elsewhere on the row is
    // toggled here. The state at the press tells which happened.
    auto pressed = std::make_shared<Qt::CheckState>(Qt::Unchecked);
    QObject::connect(list, &QTreeWidget::itemPressed, list, [pressed](QTreeWidgetItem* row, int) {
        *pressed = row->checkState(0);
    });
    QObject::connect(list, &QTreeWidget::itemClicked, list, [list, pressed](QTreeWidgetItem* row, int) {
        if (row->checkState(0) == *pressed)
            row->setCheckState(0, row->checkState(0) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
        list->setCurrentItem(row);
    });
}

std::string getListText(QTreeWidget* list, int column) {
    QTreeWidgetItem* row = list->currentItem();
    return row == nullptr ? std::string() : row->text(column).left(98).toStdString();
}

}  // namespace lumo::gui
