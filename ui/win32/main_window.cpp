#include "ui/win32/main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "actions/config_actions.h"
#include "actions/device_actions.h"
#include "actions/download_actions.h"
#include "actions/install_actions.h"
#include "actions/panel_actions.h"
#include "actions/usb_actions.h"
#include "base/app_state.h"
#include "base/ui_port.h"
#include "comm/line_lease.h"
#include "device/status_report.h"
#include "model/installation.h"
#include "model/program_config.h"
#include "model/tree_items.h"
#include "ui/command_ids.h"
#include "ui/message_map.h"
#include "ui/win32/dialogs.h"
#include "ui/win32/images.h"
#include "ui/win32/resource.h"
#include "ui/win32/win32_text.h"
#include "ui/win32/win32_ui_port.h"

namespace lumo::win32 {
namespace {

constexpr wchar_t kClassName[] = L"LUMO_HW";
constexpr UINT_PTR kClockTimer = 1;
constexpr int kToolbarHeight = 30;

MainWindow* theWindow = nullptr;

MainWindow* windowOf(void* w) { return static_cast<MainWindow*>(w); }

template <void (MainWindow::*Method)()>
std::intptr_t call(void* w, unsigned, unsigned, std::intptr_t) {
    (windowOf(w)->*Method)();
    return 0;
}
std::intptr_t showAll(void* w, unsigned, unsigned, std::intptr_t) {
    windowOf(w)->cmdFilter(false);
    return 0;
}
std::intptr_t showActive(void* w, unsigned, unsigned, std::intptr_t) {
    windowOf(w)->cmdFilter(true);
    return 0;
}
std::intptr_t addLineCommand(void* w, unsigned, unsigned, std::intptr_t) {
    runAddLineDialog(windowOf(w)->handle());
    return 0;
}
std::intptr_t addModuleCommand(void* w, unsigned, unsigned, std::intptr_t) {
    runAddModuleDialog(windowOf(w)->handle(), windowOf(w)->selectedLine());
    return 0;
}
std::intptr_t changeSetting(void* w, unsigned command, unsigned, std::intptr_t) {
    MainWindow* window = windowOf(w);
    if (!window->hasSelection()) return 0;
    const auto mode = (command & 0xFFFF) == static_cast<unsigned>(cmd::kChangeId) ? ChangeMode::IdAddress : ChangeMode::Type;
    runChangeSettingDialog(window->handle(), window->selectedLine(), window->selectedModule(), mode);
    StatusReportShow(window->selectedLine(), window->selectedModule());
    return 0;
}
template <int (*Dialog)(HWND, int, int)>
std::intptr_t moduleDialog(void* w, unsigned, unsigned, std::intptr_t) {
    MainWindow* window = windowOf(w);
    if (window->hasSelection()) Dialog(window->handle(), window->selectedLine(), window->selectedModule());
    return 0;
}
template <bool Send>
std::intptr_t transferDialog(void* w, unsigned, unsigned, std::intptr_t) {
    MainWindow* window = windowOf(w);
    if (!window->hasSelection()) return 0;
    runTransferDialog(window->handle(), window->selectedLine(), window->selectedModule(), Send);
    return 0;
}
template <int (*Dialog)(HWND)>
std::intptr_t windowDialog(void* w, unsigned, unsigned, std::intptr_t) {
    Dialog(windowOf(w)->handle());
    return 0;
}
std::intptr_t usbDriverCleanup(void*, unsigned, unsigned, std::intptr_t) {
    cleanUsbDriversCommand();
    return 0;
}
std::intptr_t stopJobCommand(void*, unsigned, unsigned, std::intptr_t) {
    stopJob();
    return 0;
}
// Commands that act on the selected item through one action each; with nothing selected (the
// item was removed, the tree is empty) they do nothing.
template <int (*Action)(int, int)>
std::intptr_t onSelection(void* w, unsigned, unsigned, std::intptr_t) {
    if (windowOf(w)->hasSelection()) Action(windowOf(w)->selectedLine(), windowOf(w)->selectedModule());
    return 0;
}

// The command table of the main window.
const MessageMap<CommandHandler>& commandMap() {
    static const MessageMap<CommandHandler> map{
        {
            {cmd::kProperties, call<&MainWindow::cmdProperties>},
            {cmd::kToolProperties, call<&MainWindow::cmdProperties>},
            {cmd::kRemove, onSelection<removeItem>},
            {cmd::kToolRemove, onSelection<removeItem>},
            {cmd::kCheck, onSelection<checkItem>},
            {cmd::kToolCheck, onSelection<checkItem>},
            {cmd::kResetMaster, onSelection<resetMaster>},
            {cmd::kResetApplication, onSelection<resetApplication>},
            {cmd::kDownload, moduleDialog<runDownloadDialog>},
            {cmd::kUpload, moduleDialog<runUploadDialog>},
            {cmd::kInitialise, moduleDialog<runInitDialog>},
            {cmd::kMemoryDump, moduleDialog<runMemoryDumpDialog>},
            {cmd::kRestartTcp, onSelection<remoteRestart>},
            {cmd::kTest, moduleDialog<runCommunicationTestDialog>},
            {cmd::kSettings, call<&MainWindow::cmdSettings>},
            {cmd::kAddLine, addLineCommand},
            {cmd::kToolAddLine, addLineCommand},
            {cmd::kAddModule, addModuleCommand},
            {cmd::kToolAddModule, addModuleCommand},
            {cmd::kChangeType, changeSetting},
            {cmd::kChangeId, changeSetting},
            {cmd::kSerialDecode, windowDialog<runSerialDecodeDialog>},
            {cmd::kUsbSearch, windowDialog<runUsbSearchDialog>},
            {cmd::kTcpSearch, windowDialog<runTcpSearchDialog>},
            {cmd::kUsbDriverCleanup, usbDriverCleanup},
            {cmd::kDateTime, moduleDialog<runClockDialog>},
            {cmd::kCounters, moduleDialog<runCountersDialog>},
            {cmd::kConsole, moduleDialog<runConsoleDialog>},
            {cmd::kReadToFile, transferDialog<false>},
            {cmd::kFileTransfer, transferDialog<true>},
            {cmd::kShowAll, showAll},
            {cmd::kShowActive, showActive},
            {cmd::kToggleToolbar, call<&MainWindow::cmdToggleToolbar>},
            {cmd::kWhatsNew, call<&MainWindow::cmdWhatsNew>},
            {cmd::kToolSwitch, onSelection<toggleItem>},
            {cmd::kToolStopJob, stopJobCommand},
            {cmd::kToolRefresh, call<&MainWindow::cmdRefresh>},
        },
        DefaultKind::Window};
    return map;
}

// Commands the main table does not know: the window's own map.
const MessageMap<CommandHandler>& windowCommandMap() {
    static const MessageMap<CommandHandler> map{
        {{cmd::kExit, call<&MainWindow::cmdExit>}, {cmd::kAbout, call<&MainWindow::cmdAbout>}}, DefaultKind::Window};
    return map;
}

std::intptr_t defaultWindowHandling(DefaultKind kind, void* window, unsigned message, std::uintptr_t first,
                                    std::intptr_t second) {
    // An unknown command of the main table goes to the window's own map.
    if (message == WM_COMMAND && window != nullptr && kind == DefaultKind::Window) {
        static thread_local int depth = 0;  // the window's own map falls back here once only
        if (depth == 0) {
            ++depth;
            const auto r = dispatchCommand(first, window, second, windowCommandMap());
            --depth;
            return r;
        }
    }
    if (kind == DefaultKind::Window && theWindow != nullptr)
        return DefWindowProcW(theWindow->handle(), message, first, second);
    return 0;
}

template <LRESULT (MainWindow::*Method)(WPARAM, LPARAM)>
std::intptr_t message(void* w, unsigned, std::uintptr_t first, std::intptr_t second) {
    return (windowOf(w)->*Method)(first, second);
}

// The window's messages; any other goes to the default window procedure.
const MessageMap<MessageHandler>& messageMap() {
    static const MessageMap<MessageHandler> map{{
                                                    {WM_SIZE, message<&MainWindow::onSize>},
                                                    {WM_SETFOCUS, message<&MainWindow::onSetFocus>},
                                                    {WM_TIMER, message<&MainWindow::onTimer>},
                                                    {WM_COMMAND, message<&MainWindow::onCommand>},
                                                    {WM_NOTIFY, message<&MainWindow::onNotify>},
                                                    {WM_CLOSE, message<&MainWindow::onClose>},
                                                    {WM_DESTROY, message<&MainWindow::onDestroy>},
                                                    {WM_NCDESTROY, message<&MainWindow::onNcDestroy>},
                                                    {WM_SETCURSOR, message<&MainWindow::onSetCursor>},
                                                },
                                                DefaultKind::Window};
    return map;
}

LRESULT CALLBACK windowProcedure(HWND window, UINT msg, WPARAM first, LPARAM second) {
    if (theWindow == nullptr || theWindow->handle() != window) return DefWindowProcW(window, msg, first, second);
    return dispatchMessage(msg, theWindow, second, first, messageMap());
}

// The ids of the menu's items that the resource does not gray, for showing their states.
struct MenuItem {
    HMENU menu;
    int position;
    int id;
};
std::vector<MenuItem> menuItems;

void collectMenu(HMENU menu) {
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        if (HMENU sub = GetSubMenu(menu, i)) {
            collectMenu(sub);
            continue;
        }
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) continue;
        if ((info.fType & MFT_SEPARATOR) != 0 || (info.fState & MFS_GRAYED) != 0) continue;
        menuItems.push_back({menu, i, static_cast<int>(info.wID)});
    }
}

int textWidth(HWND control, const std::wstring& text) {
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return size.cx;
}

}  // namespace

HWND mainWindowHandle() { return theWindow != nullptr ? theWindow->handle() : nullptr; }
MainWindow* mainWindow() { return theWindow; }

bool MainWindow::create(HINSTANCE instance) {
    setDefaultHandler(defaultWindowHandling);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_PROGRAM));
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    RegisterClassExW(&windowClass);

    const WindowRect r = programConfig().windowRect();
    const int width = std::max(200, r.right - r.left), height = std::max(150, r.bottom - r.top);
    theWindow = this;
    window_ = CreateWindowExW(0, kClassName, wide("Ovládací panel systému LUMO-line").c_str(), WS_OVERLAPPEDWINDOW,
                              r.left, r.top, width, height, nullptr, LoadMenuW(instance, MAKEINTRESOURCEW(IDR_MAIN_MENU)),
                              instance, nullptr);
    if (window_ == nullptr) {
        theWindow = nullptr;
        return false;
    }
    accelerators_ = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    menuItems.clear();
    collectMenu(GetMenu(window_));
    CheckMenuRadioItem(GetMenu(window_), cmd::kShowAll, cmd::kShowActive, cmd::kShowAll, MF_BYCOMMAND);

    tree_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                                TVS_SHOWSELALWAYS,
                            0, 0, 0, 0, window_, reinterpret_cast<HMENU>(IDC_TREE), instance, nullptr);
    TreeView_SetImageList(tree_, treeImages(), TVSIL_NORMAL);
    pane_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                            WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0, 0, 0, 0,
                            window_, reinterpret_cast<HMENU>(IDC_PANE), instance, nullptr);
    const HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    SendMessageW(pane_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendMessageW(tree_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    int tabStop = 60;  // dialog units
    SendMessageW(pane_, EM_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&tabStop));
    status_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, window_,
                              reinterpret_cast<HMENU>(IDC_STATUS), instance, nullptr);
    if (appState().toolbarVisible) createToolbar();
    CheckMenuItem(GetMenu(window_), cmd::kToggleToolbar, MF_BYCOMMAND | (toolbar_ != nullptr ? MF_CHECKED : MF_UNCHECKED));
    layoutClient();
    tick();
    SetTimer(window_, kClockTimer, 1000, nullptr);
    form_.reread();
    showCommandStates();
    return true;
}

void MainWindow::createToolbar() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    toolbar_ = CreateWindowExW(0, TOOLBARCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE | CCS_NODIVIDER,
                               0, 0, 0, 0, window_, reinterpret_cast<HMENU>(IDC_TOOLBAR), instance, nullptr);
    SendMessageW(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(toolbar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(toolbarImages()));
    struct Button {
        int image, id;
    };
    static const Button buttons[] = {
        {0, cmd::kToolAddLine}, {1, cmd::kToolAddModule}, {2, cmd::kToolRemove}, {3, cmd::kToolProperties},
        {7, cmd::kToolCheck},   {-1, 0},                  {4, cmd::kToolSwitch}, {5, cmd::kToolStopJob},
        {6, cmd::kToolRefresh}, {-1, 0},                  {8, cmd::kAbout},
    };
    std::vector<TBBUTTON> items;
    for (const Button& b : buttons) {
        TBBUTTON item{};
        item.iBitmap = b.image < 0 ? 0 : b.image;
        item.idCommand = b.id;
        item.fsState = TBSTATE_ENABLED;
        item.fsStyle = b.image < 0 ? BTNS_SEP : BTNS_BUTTON;
        items.push_back(item);
    }
    SendMessageW(toolbar_, TB_ADDBUTTONSW, items.size(), reinterpret_cast<LPARAM>(items.data()));
    showCommandStates();
}

void MainWindow::layoutClient() {
    RECT client{};
    GetClientRect(window_, &client);
    const int w = client.right, h = client.bottom;
    const int top = toolbar_ != nullptr ? kToolbarHeight : 0;
    const int half = w / 2;
    if (toolbar_ != nullptr) MoveWindow(toolbar_, 0, 0, w, kToolbarHeight, TRUE);
    MoveWindow(tree_, 5, top + 5, half - 6, h - top - 30, TRUE);
    MoveWindow(pane_, half + 6, top + 5, half - 11, h - top - 30, TRUE);
    SendMessageW(status_, WM_SIZE, 0, 0);
    int parts[3] = {0, std::max(0, w - textWidth(status_, L"00:00:00") - 25), -1};
    SendMessageW(status_, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(parts));
    if (progress_ != nullptr) placeProgress();
}

void MainWindow::tick() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const std::wstring text = wide(MainWindowForm::clockText(now.wHour, now.wMinute, now.wSecond));
    SendMessageW(status_, SB_SETTEXTW, 2, reinterpret_cast<LPARAM>(text.c_str()));
}

LRESULT MainWindow::onSize(WPARAM, LPARAM) {
    layoutClient();
    return 0;
}

LRESULT MainWindow::onSetFocus(WPARAM, LPARAM) {
    SetFocus(tree_);  // the keys move through the installation
    return 0;
}

LRESULT MainWindow::onTimer(WPARAM timer, LPARAM) {
    if (timer == kClockTimer) tick();
    return 0;
}

LRESULT MainWindow::onCommand(WPARAM first, LPARAM second) {
    if (second != 0 && reinterpret_cast<HWND>(second) != toolbar_) return 0;  // a control's notification
    // While the window is busy only what stays enabled runs: closing, the about box, and during
    // an operation on the lines the stop command.
    if (!form_.commandRuns(LOWORD(first))) return 0;
    return dispatchCommand(first, this, second, commandMap());
}

LRESULT MainWindow::onNotify(WPARAM, LPARAM second) {
    LRESULT result = 0;
    notify(reinterpret_cast<const NMHDR*>(second), result);
    return result;
}

LRESULT MainWindow::onClose(WPARAM, LPARAM) {
    // An operation on a line is told to stop and ends within seconds; the window closes after it.
    if (operationRunning_) {
        closePending_ = true;
        cancelOperation();
        stopLineOperation();
        return 0;
    }
    if (confirmClose()) close();
    return 0;
}

LRESULT MainWindow::onDestroy(WPARAM, LPARAM) {
    KillTimer(window_, kClockTimer);
    PostQuitMessage(0);
    return 0;
}

LRESULT MainWindow::onNcDestroy(WPARAM first, LPARAM second) {
    const LRESULT result = DefWindowProcW(window_, WM_NCDESTROY, first, second);
    theWindow = nullptr;
    return result;
}

LRESULT MainWindow::onSetCursor(WPARAM first, LPARAM second) {
    if (showingWaitCursor() && LOWORD(second) == HTCLIENT) {
        SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)));  // IDC_WAIT
        return TRUE;
    }
    return DefWindowProcW(window_, WM_SETCURSOR, first, second);
}

bool MainWindow::accelerate(const MSG& message) {
    // Not TranslateAccelerator: it drops a key whose command is a grayed menu item, and the
    // grayed "&Obnova dat" shares 256 with "&Konec programu" (Ctrl+Q).
    if (accelerators_ == nullptr || (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN)) return false;
    ACCEL keys[16];
    const int count = CopyAcceleratorTableW(accelerators_, keys, 16);
    const bool control = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0, alt = GetKeyState(VK_MENU) < 0;
    for (int i = 0; i < count; ++i) {
        const ACCEL& key = keys[i];
        if ((key.fVirt & FVIRTKEY) == 0 || key.key != message.wParam) continue;
        if (((key.fVirt & FCONTROL) != 0) != control || ((key.fVirt & FSHIFT) != 0) != shift ||
            ((key.fVirt & FALT) != 0) != alt)
            continue;
        SendMessageW(window_, WM_COMMAND, MAKEWPARAM(key.cmd, 1), 0);
        return true;
    }
    return false;
}

void MainWindow::close() {
    // The window's place when restored: a minimised window's rectangle lies off the screen.
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(window_, &placement);
    const RECT& r = placement.rcNormalPosition;
    saveWindowRect({r.left, r.top, r.right, r.bottom});
    DestroyWindow(window_);
}

bool MainWindow::confirmClose() { return confirmQuit(); }

void MainWindow::notify(const NMHDR* header, LRESULT& result) {
    if (header->code == TTN_GETDISPINFOW) {
        // A toolbar button's tooltip: the string with the command's number, none without one.
        auto* info = reinterpret_cast<NMTTDISPINFOW*>(const_cast<NMHDR*>(header));
        static wchar_t tip[64];
        tip[0] = L'\0';
        LoadStringW(GetModuleHandleW(nullptr), static_cast<UINT>(info->hdr.idFrom), tip, 64);
        info->lpszText = tip;
        return;
    }
    if (header->idFrom != IDC_TREE) return;
    switch (header->code) {
        case NM_CUSTOMDRAW: {
            // The selected item stays marked while the focus is elsewhere (the pane, a dialog):
            // the technician sees what the commands act on.
            auto* draw = reinterpret_cast<NMTVCUSTOMDRAW*>(const_cast<NMHDR*>(header));
            if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) {
                result = CDRF_NOTIFYITEMDRAW;
            } else if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT && (draw->nmcd.uItemState & CDIS_SELECTED) != 0 &&
                       GetFocus() != tree_) {
                const COLORREF face = GetSysColor(COLOR_BTNFACE);
                draw->clrTextBk = RGB(GetRValue(face) * 4 / 5, GetGValue(face) * 4 / 5, GetBValue(face) * 4 / 5);
                draw->clrText = GetSysColor(COLOR_WINDOWTEXT);
                result = CDRF_NEWFONT;
            }
            break;
        }
        case TVN_SELCHANGEDW:
            if (!rebuilding_) selectionChanged();
            break;
        case NM_DBLCLK:
            if (form_.busy()) return;
            // The double click that opens a line's dialog does not also fold the line.
            noExpand_ = form_.module() == 0;
            runCommand(cmd::kProperties);
            result = noExpand_ ? 1 : 0;
            noExpand_ = false;
            break;
        case TVN_ITEMEXPANDINGW: result = noExpand_ && !rebuilding_ ? 1 : 0; break;
        default: break;
    }
}

void MainWindow::runCommand(int id) {
    if (!form_.commandRuns(id)) return;
    dispatchCommand(static_cast<std::uintptr_t>(id), this, 0, commandMap());
}

void MainWindow::setBusy(bool busy, bool stoppable) {
    if (busy == form_.busy()) return;
    form_.setBusy(busy, stoppable);
    EnableWindow(tree_, busy ? FALSE : TRUE);
    if (!busy) form_.reread();
    showCommandStates();
}

void MainWindow::showCommandStates() {
    for (const MenuItem& item : menuItems)
        EnableMenuItem(item.menu, static_cast<UINT>(item.position),
                       MF_BYPOSITION | (form_.commandEnabled(item.id) ? MF_ENABLED : MF_GRAYED));
    if (toolbar_ != nullptr) {
        const int count = static_cast<int>(SendMessageW(toolbar_, TB_BUTTONCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            TBBUTTON button{};
            SendMessageW(toolbar_, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&button));
            if ((button.fsStyle & BTNS_SEP) != 0) continue;
            SendMessageW(toolbar_, TB_ENABLEBUTTON, static_cast<WPARAM>(button.idCommand),
                         MAKELONG(form_.commandEnabled(button.idCommand) ? TRUE : FALSE, 0));
        }
    }
    // "Servis" is the fifth item of "&Nástroje".
    if (HMENU tools = GetSubMenu(GetMenu(window_), 1))
        EnableMenuItem(tools, 4, MF_BYPOSITION | (form_.servisEnabled() ? MF_ENABLED : MF_GRAYED));
    DrawMenuBar(window_);
}

void MainWindow::setOperationRunning(bool running) {
    operationRunning_ = running;
    setBusy(running, true);
    if (!running && closePending_) {
        closePending_ = false;
        PostMessageW(window_, WM_CLOSE, 0, 0);
    }
}

HTREEITEM MainWindow::findShown(unsigned key) const {
    // Items shown: roots and the children of expanded roots, in display order.
    for (HTREEITEM item = TreeView_GetRoot(tree_); item != nullptr; item = TreeView_GetNextVisible(tree_, item)) {
        TVITEMW data{};
        data.mask = TVIF_PARAM;
        data.hItem = item;
        TreeView_GetItem(tree_, &data);
        if (static_cast<unsigned>(data.lParam) == key) return item;
    }
    return nullptr;
}

void MainWindow::refreshTree(int lineIndex, int moduleNumber) {
    rebuilding_ = true;
    TreeView_DeleteAllItems(tree_);
    HTREEITEM parent = nullptr;
    for (const TreeItem& item : buildTreeItems(appState().activeOnlyFilter != 0)) {
        const std::wstring label = wide(item.label);
        TVINSERTSTRUCTW insert{};
        insert.hParent = item.moduleNumber == 0 ? TVI_ROOT : parent;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        insert.item.pszText = const_cast<wchar_t*>(label.c_str());
        insert.item.lParam = static_cast<LPARAM>(item.key);
        insert.item.iImage = insert.item.iSelectedImage = item.image;
        HTREEITEM node = TreeView_InsertItem(tree_, &insert);
        if (item.moduleNumber == 0) parent = node;
        else TreeView_Expand(tree_, parent, TVE_EXPAND);
    }
    // Selecting the item refreshes the selection, the report pane and the "Servis" menu; a key
    // that is not shown selects nothing and keeps the previous selection, unless that one is
    // gone too (removed): then nothing is selected and the pane is empty. A rebuild is no new
    // choice of the user's: the status bar keeps its verdict.
    std::wstring status(LOWORD(SendMessageW(status_, SB_GETTEXTLENGTHW, 1, 0)) + 1u, L'\0');
    SendMessageW(status_, SB_GETTEXTW, 1, reinterpret_cast<LPARAM>(status.data()));
    if (HTREEITEM selected = findShown(itemKey(lineIndex, moduleNumber))) {
        TreeView_SelectItem(tree_, selected);
        rebuilding_ = false;
        selectionChanged();
    } else if (HTREEITEM previous = findShown(itemKey(form_.line(), form_.module()))) {
        TreeView_SelectItem(tree_, previous);
        rebuilding_ = false;
    } else {
        rebuilding_ = false;
        form_.clearSelection();
        SetWindowTextW(pane_, L"");
    }
    SendMessageW(status_, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(status.c_str()));
}

void MainWindow::updateTreeItem(unsigned key, const std::optional<std::string>& label, int image) {
    HTREEITEM item = findShown(key);
    if (item == nullptr) return;
    TVITEMW data{};
    data.hItem = item;
    std::wstring text;
    if (label) {
        text = wide(*label);
        data.mask = TVIF_TEXT;
        data.pszText = text.data();
        TreeView_SetItem(tree_, &data);
    } else if (image >= 0) {
        data.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        data.iImage = data.iSelectedImage = image;
        TreeView_SetItem(tree_, &data);
    }
    TreeView_SelectItem(tree_, item);
}

void MainWindow::showReport(const std::string& text) {
    // The edit control breaks lines at CR LF only.
    std::string t;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) t += '\r';
        t += text[i];
    }
    setWindowText(pane_, t);
}

void MainWindow::setStatusText(const std::string& text) {
    const std::wstring t = wide(text);
    SendMessageW(status_, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(t.c_str()));
}

void MainWindow::showProgress(const std::string& text) {
    setStatusText(text);
    if (progress_ != nullptr) DestroyWindow(progress_);
    progressText_ = wide(text);
    progress_ = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, status_, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    placeProgress();
    SendMessageW(progress_, PBM_SETRANGE32, 0, 100);
    SendMessageW(progress_, PBM_SETSTEP, 1, 0);
}

void MainWindow::placeProgress() {
    // After its text, to the end of the message part (where the clock begins).
    RECT part{}, bar{};
    SendMessageW(status_, SB_GETRECT, 1, reinterpret_cast<LPARAM>(&part));
    GetClientRect(status_, &bar);
    const int left = std::min<int>(part.right - 20, textWidth(status_, progressText_) + 8);
    MoveWindow(progress_, left, 3, part.right - 1 - left, bar.bottom - 4, TRUE);
}

void MainWindow::setProgressRange(int count) {
    if (progress_ == nullptr) return;
    SendMessageW(progress_, PBM_SETRANGE32, 0, static_cast<LPARAM>(count & 0xFFFF));
    SendMessageW(progress_, PBM_SETPOS, 0, 0);
}

void MainWindow::stepProgress() {
    if (progress_ != nullptr) SendMessageW(progress_, PBM_STEPIT, 0, 0);
}

void MainWindow::hideProgress() {
    if (progress_ == nullptr) return;
    DestroyWindow(progress_);
    progress_ = nullptr;
    setStatusText("");
}

void MainWindow::selectionChanged() {
    setStatusText("");
    HTREEITEM item = TreeView_GetSelection(tree_);
    if (item == nullptr) return;
    TVITEMW data{};
    data.mask = TVIF_PARAM;
    data.hItem = item;
    TreeView_GetItem(tree_, &data);
    const auto key = static_cast<unsigned>(data.lParam);
    form_.select(static_cast<int>(key >> 8), static_cast<int>(key & 0xFF));
    StatusReportShow(form_.line(), form_.module());
    showCommandStates();
}

void MainWindow::cmdProperties() {
    switch (form_.propertiesFor()) {
        case MainWindowForm::Properties::None: return;
        // The sheet puts what it stores into the module's tree item itself.
        case MainWindowForm::Properties::Sheet: runPropertySheet(window_, form_.line(), form_.module()); return;
        case MainWindowForm::Properties::TcpLine: runTcpLineDialog(window_, form_.line()); return;
        case MainWindowForm::Properties::Line:
            // "Použít" saves through saveLineSettings, which also flags conflicts and rebuilds the tree.
            runLineDialog(window_, form_.line());
            StatusReportShow(form_.line(), form_.module());
            return;
    }
}

void MainWindow::cmdRefresh() { refreshLine(form_.line()); }

void MainWindow::cmdFilter(bool activeOnly) {
    setActiveOnlyFilter(activeOnly, form_.line());
    CheckMenuRadioItem(GetMenu(window_), cmd::kShowAll, cmd::kShowActive, activeOnly ? cmd::kShowActive : cmd::kShowAll,
                       MF_BYCOMMAND);
}

void MainWindow::cmdToggleToolbar() {
    AppState& s = appState();
    s.toolbarVisible = s.toolbarVisible ? 0 : 1;
    if (s.toolbarVisible) {
        createToolbar();
    } else {
        DestroyWindow(toolbar_);
        toolbar_ = nullptr;
    }
    layoutClient();
    CheckMenuItem(GetMenu(window_), cmd::kToggleToolbar, MF_BYCOMMAND | (s.toolbarVisible ? MF_CHECKED : MF_UNCHECKED));
}

void MainWindow::cmdSettings() {
    if (refusedDuringJob()) return;
    runConfigDialog(window_);
}

void MainWindow::cmdExit() {
    // As the close box: an operation on a line is stopped first, a job asked about.
    PostMessageW(window_, WM_CLOSE, 0, 0);
}

void MainWindow::cmdWhatsNew() {
    wchar_t path[MAX_PATH] = L"";
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    folder = folder.substr(0, folder.find_last_of(L"\\/"));
    showWhatsNew(utf8(folder));
}

void MainWindow::cmdAbout() { runAboutBox(window_); }

}  // namespace lumo::win32
