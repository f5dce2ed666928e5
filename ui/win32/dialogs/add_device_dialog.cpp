// "Přidání zařízení": the controls of AddDeviceForm (ui/add_device_form.h), in its line form and
// its module form.
#include "ui/add_device_form.h"
#include "ui/win32/dialog_host.h"
#include "ui/win32/dialogs.h"
#include "ui/win32/dialogs/add_device_dialog_ids.h"
#include "ui/win32/resource.h"

namespace lumo::win32 {
namespace {

int runAddDeviceDialog(HWND owner, AddDeviceForm& form) {
    DialogHost dialog;
    auto show = [&] {
        dialog.showChoice(IDC_ADD_DEVICE_TYPE, form.type);
        dialog.showField(IDC_ADD_DEVICE_DESCRIPTION, form.description);
        dialog.showField(IDC_ADD_DEVICE_ID, form.id);
    };
    dialog.onInit = show;
    dialog.onEdit(IDC_ADD_DEVICE_TYPE, [&] {
        form.chooseType(dialog.chosen(IDC_ADD_DEVICE_TYPE));
        show();
    });
    dialog.onTextChange(IDC_ADD_DEVICE_ID, [&] { form.id.text = dialog.text(IDC_ADD_DEVICE_ID); });
    dialog.onClick(IDC_ADD_DEVICE_INSERT, [&] { dialog.finish(form.pressInsert()); });
    dialog.onClick(IDC_ADD_DEVICE_CLOSE, [&] { dialog.end(form.pressClose()); });
    dialog.onClose = [&] { return form.pressClose(); };
    return dialog.run(owner, IDD_ADD_DEVICE) == 1 ? 1 : 0;
}

}  // namespace

int runAddLineDialog(HWND owner) {
    AddDeviceForm form;
    form.openLine();
    return runAddDeviceDialog(owner, form);
}

int runAddModuleDialog(HWND owner, int lineIndex) {
    AddDeviceForm form;
    form.openModule(lineIndex);
    return runAddDeviceDialog(owner, form);
}

}  // namespace lumo::win32
