// "Identifikace zařízení": the controls of MacEntryForm (ui/mac_entry_form.h).
#include "ui/mac_entry_form.h"
#include "ui/win32/dialog_host.h"
#include "ui/win32/dialogs.h"
#include "ui/win32/dialogs/mac_entry_dialog_ids.h"
#include "ui/win32/resource.h"

namespace lumo::win32 {

int runMacEntryDialog(HWND owner, std::array<std::uint8_t, 6>& mac) {
    MacEntryForm form;
    form.open(mac);
    DialogHost dialog;
    dialog.onInit = [&] { dialog.showField(IDC_MAC_ENTRY_MAC, form.mac); };
    dialog.onTextChange(IDC_MAC_ENTRY_MAC, [&] { form.mac.text = dialog.text(IDC_MAC_ENTRY_MAC); });
    dialog.onClick(IDC_MAC_ENTRY_OK, [&] { dialog.finish(form.pressOk()); });
    dialog.onClick(IDC_MAC_ENTRY_CANCEL, [&] { dialog.end(form.pressCancel()); });
    dialog.onClose = [&] { return form.pressCancel(); };
    if (dialog.run(owner, IDD_MAC_ENTRY) != 1) return 0;
    mac = form.address;
    return 1;
}

}  // namespace lumo::win32
