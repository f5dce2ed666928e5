// "Inicializace modulu": the controls of InitForm (ui/init_form.h).
#include <windows.h>

#include <utility>

#include "serial/serial_register.h"
#include "ui/init_form.h"
#include "ui/win32/dialog_host.h"
#include "ui/win32/dialogs.h"
#include "ui/win32/dialogs/init_dialog_ids.h"
#include "ui/win32/resource.h"

namespace lumo::win32 {
namespace {

// Bold Arial of a height in pixels: the serial number large, the outcome below the fields.
HFONT boldArial(int pixels) {
    return CreateFontW(-pixels, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Arial");
}

}  // namespace

int runInitDialog(HWND owner, int lineIndex, int moduleNumber) {
    InitForm form;
    if (!form.open(lineIndex, moduleNumber)) return 0;
    DialogHost dialog;
    const std::pair<int, FormField*> numbers[] = {{IDC_INIT_DAY, &form.day},
                                                  {IDC_INIT_MONTH, &form.month},
                                                  {IDC_INIT_YEAR, &form.year},
                                                  {IDC_INIT_SEQUENCE, &form.sequence}};
    const int media[] = {IDC_INIT_MEDIUM0, IDC_INIT_MEDIUM1, IDC_INIT_MEDIUM2, IDC_INIT_MEDIUM3};
    HFONT large = boldArial(27), bold = boldArial(18);

    auto show = [&] {
        for (const auto& [id, field] : numbers) dialog.showField(id, *field);
        dialog.showChoice(IDC_INIT_TYPE, form.type);
        dialog.showField(IDC_INIT_SERIAL, form.serial);
        for (int i = 0; i < 4; ++i) {
            dialog.showText(media[i], form.medium.items[static_cast<std::size_t>(i)]);
            if (form.medium.chosen >= 0) dialog.showCheck(media[i], form.medium.chosen == i);
        }
        dialog.showCheck(IDC_INIT_CLEAR_MEMORY, form.clearMemory);
        dialog.showField(IDC_INIT_NOTE, form.note);
        dialog.showText(IDC_INIT_OUTCOME, form.outcome.text);
        // Painted before the initialisation waits on the device.
        UpdateWindow(dialog.window());
    };
    dialog.onInit = [&] {
        SendMessageW(dialog.item(IDC_INIT_SERIAL), WM_SETFONT, reinterpret_cast<WPARAM>(large), FALSE);
        SendMessageW(dialog.item(IDC_INIT_OUTCOME), WM_SETFONT, reinterpret_cast<WPARAM>(bold), FALSE);
        for (const auto& [id, field] : numbers)
            dialog.limitTyping(id, [&form, field = field](const std::string& text) { return form.takes(*field, text); });
        show();
    };
    form.showNow = show;
    form.chooseRegistered = [&](int typeCode, RegisterChoice& chosen) { return runRegisterDialog(dialog.window(), typeCode, chosen); };
    for (const auto& [id, field] : numbers) {
        dialog.onTextChange(id, [&dialog, id = id, field = field] { field->text = dialog.text(id); });
        dialog.onLeave(id, [&, field = field] {
            form.left(*field);
            show();
        });
    }
    dialog.onTextChange(IDC_INIT_NOTE, [&] { form.note.text = dialog.text(IDC_INIT_NOTE); });
    dialog.onEdit(IDC_INIT_TYPE, [&] {
        form.chooseType(dialog.chosen(IDC_INIT_TYPE));
        show();
    });
    for (int i = 0; i < 4; ++i)
        dialog.onClick(media[i], [&, i] {
            if (dialog.checked(media[i])) form.medium.chosen = i;
        });
    dialog.onClick(IDC_INIT_CLEAR_MEMORY, [&] { form.clearMemory = dialog.checked(IDC_INIT_CLEAR_MEMORY); });
    dialog.onClick(IDC_INIT_CURRENT, [&] {
        form.pressCurrent();
        show();
    });
    dialog.onClick(IDC_INIT_PICK, [&] {
        form.pressPick();
        show();
    });
    dialog.onClick(IDC_INIT_RUN, [&] {
        const int result = form.pressRun();
        show();
        dialog.finish(result);
    });
    dialog.onClick(IDC_INIT_CLOSE, [&] { dialog.end(form.pressClose()); });
    dialog.onClose = [&] { return form.pressClose(); };
    const int result = dialog.run(owner, IDD_INIT);
    DeleteObject(large);
    DeleteObject(bold);
    return result == 1 ? 1 : 0;
}

}  // namespace lumo::win32
