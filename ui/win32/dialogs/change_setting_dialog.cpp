// The change-setting dialog: the controls of ChangeSettingForm (ui/change_setting_form.h).
#include "ui/change_setting_form.h"
#include "ui/win32/dialog_host.h"
#include "ui/win32/dialogs.h"
#include "ui/win32/dialogs/change_setting_dialog_ids.h"
#include "ui/win32/resource.h"
#include "ui/win32/win32_text.h"

namespace lumo::win32 {

int runChangeSettingDialog(HWND owner, int lineIndex, int moduleNumber, ChangeMode mode) {
    ChangeSettingForm form;
    if (!form.open(lineIndex, moduleNumber, mode)) return 0;
    DialogHost dialog;
    auto show = [&] {
        dialog.showField(IDC_CHANGE_CURRENT, form.current);
        dialog.showChoice(IDC_CHANGE_CHOICE, form.choice);
        dialog.showButton(IDC_CHANGE_APPLY, form.apply);
    };
    dialog.onInit = [&] {
        setWindowText(dialog.window(), form.title);
        show();
    };
    dialog.onEdit(IDC_CHANGE_CHOICE, [&] {
        form.choose(dialog.chosen(IDC_CHANGE_CHOICE));
        show();
    });
    dialog.onClick(IDC_CHANGE_APPLY, [&] { dialog.finish(form.pressApply()); });
    dialog.onClick(IDC_CHANGE_CLOSE, [&] { dialog.end(form.pressClose()); });
    dialog.onClose = [&] { return form.pressClose(); };
    return dialog.run(owner, IDD_CHANGE_SETTING) == 1 ? 1 : 0;
}

}  // namespace lumo::win32
