// "Upload segment": the controls of UploadForm (ui/upload_form.h), before "Upload" and "memory DUMP".
#include <windows.h>
#include <commctrl.h>

#include "ui/upload_form.h"
#include "ui/win32/dialog_host.h"
#include "ui/win32/dialogs.h"
#include "ui/win32/dialogs/upload_dialog_ids.h"
#include "ui/win32/list_view.h"
#include "ui/win32/resource.h"

namespace lumo::win32 {
namespace {

int runSegmentDialog(HWND owner, int lineIndex, int moduleNumber, bool dump) {
    UploadForm form;
    if (!form.open(lineIndex, moduleNumber, dump)) return 0;
    DialogHost dialog;
    auto show = [&] {
        dialog.showField(IDC_UPLOAD_START, form.start);
        dialog.showField(IDC_UPLOAD_BYTES, form.bytes);
        dialog.showButton(IDC_UPLOAD_RUN, form.run);
    };
    dialog.onInit = [&] {
        HWND list = dialog.item(IDC_UPLOAD_SEGMENTS);
        addListColumns(list, {"Segment    ", "start          ", "velikost    "});
        for (const auto& row : form.segments) insertListRow(list, ListView_GetItemCount(list), {row.begin(), row.end()});
        fitListColumns(list);
        show();
    };
    form.reselect = [&](const FormField& f) { dialog.focus(&f == &form.start ? IDC_UPLOAD_START : IDC_UPLOAD_BYTES); };
    dialog.onTextChange(IDC_UPLOAD_START, [&] { form.start.text = dialog.text(IDC_UPLOAD_START); });
    dialog.onTextChange(IDC_UPLOAD_BYTES, [&] { form.bytes.text = dialog.text(IDC_UPLOAD_BYTES); });
    dialog.onMessage = [&](UINT message, WPARAM, LPARAM second, INT_PTR&) {
        if (message != WM_NOTIFY) return false;
        const auto* header = reinterpret_cast<const NMHDR*>(second);
        if (header->idFrom != IDC_UPLOAD_SEGMENTS || header->code != LVN_ITEMCHANGED) return false;
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
        if (((change->uNewState ^ change->uOldState) & LVIS_FOCUSED) == 0) return false;
        const int current = currentListRow(header->hwndFrom);
        if (current == form.segment) return false;
        form.chooseSegment(current);
        show();
        return false;
    };
    dialog.onClick(IDC_UPLOAD_RUN, [&] { dialog.finish(form.pressRun()); });
    dialog.onClick(IDC_UPLOAD_CLOSE, [&] { dialog.end(form.pressClose()); });
    dialog.onClose = [&] { return form.pressClose(); };
    if (dialog.run(owner, IDD_UPLOAD) != 1) return 0;
    form.chooseFile = [owner](std::string& chosen, int mode) { return chooseFile(owner, chosen, mode); };
    return form.finish();
}

}  // namespace

int runUploadDialog(HWND owner, int lineIndex, int moduleNumber) { return runSegmentDialog(owner, lineIndex, moduleNumber, false); }

int runMemoryDumpDialog(HWND owner, int lineIndex, int moduleNumber) {
    return runSegmentDialog(owner, lineIndex, moduleNumber, true);
}

}  // namespace lumo::win32
