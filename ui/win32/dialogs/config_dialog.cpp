// "Konfigurace parametrů programu": the controls of ConfigForm (ui/config_form.h).
#include "ui/config_form.h"
#include "ui/win32/dialog_host.h"
#include "ui/win32/dialogs.h"
#include "ui/win32/dialogs/config_dialog_ids.h"
#include "ui/win32/resource.h"

namespace lumo::win32 {

int runConfigDialog(HWND owner) {
    ConfigForm form;
    form.open();
    DialogHost dialog;
    auto show = [&] {
        dialog.showField(IDC_CONFIG_DATA_DIR, form.dataDir);
        dialog.showField(IDC_CONFIG_HEX_EDITOR, form.hexEditor);
        dialog.showChoice(IDC_CONFIG_ADAPTER, form.adapter);
    };
    dialog.onInit = show;
    form.chooseFolder = [&](const std::string& root, std::string& chosen) { return chooseFolder(dialog.window(), root, chosen); };
    form.chooseFile = [&](std::string& chosen, int mode) { return chooseFile(dialog.window(), chosen, mode); };
    dialog.onTextChange(IDC_CONFIG_DATA_DIR, [&] { form.dataDir.text = dialog.text(IDC_CONFIG_DATA_DIR); });
    dialog.onTextChange(IDC_CONFIG_HEX_EDITOR, [&] { form.hexEditor.text = dialog.text(IDC_CONFIG_HEX_EDITOR); });
    dialog.onEdit(IDC_CONFIG_ADAPTER, [&] { form.adapter.chosen = dialog.chosen(IDC_CONFIG_ADAPTER); });
    dialog.onClick(IDC_CONFIG_DATA_DIR_BROWSE, [&] {
        form.pressDataDirBrowse();
        show();
    });
    dialog.onClick(IDC_CONFIG_HEX_EDITOR_BROWSE, [&] {
        form.pressHexEditorBrowse();
        show();
    });
    dialog.onClick(IDC_CONFIG_SAVE, [&] { dialog.finish(form.pressSave()); });
    dialog.onClick(IDC_CONFIG_CLOSE, [&] { dialog.end(form.pressClose()); });
    dialog.onClose = [&] { return form.pressClose(); };
    return dialog.run(owner, IDD_CONFIG) == 1 ? 1 : 0;
}

}  // namespace lumo::win32
