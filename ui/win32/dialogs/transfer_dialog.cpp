// "Odeslaní dat": the controls of TransferForm (ui/transfer_form.h).
#include "ui/transfer_form.h"
#include "ui/win32/dialog_host.h"
#include "ui/win32/dialogs.h"
#include "ui/win32/dialogs/transfer_dialog_ids.h"
#include "ui/win32/resource.h"

namespace lumo::win32 {

int runTransferDialog(HWND owner, int lineIndex, int moduleNumber, bool send) {
    TransferForm form;
    if (!form.open(lineIndex, moduleNumber, send)) return 0;
    DialogHost dialog;
    auto show = [&] {
        dialog.showField(IDC_TRANSFER_INSTRUCTION, form.instruction);
        dialog.showField(IDC_TRANSFER_FILE, form.file);
    };
    dialog.onInit = show;
    form.chooseFile = [&](std::string& chosen, int mode) { return chooseFile(dialog.window(), chosen, mode); };
    dialog.onTextChange(IDC_TRANSFER_INSTRUCTION, [&] { form.instruction.text = dialog.text(IDC_TRANSFER_INSTRUCTION); });
    dialog.onTextChange(IDC_TRANSFER_FILE, [&] { form.file.text = dialog.text(IDC_TRANSFER_FILE); });
    dialog.onClick(IDC_TRANSFER_BROWSE, [&] {
        form.pressBrowse();
        show();
    });
    dialog.onClick(IDC_TRANSFER_SEND, [&] { dialog.finish(form.pressSend()); });
    dialog.onClick(IDC_TRANSFER_CANCEL, [&] { dialog.end(form.pressCancel()); });
    dialog.onClose = [&] { return form.pressCancel(); };
    return dialog.run(owner, IDD_TRANSFER);
}

}  // namespace lumo::win32
