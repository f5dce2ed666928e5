// The file and folder choices of the panel's dialogs: the system's open and save dialogs and its
// folder browser.
#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "actions/config_actions.h"
#include "base/error_report.h"
#include "ui/win32/dialogs.h"
#include "ui/win32/win32_text.h"

namespace lumo::win32 {

int chooseFile(HWND owner, std::string& result, int mode) {
    const FileChoiceMode& m = fileChoiceMode(mode);
    // The filter uses its own last character, '|', as the separator.
    std::wstring filter = wide(m.filter);
    for (wchar_t& c : filter)
        if (c == L'|') c = L'\0';
    filter.push_back(L'\0');
    std::vector<wchar_t> file(32768, L'\0');  // whole: a shortened path would name another file
    const std::wstring start = wide(fileDialogStartFolder());
    const std::wstring extension = wide(m.defaultExtension != nullptr ? m.defaultExtension : "");
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir = start.c_str();
    dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                   (m.save ? OFN_OVERWRITEPROMPT : (OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST));
    const BOOL chosen = m.save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    if (!chosen) return 0;  // cancelled: the last folder stays
    result = utf8(file.data());
    if (rememberChosenFile(result) != 0) reportError();
    return 1;
}

namespace {

int CALLBACK startInRoot(HWND browser, UINT message, LPARAM, LPARAM root) {
    if (message == BFFM_INITIALIZED && root != 0) SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, root);
    return 0;
}

}  // namespace

int chooseFolder(HWND owner, const std::string& root, std::string& result) {
    const std::wstring title = wide("Vyberte adresář kam budou umístěny datové soubory");
    const std::wstring start = wide(root);
    BROWSEINFOW browse{};
    browse.hwndOwner = owner;
    browse.lpszTitle = title.c_str();
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    browse.lpfn = startInRoot;
    browse.lParam = reinterpret_cast<LPARAM>(start.empty() ? nullptr : start.c_str());
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
    if (chosen == nullptr) return 0;
    wchar_t path[MAX_PATH] = L"";
    const BOOL got = SHGetPathFromIDListW(chosen, path);
    CoTaskMemFree(chosen);
    if (!got) return 0;
    result = utf8(path);
    return 1;
}

}  // namespace lumo::win32
