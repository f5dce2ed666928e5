// "Nastavení času": the controls of ClockForm (ui/clock_form.h).
#include <utility>

#include "ui/clock_form.h"
#include "ui/win32/dialog_host.h"
#include "ui/win32/dialogs.h"
#include "ui/win32/dialogs/clock_dialog_ids.h"
#include "ui/win32/resource.h"

namespace lumo::win32 {

int runClockDialog(HWND owner, int lineIndex, int moduleNumber) {
    ClockForm form;
    if (!form.open(lineIndex, moduleNumber)) return 0;
    DialogHost dialog;
    bool ending = false;  // the fields losing the focus as the dialog goes change no form
    auto end = [&](int result) {
        if (result == kFormStaysOpen) return;
        ending = true;
        dialog.end(result);
    };
    auto show = [&] {
        dialog.showField(IDC_CLOCK_SYSTEM_DATE, form.systemDate);
        dialog.showField(IDC_CLOCK_SYSTEM_TIME, form.systemTime);
        dialog.showField(IDC_CLOCK_SYSTEM_DAY, form.systemDay);
        dialog.showField(IDC_CLOCK_DATE, form.date);
        dialog.showField(IDC_CLOCK_TIME, form.time);
        dialog.showChoice(IDC_CLOCK_DAY, form.day);
        dialog.showCheck(IDC_CLOCK_SYSTEM, form.system);
    };
    dialog.onInit = show;
    form.showNow = show;
    const std::pair<int, FormField*> typedFields[] = {{IDC_CLOCK_DATE, &form.date}, {IDC_CLOCK_TIME, &form.time}};
    form.reselect = [&](const FormField& f) {
        for (const auto& [id, value] : typedFields)
            if (value == &f) dialog.focus(id);
    };
    dialog.every(1000, [&] {
        form.tick();
        show();
    });
    dialog.onClick(IDC_CLOCK_SYSTEM, [&] {
        form.checkSystem(dialog.checked(IDC_CLOCK_SYSTEM));
        show();
    });
    dialog.onEdit(IDC_CLOCK_DAY, [&] { form.day.chosen = dialog.chosen(IDC_CLOCK_DAY); });
    for (const auto& [id, value] : typedFields) {
        // The field's own text: what the typing compares with, whoever changed it.
        dialog.onTextChange(id, [&, id = id, f = value] { form.changed(*f, dialog.text(id)); });
        dialog.onEdit(id, [&, id = id, f = value] {
            const bool rewritten = form.typed(*f, dialog.text(id)) != dialog.text(id);
            show();
            if (!rewritten) return;
            // A separator brought with the digits: the caret after it, where the typing goes on.
            const LRESULT length = SendMessageW(dialog.item(id), WM_GETTEXTLENGTH, 0, 0);
            SendMessageW(dialog.item(id), EM_SETSEL, static_cast<WPARAM>(length), length);
        });
        dialog.onLeave(id, [&, f = value] {
            if (ending) return;
            form.left(*f);
            show();
        });
    }
    dialog.onClick(IDC_CLOCK_SET, [&] {
        const int result = form.pressSet();
        show();
        end(result);
    });
    dialog.onClick(IDC_CLOCK_CLOSE, [&] { end(form.pressClose()); });
    dialog.onClose = [&] {
        const int result = form.pressClose();
        if (result != kFormStaysOpen) ending = true;
        return result;
    };
    return dialog.run(owner, IDD_CLOCK);
}

}  // namespace lumo::win32
