#include "ui/win32/win32_ui_port.h"

#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <type_traits>

#include "base/ui_port.h"
#include "ui/win32/dialog_host.h"
#include "ui/win32/dialogs.h"
#include "ui/win32/main_window.h"
#include "ui/win32/resource.h"
#include "ui/win32/win32_text.h"

namespace lumo::win32 {
namespace {

std::atomic<bool> quittingFlag{false};
std::atomic<bool> cancelFlag{false};
std::atomic<int> waitCursorDepth{0};
DWORD uiThread = 0;
HWND invoker = nullptr;  // a message-only window of the window's thread: calls from workers land here
constexpr UINT kInvoke = WM_APP + 1, kPosted = WM_APP + 2;

LRESULT CALLBACK invokerProcedure(HWND window, UINT message, WPARAM first, LPARAM second) {
    if (message == kInvoke) {
        (*reinterpret_cast<const std::function<void()>*>(second))();
        return 0;
    }
    if (message == kPosted) {
        std::unique_ptr<std::function<void()>> posted(reinterpret_cast<std::function<void()>*>(second));
        (*posted)();
        return 0;
    }
    return DefWindowProcW(window, message, first, second);
}

bool onWindowThread() { return GetCurrentThreadId() == uiThread; }

// Runs `f` on the window's thread and waits for it. Once the program is closing, a call from
// another thread does nothing and gives the result's default.
template <typename F>
auto onUiThread(F f) -> decltype(f()) {
    using R = decltype(f());
    if (onWindowThread() || invoker == nullptr) return f();
    if constexpr (std::is_void_v<R>) {
        if (quittingFlag) return;
        const std::function<void()> call = f;
        SendMessageW(invoker, kInvoke, 0, reinterpret_cast<LPARAM>(&call));
    } else {
        R result{};
        if (quittingFlag) return result;
        const std::function<void()> call = [&] { result = f(); };
        SendMessageW(invoker, kInvoke, 0, reinterpret_cast<LPARAM>(&call));
        return result;
    }
}

UINT iconOf(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information: return MB_ICONINFORMATION;
        case MessageIcon::Warning: return MB_ICONWARNING;
        case MessageIcon::Error: return MB_ICONERROR;
        case MessageIcon::Question: return MB_ICONQUESTION;
        default: return 0;
    }
}

// A box belongs to the active window of this thread, else to the main window: one shown right
// after a dialog closed opens over the panel.
HWND boxOwner() {
    if (HWND active = GetActiveWindow()) return active;
    return mainWindowHandle();
}

// The boxes' buttons in Czech, whatever the system's language: renamed as the box activates. A
// box is told by its text's control (0xFFFF); each box has its own hook, nested ones included.
LRESULT CALLBACK czechButtons(int code, WPARAM first, LPARAM second) {
    if (code == HCBT_ACTIVATE) {
        HWND box = reinterpret_cast<HWND>(first);
        wchar_t className[16] = L"";
        GetClassNameW(box, className, 16);
        if (std::wstring(className) == L"#32770" && GetDlgItem(box, 0xFFFF) != nullptr) {
            if (HWND b = GetDlgItem(box, IDYES)) setWindowText(b, "&Ano");
            if (HWND b = GetDlgItem(box, IDNO)) setWindowText(b, "&Ne");
            if (HWND b = GetDlgItem(box, IDCANCEL)) setWindowText(b, "Storno");
        }
    }
    return CallNextHookEx(nullptr, code, first, second);
}

int messageBox(std::string_view caption, std::string_view text, UINT type) {
    const std::wstring c = wide(caption), t = wide(text);
    HHOOK hook = SetWindowsHookExW(WH_CBT, czechButtons, nullptr, GetCurrentThreadId());
    const int answer = MessageBoxW(boxOwner(), t.c_str(), c.c_str(), type);
    if (hook != nullptr) UnhookWindowsHookEx(hook);
    return answer;
}

// The small window of a reader check: closing it stops the wait for a card.
HWND readerPromptWindow = nullptr;
INT_PTR CALLBACK readerPromptProcedure(HWND window, UINT message, WPARAM first, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            setWindowText(GetDlgItem(window, 1), "\r\n      přiložte identifikátor.... ");
            CenterOverMainWindow(window);
            return TRUE;
        case WM_COMMAND:  // Escape
            if (LOWORD(first) != IDCANCEL) return FALSE;
            [[fallthrough]];
        case WM_CLOSE:
            cancelFlag = true;
            DestroyWindow(window);
            return TRUE;
        case WM_DESTROY:
            if (readerPromptWindow == window) readerPromptWindow = nullptr;
            return FALSE;
        default: return FALSE;
    }
}

template <typename F>
void onMain(F f) {
    onUiThread([&] {
        if (MainWindow* w = mainWindow()) f(*w);
    });
}

}  // namespace

void setUiQuitting(bool quitting) { quittingFlag = quitting; }

void postToWindowThread(std::function<void()> f) {
    auto posted = std::make_unique<std::function<void()>>(std::move(f));
    if (invoker != nullptr && PostMessageW(invoker, kPosted, 0, reinterpret_cast<LPARAM>(posted.get()))) posted.release();
}
bool uiQuitting() { return quittingFlag; }
void cancelOperation() { cancelFlag = true; }
bool showingWaitCursor() { return waitCursorDepth > 0; }

bool translateMessage(MSG& message) {
    HWND main = mainWindowHandle();
    MainWindow* w = mainWindow();
    if (w != nullptr && (message.hwnd == main || IsChild(main, message.hwnd)) && w->accelerate(message)) return true;
    HWND active = GetActiveWindow();
    if (active != nullptr && active != main && IsDialogMessageW(active, &message)) return true;
    return false;
}

void pumpUntil(HANDLE done) {
    bool quit = false;
    WPARAM quitCode = 0;
    for (;;) {
        const DWORD woke = MsgWaitForMultipleObjectsEx(1, &done, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_OBJECT_0) break;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                quit = true;
                quitCode = message.wParam;
                continue;
            }
            if (translateMessage(message)) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    if (quit) PostQuitMessage(static_cast<int>(quitCode));
}

void installWin32UiPort(MainWindow*) {
    uiThread = GetCurrentThreadId();
    if (invoker == nullptr) {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = invokerProcedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"LUMO_HW_CALLS";
        RegisterClassExW(&windowClass);
        invoker = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  windowClass.hInstance, nullptr);
    }
    UiPort port;
    port.showMessage = [](std::string_view caption, std::string_view text, MessageIcon icon) {
        onUiThread([&] { messageBox(caption, text, MB_OK | iconOf(icon)); });
    };
    port.askYesNo = [](std::string_view caption, std::string_view text, MessageIcon icon) {
        return onUiThread([&] { return messageBox(caption, text, MB_YESNO | iconOf(icon)) == IDYES; });
    };
    port.askYesNoCancel = [](std::string_view caption, std::string_view text, MessageIcon icon) {
        return onUiThread([&] {
            const int answer = messageBox(caption, text, MB_YESNOCANCEL | iconOf(icon));
            return answer == IDYES ? Reply::Yes : answer == IDNO ? Reply::No : Reply::Cancel;
        });
    };
    port.setStatusText = [](std::string_view text) {
        const std::string t(text);
        onMain([&](MainWindow& w) { w.setStatusText(t); });
    };
    port.setWaitCursor = [](bool busy) {
        waitCursorDepth += busy ? 1 : (waitCursorDepth > 0 ? -1 : 0);
        onUiThread([] {
            POINT p{};
            GetCursorPos(&p);
            SetCursorPos(p.x, p.y);  // the window under the pointer asks for its cursor again
        });
    };
    port.destroyActiveWindow = [] {
        onUiThread([] {
            if (HWND active = GetActiveWindow()) SendMessageW(active, WM_CLOSE, 0, 0);
        });
    };
    port.refreshTree = [](int line, int module) { onMain([&](MainWindow& w) { w.refreshTree(line, module); }); };
    port.updateTreeItem = [](unsigned key, const std::optional<std::string>& label, int image) {
        onMain([&](MainWindow& w) { w.updateTreeItem(key, label, image); });
    };
    port.showReport = [](std::string_view text) {
        const std::string t(text);
        onMain([&](MainWindow& w) { w.showReport(t); });
    };
    port.progressShow = [](std::string_view text) {
        const std::string t(text);
        onMain([&](MainWindow& w) { w.showProgress(t); });
    };
    port.progressSetRange = [](int count) { onMain([&](MainWindow& w) { w.setProgressRange(count); }); };
    port.progressStep = [] { onMain([](MainWindow& w) { w.stepProgress(); }); };
    port.progressHide = [] { onMain([](MainWindow& w) { w.hideProgress(); }); };
    port.pumpMessages = [] {
        if (onWindowThread()) {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (message.message == WM_QUIT) {
                    PostQuitMessage(static_cast<int>(message.wParam));
                    quittingFlag = true;
                    break;
                }
                if (translateMessage(message)) continue;
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
        return !quittingFlag && !cancelFlag;
    };
    port.readerPrompt = [](bool visible) {
        return onUiThread([&] {
            if (readerPromptWindow != nullptr) DestroyWindow(readerPromptWindow);
            readerPromptWindow = nullptr;
            if (!visible) return true;
            readerPromptWindow = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_READER_PROMPT),
                                                    mainWindowHandle(), readerPromptProcedure, 0);
            if (readerPromptWindow == nullptr) return false;
            ShowWindow(readerPromptWindow, SW_SHOW);
            return true;
        });
    };
    port.enterMacAddress = [](std::array<std::uint8_t, 6>& mac) {
        return onUiThread([&] { return runMacEntryDialog(boxOwner(), mac) == 1; });
    };
    port.runWaiting = [](const std::function<int()>& operation) -> int {
        // Already off the window's thread (a job, the scan): the caller waits there.
        if (!onWindowThread()) return operation();
        // One operation on the lines at a time is the core's rule (the line lease): the caller
        // holds it already.
        cancelFlag = false;
        if (MainWindow* w = mainWindow()) w->setOperationRunning(true);
        ++waitCursorDepth;
        HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        int result = 0;
        std::exception_ptr failure;
        std::thread worker([&] {
            try {
                result = operation();
            } catch (...) {
                failure = std::current_exception();  // thrown again here, the lease given back
            }
            SetEvent(done);
        });
        pumpUntil(done);
        worker.join();
        CloseHandle(done);
        --waitCursorDepth;
        if (MainWindow* w = mainWindow()) w->setOperationRunning(false);
        if (failure) std::rethrow_exception(failure);
        return result;
    };
    installUiPort(std::move(port));
}

}  // namespace lumo::win32
