// "Nastavení počítadel": the controls of CountersForm (ui/counters_form.h).
#include "ui/counters_form.h"
#include "ui/win32/dialog_host.h"
#include "ui/win32/dialogs.h"
#include "ui/win32/dialogs/counters_dialog_ids.h"
#include "ui/win32/resource.h"

namespace lumo::win32 {

int runCountersDialog(HWND owner, int lineIndex, int moduleNumber) {
    CountersForm form;
    if (!form.open(lineIndex, moduleNumber)) return 0;
    DialogHost dialog;
    dialog.onInit = [&] {
        for (int c = 0; c < kCounterCount; ++c) {
            const auto k = static_cast<std::size_t>(c);
            dialog.showText(IDC_COUNTERS_LABEL1 + c, form.labels[k]);
            dialog.limitTyping(IDC_COUNTERS_C1 + c, CountersForm::takes);
            dialog.showField(IDC_COUNTERS_C1 + c, form.counters[k]);
        }
    };
    for (int c = 0; c < kCounterCount; ++c) {
        dialog.onTextChange(IDC_COUNTERS_C1 + c, [&dialog, &form, c] {
            form.counters[static_cast<std::size_t>(c)].text = dialog.text(IDC_COUNTERS_C1 + c);
        });
    }
    form.reselect = [&](const FormField& f) { dialog.focus(IDC_COUNTERS_C1 + static_cast<int>(&f - form.counters.data())); };
    dialog.onClick(IDC_COUNTERS_SET, [&] { dialog.finish(form.pressSet()); });
    dialog.onClick(IDC_COUNTERS_CLOSE, [&] { dialog.end(form.pressClose()); });
    dialog.onClose = [&] { return form.pressClose(); };
    return dialog.run(owner, IDD_COUNTERS);
}

}  // namespace lumo::win32
