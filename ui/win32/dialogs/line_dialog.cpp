// "Komunikační linka": the controls of LineForm (ui/line_form.h).
#include <utility>

#include "ui/line_form.h"
#include "ui/win32/dialog_host.h"
#include "ui/win32/dialogs.h"
#include "ui/win32/dialogs/line_dialog_ids.h"
#include "ui/win32/resource.h"

namespace lumo::win32 {

int runLineDialog(HWND owner, int lineIndex) {
    LineForm form;
    if (!form.open(lineIndex)) return 0;
    DialogHost dialog;
    const std::pair<int, FormChoice*> choices[] = {
        {IDC_LINE_PORT, &form.port}, {IDC_LINE_SPEED, &form.speed}, {IDC_LINE_KIND, &form.kind}, {IDC_LINE_PARITY, &form.parity}};
    const std::pair<int, FormField*> fields[] = {
        {IDC_LINE_IP, &form.ip}, {IDC_LINE_TCP_PORT, &form.tcpPort}, {IDC_LINE_DESCRIPTION, &form.description}};
    auto show = [&] {
        for (const auto& [id, value] : choices) dialog.showChoice(id, *value);
        for (const auto& [id, value] : fields) dialog.showField(id, *value);
    };
    dialog.onInit = show;
    form.reselect = [&](const FormField& f) {
        for (const auto& [id, value] : fields)
            if (value == &f) dialog.focus(id);
    };
    dialog.onEdit(IDC_LINE_PORT, [&] {
        form.choosePort(dialog.chosen(IDC_LINE_PORT));
        show();
    });
    for (const auto& [id, value] : choices) {
        if (id == IDC_LINE_PORT) continue;
        dialog.onEdit(id, [&dialog, id = id, f = value] { f->chosen = dialog.chosen(id); });
    }
    for (const auto& [id, value] : fields)
        dialog.onTextChange(id, [&dialog, id = id, f = value] { f->text = dialog.text(id); });
    dialog.onClick(IDC_LINE_APPLY, [&] { dialog.finish(form.pressApply()); });
    dialog.onClick(IDC_LINE_CLOSE, [&] { dialog.end(form.pressClose()); });
    dialog.onClose = [&] { return form.pressClose(); };
    return dialog.run(owner, IDD_LINE) == 1 ? 1 : 0;
}

}  // namespace lumo::win32
