#include "ui/win32/list_view.h"

#include <commctrl.h>

#include <algorithm>

#include "ui/list_compare.h"
#include "ui/win32/win32_text.h"

namespace lumo::win32 {
namespace {

constexpr int kColumnPadding = 16;  // the header's margins around its text
constexpr int kMostListText = 98;

// The lists change their own rows' states (inserting, sorting, flipping): such a change is not
// the user's check box click.
int listChanging = 0;
struct Changing {
    Changing() { ++listChanging; }
    ~Changing() { --listChanging; }
};

int columnCount(HWND list) { return static_cast<int>(SendMessageW(ListView_GetHeader(list), HDM_GETITEMCOUNT, 0, 0)); }

std::wstring itemText(HWND list, int row, int column) {
    std::wstring text(256, L'\0');
    for (;;) {
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = text.data();
        item.cchTextMax = static_cast<int>(text.size());
        const auto length = static_cast<std::size_t>(
            SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)));
        if (length + 1 < text.size()) {
            text.resize(length);
            return text;
        }
        text.resize(text.size() * 2);
    }
}

bool isList(const NMHDR* header) {
    wchar_t name[32] = L"";
    GetClassNameW(header->hwndFrom, name, 32);
    return std::wstring(name) == WC_LISTVIEWW;
}

bool hasCheckBoxes(HWND list) { return (ListView_GetExtendedListViewStyle(list) & LVS_EX_CHECKBOXES) != 0; }

void flip(HWND list, int row) {
    const Changing changing;
    ListView_SetCheckState(list, row, ListView_GetCheckState(list, row) ? FALSE : TRUE);
}

// Rows alike keep their order: the rows are read, sorted stably and put back with their states.
void sortByValues(HWND list) {
    struct Row {
        std::vector<std::wstring> texts;
        LPARAM value = 0;
        UINT state = 0;
    };
    const int rows = ListView_GetItemCount(list), columns = columnCount(list);
    std::vector<Row> read(static_cast<std::size_t>(rows));
    for (int r = 0; r < rows; ++r) {
        Row& row = read[static_cast<std::size_t>(r)];
        for (int c = 0; c < columns; ++c) row.texts.push_back(itemText(list, r, c));
        LVITEMW item{};
        item.mask = LVIF_PARAM | LVIF_STATE;
        item.iItem = r;
        item.stateMask = LVIS_STATEIMAGEMASK | LVIS_SELECTED | LVIS_FOCUSED;
        ListView_GetItem(list, &item);
        row.value = item.lParam;
        row.state = item.state;
    }
    std::stable_sort(read.begin(), read.end(), [](const Row& a, const Row& b) {
        return compareListValues(static_cast<std::int32_t>(a.value), static_cast<std::int32_t>(b.value)) < 0;
    });
    const Changing changing;
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(list);
    for (int r = 0; r < rows; ++r) {
        Row& row = read[static_cast<std::size_t>(r)];
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE;
        item.iItem = r;
        item.pszText = row.texts.empty() ? const_cast<wchar_t*>(L"") : row.texts[0].data();
        item.lParam = row.value;
        item.state = row.state;
        item.stateMask = LVIS_STATEIMAGEMASK | LVIS_SELECTED | LVIS_FOCUSED;
        const int at = ListView_InsertItem(list, &item);
        for (int c = 1; c < columns; ++c) ListView_SetItemText(list, at, c, row.texts[static_cast<std::size_t>(c)].data());
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

}  // namespace

bool addListColumns(HWND list, const std::vector<std::string>& titles) {
    ListView_SetExtendedListViewStyleEx(list, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    for (std::size_t i = 0; i < titles.size(); ++i) {
        std::wstring title = wide(titles[i]);
        LVCOLUMNW column{};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.cx = 50;
        column.pszText = title.data();
        column.iSubItem = static_cast<int>(i);
        if (ListView_InsertColumn(list, static_cast<int>(i), &column) < 0) return false;
        ListView_SetColumnWidth(list, static_cast<int>(i),
                                std::max(50, ListView_GetStringWidth(list, title.c_str()) + kColumnPadding));
    }
    return columnCount(list) == static_cast<int>(titles.size());
}

int insertListRow(HWND list, int index, const std::vector<std::string>& texts) {
    if (texts.empty()) return -1;
    const Changing changing;
    std::wstring first = wide(texts[0]);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = std::clamp(index, 0, ListView_GetItemCount(list));
    item.pszText = first.data();
    const int at = ListView_InsertItem(list, &item);
    if (at < 0) return -1;
    for (std::size_t c = 1; c < texts.size(); ++c) {
        std::wstring text = wide(texts[c]);
        ListView_SetItemText(list, at, static_cast<int>(c), text.data());
    }
    return at;
}

bool addListRow(HWND list, const std::vector<std::string>& texts, std::int32_t value) {
    const Changing changing;
    if (!hasCheckBoxes(list)) ListView_SetExtendedListViewStyleEx(list, LVS_EX_CHECKBOXES, LVS_EX_CHECKBOXES);
    const int at = insertListRow(list, 0, texts);
    if (at < 0) return false;
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = at;
    item.lParam = value;
    ListView_SetItem(list, &item);
    ListView_SetCheckState(list, at, FALSE);
    return true;
}

bool handleListNotify(const NMHDR* header) {
    if (!isList(header)) return false;
    if (header->code == LVN_COLUMNCLICK) {
        sortByValues(header->hwndFrom);
        return true;
    }
    return flipCheckOnRowClick(header);
}

bool flipCheckOnRowClick(const NMHDR* header) {
    if (!isList(header)) return false;
    HWND list = header->hwndFrom;
    switch (header->code) {
        case NM_CLICK:
        case NM_RCLICK: {
            LVHITTESTINFO hit{};
            hit.pt = reinterpret_cast<const NMITEMACTIVATE*>(header)->ptAction;
            const int row = ListView_HitTest(list, &hit);
            if (row < 0) return false;
            const bool onBox = (hit.flags & LVHT_ONITEMSTATEICON) != 0;
            // A left click on the box itself was flipped by the list as the button went down.
            if (header->code == NM_CLICK ? !onBox : onBox) flip(list, row);
            setCurrentListRow(list, row);
            return true;
        }
        case LVN_ITEMCHANGED: {
            // The list flipped a box (a click on it, the space bar): that row becomes current.
            const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
            if (listChanging > 0 || change->iItem < 0 || (change->uChanged & LVIF_STATE) == 0) return false;
            if (((change->uNewState ^ change->uOldState) & LVIS_STATEIMAGEMASK) == 0) return false;
            if ((change->uOldState & LVIS_STATEIMAGEMASK) == 0) return false;  // the box's first picture
            if (currentListRow(list) != change->iItem) setCurrentListRow(list, change->iItem);
            return false;  // the dialog still hears of the change
        }
        default: return false;
    }
}

void fitListColumns(HWND list) {
    const int columns = columnCount(list);
    HWND headerControl = ListView_GetHeader(list);
    for (int c = 0; c < columns; ++c) {
        wchar_t title[256] = L"";
        HDITEMW item{};
        item.mask = HDI_TEXT;
        item.pszText = title;
        item.cchTextMax = 256;
        SendMessageW(headerControl, HDM_GETITEMW, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&item));
        const int headerWidth = ListView_GetStringWidth(list, title) + kColumnPadding;
        ListView_SetColumnWidth(list, c, LVSCW_AUTOSIZE);
        const int contentWidth = ListView_GetColumnWidth(list, c);
        ListView_SetColumnWidth(list, c, std::max(headerWidth, contentWidth));
    }
}

int currentListRow(HWND list) { return ListView_GetNextItem(list, -1, LVNI_FOCUSED); }

void setCurrentListRow(HWND list, int row) {
    const Changing changing;
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (row < 0) return;
    ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(list, row, FALSE);
}

std::string getListText(HWND list, int column) {
    const int row = currentListRow(list);
    if (row < 0) return {};
    wchar_t text[kMostListText + 1] = L"";
    ListView_GetItemText(list, row, column, text, kMostListText + 1);
    return utf8(text);
}

}  // namespace lumo::win32
