#pragma once
// The report-style lists that the search, upload and register dialogs share: columns, rows with
// item values and check boxes, header-click sorting and the clicks that flip a row's check box.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace lumo::win32 {

// Left-aligned columns sized to their headers, whole rows selected; false when a column cannot
// be inserted.
bool addListColumns(HWND list, const std::vector<std::string>& titles);
// A row at the top with its texts, its item value and an empty check box.
bool addListRow(HWND list, const std::vector<std::string>& texts, std::int32_t value);
// A row without a check box's meaning at `index` (at the end when past it); its index.
int insertListRow(HWND list, int index, const std::vector<std::string>& texts);
// A list's notification (WM_NOTIFY) handled: header clicks sort the rows by their item values
// (compareListValues); a click on a row (on its check box or beside it) flips its check box
// once and makes it the current row, and so does a right click on the check box. True when the
// notification was the list's and is used up.
bool handleListNotify(const NMHDR* header);
// The clicks on rows of handleListNotify alone, for a list whose form sorts its rows.
bool flipCheckOnRowClick(const NMHDR* header);
// Each column as wide as its header or its widest text, whichever is wider.
void fitListColumns(HWND list);
// The current row (focused), -1 without one; making a row current selects it.
int currentListRow(HWND list);
void setCurrentListRow(HWND list, int row);
// At most 98 characters of a column of the current row.
std::string getListText(HWND list, int column);

}  // namespace lumo::win32
