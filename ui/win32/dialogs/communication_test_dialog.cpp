// "Testování komunikace": the controls of CommunicationTestForm (ui/communication_test_form.h).
#include <utility>

#include "ui/communication_test_form.h"
#include "ui/win32/dialog_host.h"
#include "ui/win32/dialogs.h"
#include "ui/win32/dialogs/communication_test_dialog_ids.h"
#include "ui/win32/edit_lines.h"
#include "ui/win32/resource.h"
#include "ui/win32/win32_ui_port.h"

namespace lumo::win32 {

int runCommunicationTestDialog(HWND owner, int lineIndex, int moduleNumber) {
    CommunicationTestForm form;
    if (!form.open(lineIndex, moduleNumber)) return 0;
    DialogHost dialog;
    auto show = [&] {
        dialog.showText(IDC_TEST_OUTPUT, editLines(form.output.text));
        dialog.showButton(IDC_TEST_START, form.start);
    };
    dialog.onInit = show;
    form.showNow = [&] {
        if (dialog.window() != nullptr) show();
    };
    form.toWindow = [](std::function<void()> call) { postToWindowThread(std::move(call)); };
    dialog.onClick(IDC_TEST_START, [&] {
        form.pressStart();
        show();
    });
    dialog.onClick(IDC_TEST_CLOSE, [&] { dialog.end(form.pressClose()); });
    dialog.onClose = [&] { return form.pressClose(); };
    const int result = dialog.run(owner, IDD_COMMUNICATION_TEST);
    form.ended();
    return result;
}

}  // namespace lumo::win32
