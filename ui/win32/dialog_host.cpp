#include "ui/win32/dialog_host.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "ui/win32/main_window.h"
#include "ui/win32/win32_ui_port.h"
#include "ui/win32/win32_text.h"

namespace lumo::win32 {
namespace {

constexpr UINT_PTR kTimerId = 1;

// The text an edit would hold if `inserted` replaced its selection.
std::wstring afterTyping(HWND edit, const std::wstring& inserted) {
    const int length = GetWindowTextLengthW(edit);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(edit, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(length));
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    start = std::min<DWORD>(start, static_cast<DWORD>(text.size()));
    end = std::min<DWORD>(std::max(start, end), static_cast<DWORD>(text.size()));
    return text.substr(0, start) + inserted + text.substr(end);
}

LRESULT CALLBACK limitedEdit(HWND edit, UINT message, WPARAM first, LPARAM second, UINT_PTR, DWORD_PTR data) {
    auto* takes = reinterpret_cast<std::function<bool(const std::string&)>*>(data);
    if (message == WM_CHAR && first >= 0x20 && first != 0x7F) {
        if (!(*takes)(utf8(afterTyping(edit, std::wstring(1, static_cast<wchar_t>(first)))))) {
            MessageBeep(MB_OK);
            return 0;
        }
    } else if (message == WM_PASTE && OpenClipboard(edit)) {
        std::wstring pasted;
        if (HANDLE clip = GetClipboardData(CF_UNICODETEXT)) {
            if (const auto* p = static_cast<const wchar_t*>(GlobalLock(clip))) {
                pasted = p;
                GlobalUnlock(clip);
            }
        }
        CloseClipboard();
        if (!(*takes)(utf8(afterTyping(edit, pasted)))) {
            MessageBeep(MB_OK);
            return 0;
        }
    } else if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(edit, limitedEdit, 1);
    }
    return DefSubclassProc(edit, message, first, second);
}

}  // namespace

void CenterOverMainWindow(HWND dialog) {
    SetLastError(0);
    HWND main = mainWindowHandle();
    RECT m{}, d{};
    // Before the main window (the first start's configuration): over the screen's work area.
    if (main == nullptr || main == dialog || !IsWindowVisible(main)) SystemParametersInfoW(SPI_GETWORKAREA, 0, &m, 0);
    else GetWindowRect(main, &m);
    GetWindowRect(dialog, &d);
    const int x = std::max(0L, m.left + ((m.right - m.left) - (d.right - d.left)) / 2);
    const int y = std::max(0L, m.top + ((m.bottom - m.top) - (d.bottom - d.top)) / 2);
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int DialogHost::run(HWND owner, int templateId) {
    if (owner == nullptr) owner = mainWindowHandle();
    const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), owner, procedure,
                                           reinterpret_cast<LPARAM>(this));
    window_ = nullptr;
    return result < 0 ? 0 : static_cast<int>(result);
}

INT_PTR CALLBACK DialogHost::procedure(HWND window, UINT message, WPARAM first, LPARAM second) {
    if (message == WM_INITDIALOG) {
        auto* host = reinterpret_cast<DialogHost*>(second);
        SetWindowLongPtrW(window, DWLP_USER, second);
        host->window_ = window;
        CenterOverMainWindow(window);
        if (host->onInit) host->onInit();
        if (host->timerPeriod_ > 0) SetTimer(window, kTimerId, host->timerPeriod_, nullptr);
        return TRUE;
    }
    auto* host = reinterpret_cast<DialogHost*>(GetWindowLongPtrW(window, DWLP_USER));
    if (host == nullptr) return FALSE;
    return host->handle(message, first, second);
}

INT_PTR DialogHost::handle(UINT message, WPARAM first, LPARAM second) {
    INT_PTR result = 0;
    if (onMessage && onMessage(message, first, second, result)) {
        SetWindowLongPtrW(window_, DWLP_MSGRESULT, result);
        return TRUE;
    }
    switch (message) {
        case WM_COMMAND:
            command(LOWORD(first), HIWORD(first));
            return TRUE;
        case WM_CLOSE:
            finish(onClose ? onClose() : 0);
            return TRUE;
        case WM_TIMER:
            if (first == kTimerId && timer_) timer_();
            return TRUE;
        case WM_DESTROY:
            KillTimer(window_, kTimerId);
            return FALSE;
        case WM_SETCURSOR:
            // The dialog whose operation waits on a line shows the wait cursor, as the window does.
            if (!showingWaitCursor() || LOWORD(second) != HTCLIENT) return FALSE;
            SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)));  // IDC_WAIT
            SetWindowLongPtrW(window_, DWLP_MSGRESULT, TRUE);
            return TRUE;
        default: return FALSE;
    }
}

void DialogHost::command(int id, int code) {
    if (id == IDCANCEL && code == BN_CLICKED && !clicks_.count(IDCANCEL)) {
        // Escape, as the frame's close box.
        finish(onClose ? onClose() : 0);
        return;
    }
    auto run = [](const std::map<int, Handler>& handlers, int key) {
        const auto found = handlers.find(key);
        if (found == handlers.end() || !found->second) return false;
        // A copy: the handler may end the dialog or replace its own binding.
        const Handler handler = found->second;
        handler();
        return true;
    };
    switch (code) {
        case BN_CLICKED: run(clicks_, id); break;
        case EN_CHANGE:
            run(changes_, id);
            if (!setting_) run(edits_, id);
            break;
        case CBN_SELCHANGE:
            if (!setting_) run(edits_, id);
            break;
        case EN_KILLFOCUS: run(leaves_, id); break;
        default: break;
    }
}

void DialogHost::every(unsigned milliseconds, Handler handler) {
    timerPeriod_ = milliseconds;
    timer_ = std::move(handler);
    if (window_ != nullptr) SetTimer(window_, kTimerId, milliseconds, nullptr);
}

void DialogHost::end(int result) {
    if (window_ != nullptr) EndDialog(window_, result);
}

void enableControl(HWND control, bool enabled) {
    if (control == nullptr) return;
    // A control disabled with the focus hands it on: a dialog whose focus sits in a disabled
    // control takes no Escape.
    if (!enabled && GetFocus() == control) SendMessageW(GetParent(control), WM_NEXTDLGCTL, 0, FALSE);
    EnableWindow(control, enabled ? TRUE : FALSE);
}

void showTextIn(HWND control, const std::string& text) {
    if (control != nullptr && windowText(control) != text) setWindowText(control, text);
}

void showFieldIn(HWND control, const FormField& field) {
    if (control == nullptr) return;
    if (field.maxLength > 0) SendMessageW(control, EM_SETLIMITTEXT, static_cast<WPARAM>(field.maxLength), 0);
    showTextIn(control, field.text);
    enableControl(control, field.enabled);
    if (field.readOnly) {
        SendMessageW(control, EM_SETREADONLY, TRUE, 0);
        // Reached by a click (to copy from it), never by the tab key.
        SetWindowLongPtrW(control, GWL_STYLE, GetWindowLongPtrW(control, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_TABSTOP));
    }
}

void showChoiceIn(HWND control, const FormChoice& choice) {
    if (control == nullptr) return;
    const int count = static_cast<int>(SendMessageW(control, CB_GETCOUNT, 0, 0));
    bool same = count == static_cast<int>(choice.items.size());
    for (int i = 0; same && i < count; ++i) {
        const int length = static_cast<int>(SendMessageW(control, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0));
        std::wstring text(static_cast<std::size_t>(std::max(length, 0)) + 1, L'\0');
        SendMessageW(control, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<std::size_t>(std::max(length, 0)));
        same = utf8(text) == choice.items[static_cast<std::size_t>(i)];
    }
    if (!same) {
        SendMessageW(control, CB_RESETCONTENT, 0, 0);
        for (const auto& entry : choice.items)
            SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(entry).c_str()));
    }
    if (static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0)) != choice.chosen)
        SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(choice.chosen), 0);
    enableControl(control, choice.enabled);
}

void limitTypingIn(HWND control, const std::function<bool(const std::string&)>* takes) {
    SetWindowSubclass(control, limitedEdit, 1, reinterpret_cast<DWORD_PTR>(takes));
}

void DialogHost::showText(int id, const std::string& text) {
    setting_ = true;
    showTextIn(item(id), text);
    setting_ = false;
}

void DialogHost::showField(int id, const FormField& field) {
    setting_ = true;
    showFieldIn(item(id), field);
    setting_ = false;
}

void DialogHost::enable(int id, bool enabled) { enableControl(item(id), enabled); }

void DialogHost::showButton(int id, const FormField& field) {
    showText(id, field.text);
    enable(id, field.enabled);
}

void DialogHost::showChoice(int id, const FormChoice& choice) {
    setting_ = true;
    showChoiceIn(item(id), choice);
    setting_ = false;
}

void DialogHost::showCheck(int id, bool isChecked) {
    setting_ = true;
    CheckDlgButton(window_, id, isChecked ? BST_CHECKED : BST_UNCHECKED);
    setting_ = false;
}

std::string DialogHost::text(int id) const { return windowText(item(id)); }

bool DialogHost::checked(int id) const { return IsDlgButtonChecked(window_, id) == BST_CHECKED; }

int DialogHost::chosen(int id) const { return static_cast<int>(SendMessageW(item(id), CB_GETCURSEL, 0, 0)); }

void DialogHost::limitTyping(int id, std::function<bool(const std::string&)> takes) {
    auto& stored = limits_[id];
    stored = std::move(takes);
    limitTypingIn(item(id), &stored);
}

void DialogHost::focus(int id) {
    HWND control = item(id);
    SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    SendMessageW(control, EM_SETSEL, 0, -1);
}

}  // namespace lumo::win32
