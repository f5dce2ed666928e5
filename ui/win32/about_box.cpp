// The about box: the texts of the program file's version information, looked up by the keys
// its texts start with.
#include <windows.h>

#include <vector>

#include "ui/win32/dialog_host.h"
#include "ui/win32/dialogs.h"
#include "ui/win32/resource.h"
#include "ui/win32/win32_text.h"

namespace lumo::win32 {

int runAboutBox(HWND owner) {
    DialogHost box;
    box.onInit = [&box] {
        wchar_t path[MAX_PATH] = L"";
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
        if (size == 0) return;  // no version information: the keys stay
        std::vector<unsigned char> info(size);
        if (!GetFileVersionInfoW(path, 0, size, info.data())) return;
        for (int id : {IDC_ABOUT_COMPANY, IDC_ABOUT_DESCRIPTION, IDC_ABOUT_VERSION, IDC_ABOUT_COPYRIGHT,
                       IDC_ABOUT_TRADEMARKS}) {
            const std::wstring key = L"\\StringFileInfo\\040904E4\\" + wide(box.text(id));
            wchar_t* value = nullptr;
            UINT length = 0;
            if (VerQueryValueW(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &length) && length > 0 &&
                value != nullptr && value[0] != L'\0')
                SetWindowTextW(box.item(id), value);
        }
    };
    box.onClick(IDOK, [&box] { box.end(1); });
    box.onClose = [] { return 1; };
    box.run(owner, IDD_ABOUT);
    return 1;
}

}  // namespace lumo::win32
