// "Komunikační linka TCP": the controls of TcpLineForm (ui/tcp_line_form.h), and the window of
// its device's configuration console.
#include <string>
#include <utility>

#include "ui/tcp_line_form.h"
#include "ui/win32/dialog_host.h"
#include "ui/win32/dialogs.h"
#include "ui/win32/dialogs/tcp_line_dialog_ids.h"
#include "ui/win32/edit_lines.h"
#include "ui/win32/resource.h"
#include "ui/win32/win32_text.h"

namespace lumo::win32 {
namespace {

constexpr int kConsoleKeptLines = 3000;

// The device's 8-bit text is Latin-1: each byte is its own character.
std::wstring fromLatin1(const std::string& bytes) {
    std::wstring text;
    text.reserve(bytes.size());
    for (const char c : bytes) text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return text;
}

std::string toLatin1(const std::wstring& text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (const wchar_t c : text) bytes.push_back(c <= 0xFF ? static_cast<char>(c) : '?');
    return bytes;
}

// Text added at the end of the console's edit, which keeps its last few thousand lines.
void append(HWND shown, const std::wstring& text) {
    const LRESULT length = SendMessageW(shown, WM_GETTEXTLENGTH, 0, 0);
    SendMessageW(shown, EM_SETSEL, static_cast<WPARAM>(length), length);
    SendMessageW(shown, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    const LRESULT lines = SendMessageW(shown, EM_GETLINECOUNT, 0, 0);
    if (lines > kConsoleKeptLines) {
        const LRESULT cut = SendMessageW(shown, EM_LINEINDEX, static_cast<WPARAM>(lines - kConsoleKeptLines), 0);
        SendMessageW(shown, EM_SETSEL, 0, cut);
        SendMessageW(shown, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
        const LRESULT end = SendMessageW(shown, WM_GETTEXTLENGTH, 0, 0);
        SendMessageW(shown, EM_SETSEL, static_cast<WPARAM>(end), end);
    }
    SendMessageW(shown, EM_SCROLLCARET, 0, 0);
}

// The console's text as it comes, in a fixed font; the typed line goes on Enter.
void runConsoleWindow(HWND owner, TcpConsole& console) {
    DialogHost window;
    window.onInit = [&] {
        setWindowText(window.window(), console.title());
        HWND shown = window.item(IDC_TCP_CONSOLE_SHOWN);
        SendMessageW(shown, EM_SETLIMITTEXT, 0, 0);  // beyond the edit's own 32 K characters
        SendMessageW(shown, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(ANSI_FIXED_FONT)), FALSE);
    };
    window.onClick(IDOK, [&] {
        HWND typed = window.item(IDC_TCP_CONSOLE_TYPED);
        if (GetFocus() != typed) return;
        const int length = GetWindowTextLengthW(typed);
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        GetWindowTextW(typed, text.data(), length + 1);
        text.resize(static_cast<std::size_t>(length));
        SetWindowTextW(typed, L"");
        console.send(toLatin1(text));
    });
    // The window takes what has come a few times a second.
    window.every(50, [&] {
        bool closed = false;
        const std::string piece = console.take(closed);
        HWND shown = window.item(IDC_TCP_CONSOLE_SHOWN);
        if (!piece.empty()) append(shown, fromLatin1(editLines(piece)));
        if (closed) {
            append(shown, wide(editLines(TcpConsole::closedNote())));
            // The keys (Escape among them) go on to the text, not to a field that is gone.
            if (GetFocus() == window.item(IDC_TCP_CONSOLE_TYPED))
                SendMessageW(window.window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(shown), TRUE);
            window.enable(IDC_TCP_CONSOLE_TYPED, false);
        }
    });
    window.run(owner, IDD_TCP_CONSOLE);
}

}  // namespace

int runTcpLineDialog(HWND owner, int lineIndex) {
    TcpLineForm form;
    form.open(lineIndex);
    DialogHost dialog;
    const std::pair<int, FormField*> fields[] = {
        {IDC_TCP_LINE_DESCRIPTION, &form.description}, {IDC_TCP_LINE_IP, &form.ip}, {IDC_TCP_LINE_PORT, &form.tcpPort}};
    const std::pair<int, FormField*> deviceButtons[] = {
        {IDC_TCP_LINE_SET_ADDRESS, &form.setAddress}, {IDC_TCP_LINE_CONSOLE, &form.console}, {IDC_TCP_LINE_WEB, &form.web}};
    HWND focusBeforeBusy = nullptr;
    auto show = [&] {
        // While the device is worked with, no control takes input; the focus comes back after.
        const bool wasBusy = focusBeforeBusy != nullptr;
        if (form.busy && !wasBusy) focusBeforeBusy = GetFocus() != nullptr ? GetFocus() : dialog.window();
        for (HWND c = GetWindow(dialog.window(), GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT))
            EnableWindow(c, form.busy ? FALSE : TRUE);
        for (const auto& [id, value] : fields) dialog.showField(id, *value);
        for (const auto& [id, value] : deviceButtons) dialog.showButton(id, *value);
        if (form.busy) {
            for (HWND c = GetWindow(dialog.window(), GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) EnableWindow(c, FALSE);
        } else if (wasBusy) {
            if (IsWindowEnabled(focusBeforeBusy)) SendMessageW(dialog.window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(focusBeforeBusy), TRUE);
            focusBeforeBusy = nullptr;
        }
    };
    dialog.onInit = show;
    form.showNow = show;
    form.reselect = [&](const FormField& f) {
        for (const auto& [id, value] : fields)
            if (value == &f) dialog.focus(id);
    };
    form.showConsole = [&](TcpConsole& console) { runConsoleWindow(dialog.window(), console); };
    for (const auto& [id, value] : fields)
        dialog.onTextChange(id, [&dialog, id = id, f = value] { f->text = dialog.text(id); });
    int (TcpLineForm::*const presses[])() = {&TcpLineForm::pressSetAddress, &TcpLineForm::pressConsole, &TcpLineForm::pressWeb};
    for (int i = 0; i < 3; ++i) {
        dialog.onClick(deviceButtons[i].first, [&, press = presses[i]] {
            (form.*press)();
            show();
        });
    }
    dialog.onClick(IDC_TCP_LINE_SAVE, [&] { dialog.finish(form.pressSave()); });
    dialog.onClick(IDC_TCP_LINE_CLOSE, [&] { dialog.end(form.pressClose()); });
    dialog.onClose = [&] { return form.pressClose(); };
    return dialog.run(owner, IDD_TCP_LINE) == 1 ? 1 : 0;
}

}  // namespace lumo::win32
