// "Vyhledání TCP zařízení": the controls of TcpSearchForm (ui/tcp_search_form.h).
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <memory>
#include <vector>

#include "ui/tcp_search_form.h"
#include "ui/win32/dialog_host.h"
#include "ui/win32/dialogs.h"
#include "ui/win32/dialogs/tcp_search_dialog_ids.h"
#include "ui/win32/list_view.h"
#include "ui/win32/resource.h"
#include "ui/win32/win32_text.h"
#include "ui/win32/win32_ui_port.h"

namespace lumo::win32 {
namespace {

// The list as shown, top first: the rows it draws marked and tells about on hovering. Answers
// reach it from the search's thread through the window's queue, each with the number of the
// search it came from; one of a finished search finds the whole list shown already and is dropped.
struct Shown {
    HWND list = nullptr;  // null once the dialog is gone
    std::atomic<int> search{0};
    std::vector<TcpSearchForm::Row> rows;

    void insert(int index, const TcpSearchForm::Row& r) {
        const int at = insertListRow(list, index, {r.texts.begin(), r.texts.end()});
        if (at >= 0) rows.insert(rows.begin() + at, r);
    }
};

// A doubled address is drawn red in its column.
bool drawn(const Shown& shown, NMLVCUSTOMDRAW* draw, INT_PTR& result) {
    switch (draw->nmcd.dwDrawStage) {
        case CDDS_PREPAINT: result = CDRF_NOTIFYITEMDRAW; return true;
        case CDDS_ITEMPREPAINT: result = CDRF_NOTIFYSUBITEMDRAW; return true;
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
            const auto row = static_cast<std::size_t>(draw->nmcd.dwItemSpec);
            bool marked = false;
            if (row < shown.rows.size())
                marked = (draw->iSubItem == 2 && shown.rows[row].sameMac) || (draw->iSubItem == 3 && shown.rows[row].sameIp);
            draw->clrText = marked ? RGB(255, 0, 0) : GetSysColor(COLOR_WINDOWTEXT);
            result = CDRF_DODEFAULT;
            return true;
        }
        default: return false;
    }
}

}  // namespace

int runTcpSearchDialog(HWND owner) {
    TcpSearchForm form;
    form.open();
    DialogHost dialog;
    auto shown = std::make_shared<Shown>();

    auto show = [&] {
        HWND list = shown->list;
        SendMessageW(list, WM_SETREDRAW, FALSE, 0);
        ListView_DeleteAllItems(list);
        shown->rows.clear();
        for (const auto& r : form.list) shown->insert(static_cast<int>(shown->rows.size()), r);
        fitListColumns(list);
        SendMessageW(list, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(list, nullptr, TRUE);
        dialog.showButton(IDC_TCP_SEARCH_START, form.search);
        dialog.showButton(IDC_TCP_SEARCH_SAVE, form.save);
        dialog.showCheck(IDC_TCP_SEARCH_NARROW, !form.wideMask);
        dialog.showCheck(IDC_TCP_SEARCH_WIDE, form.wideMask);
        // The window paints before the search takes its first answer.
        UpdateWindow(dialog.window());
    };
    dialog.onInit = [&] {
        shown->list = dialog.item(IDC_TCP_SEARCH_LIST);
        ListView_SetExtendedListViewStyleEx(shown->list, LVS_EX_INFOTIP, LVS_EX_INFOTIP);
        // The headers carry their blanks: they size the columns.
        addListColumns(shown->list, {"Typ                  ", "výrobní číslo            ", "MAC adresa                 ",
                                     "IP adresa      "});
        show();
    };
    form.showNow = show;
    // Each answer shows at the top as it comes; the search goes on meanwhile.
    form.arrived = [shown](const TcpSearchForm::Row& r) {
        const int search = shown->search.load();
        postToWindowThread([shown, search, r] {
            if (shown->list == nullptr || shown->search.load() != search) return;
            shown->insert(0, r);
            fitListColumns(shown->list);
        });
    };
    dialog.onMessage = [&](UINT message, WPARAM, LPARAM second, INT_PTR& result) {
        if (message != WM_NOTIFY) return false;
        auto* header = reinterpret_cast<NMHDR*>(second);
        if (header->idFrom != IDC_TCP_SEARCH_LIST) return false;
        if (header->code == NM_CUSTOMDRAW) return drawn(*shown, reinterpret_cast<NMLVCUSTOMDRAW*>(header), result);
        if (header->code == LVN_GETINFOTIPW) {
            auto* tip = reinterpret_cast<NMLVGETINFOTIPW*>(header);
            const auto row = static_cast<std::size_t>(tip->iItem);
            if (row < shown->rows.size() && !shown->rows[row].tip.empty() && tip->cchTextMax > 0)
                lstrcpynW(tip->pszText, wide(shown->rows[row].tip).c_str(), tip->cchTextMax);
            return true;
        }
        return false;
    };
    dialog.onClick(IDC_TCP_SEARCH_NARROW, [&] { form.wideMask = false; });
    dialog.onClick(IDC_TCP_SEARCH_WIDE, [&] { form.wideMask = true; });
    dialog.onClick(IDC_TCP_SEARCH_START, [&] {
        form.pressSearch();
        // Answers still on their way belong to the whole list, shown now.
        ++shown->search;
        show();
    });
    dialog.onClick(IDC_TCP_SEARCH_SAVE, [&] { form.pressSave(); });
    // Closing ends a search that runs; the dialog goes once the search has given back.
    dialog.onClick(IDC_TCP_SEARCH_CLOSE, [&] {
        form.stop();
        dialog.end(form.pressClose());
    });
    dialog.onClose = [&] {
        form.stop();
        return form.pressClose();
    };
    dialog.run(owner, IDD_TCP_SEARCH);
    shown->list = nullptr;
    return form.pressClose();
}

}  // namespace lumo::win32
