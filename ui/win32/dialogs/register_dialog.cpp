// "Vydaná výrobní čísla": the controls of RegisterForm (ui/register_form.h).
#include <windows.h>
#include <commctrl.h>

#include "serial/serial_register.h"
#include "ui/register_form.h"
#include "ui/win32/dialog_host.h"
#include "ui/win32/dialogs.h"
#include "ui/win32/dialogs/register_dialog_ids.h"
#include "ui/win32/list_view.h"
#include "ui/win32/resource.h"

namespace lumo::win32 {

int runRegisterDialog(HWND owner, int typeCode, RegisterChoice& chosen) {
    RegisterForm form;
    if (!form.open(typeCode)) return 0;
    DialogHost dialog;
    bool rebuilding = false;  // the rows put back are no change of the user's

    // The rows as the form orders them, with their check boxes and the current one.
    auto showRows = [&] {
        HWND list = dialog.item(IDC_REGISTER_LIST);
        rebuilding = true;
        SendMessageW(list, WM_SETREDRAW, FALSE, 0);
        ListView_DeleteAllItems(list);
        for (auto row = form.rows.rbegin(); row != form.rows.rend(); ++row) addListRow(list, row->texts, row->value);
        for (std::size_t i = 0; i < form.rows.size(); ++i)
            ListView_SetCheckState(list, static_cast<int>(i), form.rows[i].checked ? TRUE : FALSE);
        setCurrentListRow(list, form.current);
        SendMessageW(list, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(list, nullptr, TRUE);
        rebuilding = false;
    };
    dialog.onInit = [&] {
        // Where the register always opens, whatever the main window's place.
        SetWindowPos(dialog.window(), nullptr, 150, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        dialog.showField(IDC_REGISTER_FILE, form.file);
        HWND list = dialog.item(IDC_REGISTER_LIST);
        addListColumns(list, form.columns);
        showRows();
        // The columns are as wide as their longest text (a whole serial number, a whole note).
        fitListColumns(list);
    };
    dialog.onMessage = [&](UINT message, WPARAM, LPARAM second, INT_PTR&) {
        if (message != WM_NOTIFY) return false;
        const auto* header = reinterpret_cast<const NMHDR*>(second);
        if (header->idFrom != IDC_REGISTER_LIST) return false;
        if (header->code == LVN_COLUMNCLICK) {
            form.pressColumn(reinterpret_cast<const NMLISTVIEW*>(header)->iSubItem);
            showRows();
            return true;
        }
        if (flipCheckOnRowClick(header)) return true;
        if (header->code == LVN_ITEMCHANGED && !rebuilding) {
            const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
            const int row = change->iItem;
            if (row >= 0 && static_cast<std::size_t>(row) < form.rows.size() &&
                ((change->uNewState ^ change->uOldState) & LVIS_STATEIMAGEMASK) != 0)
                form.rows[static_cast<std::size_t>(row)].checked = ListView_GetCheckState(header->hwndFrom, row) != 0;
            form.current = currentListRow(header->hwndFrom);
        }
        return false;
    };
    dialog.onClick(IDC_REGISTER_OK, [&] { dialog.finish(form.pressOk()); });
    dialog.onClick(IDC_REGISTER_CLOSE, [&] { dialog.end(form.pressClose()); });
    dialog.onClose = [&] { return form.pressClose(); };
    if (dialog.run(owner, IDD_REGISTER) != 1) return 0;
    chosen = form.chosen;
    return 1;
}

}  // namespace lumo::win32
