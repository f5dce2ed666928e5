// "Vyhledání USB zařízení": the controls of UsbSearchForm (ui/usb_search_form.h).
#include <windows.h>
#include <commctrl.h>

#include "ui/usb_search_form.h"
#include "ui/win32/dialog_host.h"
#include "ui/win32/dialogs.h"
#include "ui/win32/dialogs/usb_search_dialog_ids.h"
#include "ui/win32/list_view.h"
#include "ui/win32/resource.h"

namespace lumo::win32 {

int runUsbSearchDialog(HWND owner) {
    UsbSearchForm form;
    form.open();
    DialogHost dialog;
    auto showList = [&] {
        HWND list = dialog.item(IDC_USB_SEARCH_LIST);
        ListView_DeleteAllItems(list);
        for (const auto& row : form.list) insertListRow(list, ListView_GetItemCount(list), {row.begin(), row.end()});
        fitListColumns(list);
        UpdateWindow(list);
    };
    dialog.onInit = [&] {
        addListColumns(dialog.item(IDC_USB_SEARCH_LIST), {"Typ", "výrobní číslo", "VID/PID", "COM"});
        showList();
    };
    form.showNow = showList;
    dialog.onClick(IDC_USB_SEARCH_START, [&] {
        form.pressSearch();
        showList();
    });
    dialog.onClick(IDC_USB_SEARCH_SAVE, [&] {
        form.pressSave();
        showList();
    });
    dialog.onClick(IDC_USB_SEARCH_CLOSE, [&] { dialog.end(form.pressClose()); });
    dialog.onClose = [&] { return form.pressClose(); };
    dialog.run(owner, IDD_USB_SEARCH);
    return form.pressClose();
}

}  // namespace lumo::win32
