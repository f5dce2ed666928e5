// "Download": the controls of DownloadForm (ui/download_form.h); the download runs as the
// background job.
#include "ui/download_form.h"
#include "ui/win32/dialog_host.h"
#include "ui/win32/dialogs.h"
#include "ui/win32/dialogs/download_dialog_ids.h"
#include "ui/win32/resource.h"

namespace lumo::win32 {

int runDownloadDialog(HWND owner, int lineIndex, int moduleNumber) {
    DownloadForm form;
    form.chooseFile = [owner](std::string& chosen, int mode) { return chooseFile(owner, chosen, mode); };
    if (!form.open(lineIndex, moduleNumber)) return 0;
    DialogHost warning;
    warning.onInit = [&] {
        for (int k = 0; k < static_cast<int>(form.warning.size()); ++k)
            warning.showText(IDC_DOWNLOAD_LINE1 + k, form.warning[static_cast<std::size_t>(k)]);
        warning.showButton(IDC_DOWNLOAD_VERSION, form.version);
        warning.showCheck(IDC_DOWNLOAD_VERSION, form.olderHardware);
    };
    warning.onClick(IDC_DOWNLOAD_VERSION, [&] { form.olderHardware = warning.checked(IDC_DOWNLOAD_VERSION); });
    warning.onClick(IDC_DOWNLOAD_CONTINUE, [&] { warning.end(form.pressContinue()); });
    warning.onClick(IDC_DOWNLOAD_BACK, [&] { warning.end(form.pressBack()); });
    warning.onClose = [&] { return form.pressBack(); };
    if (warning.run(owner, IDD_DOWNLOAD) != 1) return 0;
    return form.finish();
}

}  // namespace lumo::win32
