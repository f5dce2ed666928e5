// "Dekodóvání výrobního čísla": the controls of SerialDecodeForm (ui/serial_decode_form.h).
#include <windows.h>

#include <utility>

#include "ui/serial_decode_form.h"
#include "ui/win32/dialog_host.h"
#include "ui/win32/dialogs.h"
#include "ui/win32/dialogs/serial_decode_dialog_ids.h"
#include "ui/win32/resource.h"

namespace lumo::win32 {

int runSerialDecodeDialog(HWND owner) {
    SerialDecodeForm form;
    DialogHost dialog;
    const std::pair<int, FormField*> fields[] = {
        {IDC_SERIAL_DECODE_NUMBER, &form.number}, {IDC_SERIAL_DECODE_DATE, &form.date},
        {IDC_SERIAL_DECODE_TYPE, &form.type},     {IDC_SERIAL_DECODE_MODEL, &form.model},
        {IDC_SERIAL_DECODE_KIND, &form.kind},     {IDC_SERIAL_DECODE_SEQUENCE, &form.sequence},
        {IDC_SERIAL_DECODE_MAC, &form.mac}};
    auto show = [&] {
        for (const auto& [id, field] : fields) dialog.showField(id, *field);
    };
    dialog.onInit = show;
    for (const auto& [id, field] : fields)
        dialog.onTextChange(id, [&dialog, id = id, field = field] { field->text = dialog.text(id); });
    auto decode = [&] {
        form.pressDecode();
        show();
    };
    auto fromMac = [&] {
        form.pressFromMac();
        show();
    };
    dialog.onClick(IDC_SERIAL_DECODE_DECODE, decode);
    dialog.onClick(IDC_SERIAL_DECODE_FROM_MAC, fromMac);
    // Enter: each ">>" answers the Enter of its own field, and neither is the dialog's default.
    dialog.onClick(IDOK, [&] {
        HWND focused = GetFocus();
        if (focused == dialog.item(IDC_SERIAL_DECODE_NUMBER)) decode();
        else if (focused == dialog.item(IDC_SERIAL_DECODE_MAC)) fromMac();
    });
    dialog.onClick(IDC_SERIAL_DECODE_CLOSE, [&] { dialog.end(form.pressClose()); });
    dialog.onClose = [&] { return form.pressClose(); };
    dialog.run(owner, IDD_SERIAL_DECODE);
    return 0;
}

}  // namespace lumo::win32
