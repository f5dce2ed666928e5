#pragma once
// The report-style lists with check boxes that the search, upload and register dialogs share.

#include <QStringList>
#include <QTreeWidget>
#include <string>

namespace lumo::gui {

// Left-aligned columns sized to their headers; false when the list has none afterwards.
bool addListColumns(QTreeWidget* list, const QStringList& titles);
// A row at the top with its texts, its item value and an empty check box.
bool addListRow(QTreeWidget* list, const QStringList& texts, std::int32_t value);
// Header clicks sort by the item values; a click on a row (on its check box or beside it)
// flips its check box once and makes it the current row. Call once per list.
void handleListNotify(QTreeWidget* list);
// The clicks on rows of handleListNotify alone, for a list whose form sorts its rows.
void flipCheckOnRowClick(QTreeWidget* list);
// At most 98 characters of a column of the current row.
std::string getListText(QTreeWidget* list, int column);

}  // namespace lumo::gui
