// "Odeslat příkaz": the controls of ConsoleForm (ui/console_form.h).
#include "ui/console_form.h"
#include "ui/win32/dialog_host.h"
#include "ui/win32/dialogs.h"
#include "ui/win32/dialogs/console_dialog_ids.h"
#include "ui/win32/edit_lines.h"
#include "ui/win32/resource.h"

namespace lumo::win32 {

int runConsoleDialog(HWND owner, int lineIndex, int moduleNumber) {
    ConsoleForm form;
    if (!form.open(lineIndex, moduleNumber)) return 0;
    DialogHost dialog;
    constexpr int kRows = CommandFile::kConsoleLines;
    auto show = [&] {
        for (int k = 0; k < kRows; ++k) dialog.showField(IDC_CONSOLE_LINE1 + k, form.lines[static_cast<std::size_t>(k)]);
        dialog.showText(IDC_CONSOLE_ANSWER, editLines(form.answer.text));
    };
    dialog.onInit = show;
    form.showNow = show;
    auto send = [&](int k) {
        const int result = form.pressSend(k);
        show();
        dialog.finish(result);
    };
    for (int k = 0; k < kRows; ++k) {
        dialog.onTextChange(IDC_CONSOLE_LINE1 + k, [&dialog, &form, k] {
            form.lines[static_cast<std::size_t>(k)].text = dialog.text(IDC_CONSOLE_LINE1 + k);
        });
        dialog.onClick(IDC_CONSOLE_SEND1 + k, [&send, k] { send(k); });
    }
    // Enter in a row's field sends that row; elsewhere it does nothing.
    dialog.onClick(IDOK, [&] {
        for (int k = 0; k < kRows; ++k)
            if (GetFocus() == dialog.item(IDC_CONSOLE_LINE1 + k)) send(k);
    });
    dialog.onClick(IDC_CONSOLE_CLOSE, [&] { dialog.end(form.pressClose()); });
    dialog.onClose = [&] { return form.pressClose(); };
    return dialog.run(owner, IDD_CONSOLE);
}

}  // namespace lumo::win32
