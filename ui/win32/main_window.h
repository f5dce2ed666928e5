#pragma once
// The main window: menu, accelerators, toolbar with tooltips, installation tree, report pane and
// status bar with its clock. Every command goes through the command map and acts on the tree's
// selection; which commands are usable is the main window form's.

#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>

#include "ui/main_window_form.h"

namespace lumo::win32 {

class MainWindow {
public:
    // Creates the window (hidden) at the configured rectangle.
    bool create(HINSTANCE instance);
    HWND handle() const { return window_; }
    // A key of the accelerator table sends its command; true when `message` was one.
    bool accelerate(const MSG& message);

    // The installation tree, rebuilt from the record files; selects (line, module) if shown.
    void refreshTree(int lineIndex, int moduleNumber);
    // One item among those shown: new label or image (-1: neither), then selected.
    void updateTreeItem(unsigned key, const std::optional<std::string>& label, int image);
    void showReport(const std::string& text);
    void setStatusText(const std::string& text);
    // The job's progress bar in the status bar's message part: shown after its text, given its
    // range, stepped, removed (which also empties the text).
    void showProgress(const std::string& text);
    void setProgressRange(int count);
    void stepProgress();
    void hideProgress();

    // Runs a command as the menu, toolbar or accelerator would.
    void runCommand(int id);
    // Grays the commands while the scan or an operation runs; `stoppable`: an operation that
    // the stop command can end keeps that command.
    void setBusy(bool busy, bool stoppable = false);
    bool busy() const { return form_.busy(); }
    // An operation on a line runs (off this thread): the window is busy, and closing it waits
    // for the operation's end.
    void setOperationRunning(bool running);

    int selectedLine() const { return form_.line(); }
    int selectedModule() const { return form_.module(); }
    bool hasSelection() const { return form_.hasSelection(); }

    // Handlers of the command table that need the window; the others call their action directly.
    void cmdProperties();
    void cmdRefresh();
    void cmdFilter(bool activeOnly);
    void cmdToggleToolbar();
    void cmdSettings();
    void cmdExit();
    void cmdWhatsNew();
    void cmdAbout();

    // The window's messages, routed by its message map.
    LRESULT onSize(WPARAM, LPARAM);
    LRESULT onSetFocus(WPARAM, LPARAM);
    LRESULT onTimer(WPARAM, LPARAM);
    LRESULT onCommand(WPARAM, LPARAM);
    LRESULT onNotify(WPARAM, LPARAM);
    LRESULT onClose(WPARAM, LPARAM);
    LRESULT onDestroy(WPARAM, LPARAM);
    LRESULT onNcDestroy(WPARAM, LPARAM);
    LRESULT onSetCursor(WPARAM, LPARAM);
    void layoutClient();
    bool confirmClose();

private:
    void createToolbar();
    void selectionChanged();
    void showCommandStates();
    void notify(const NMHDR* header, LRESULT& result);
    void tick();
    void placeProgress();
    HTREEITEM findShown(unsigned key) const;
    void close();

    HWND window_ = nullptr, toolbar_ = nullptr, tree_ = nullptr, pane_ = nullptr, status_ = nullptr;
    HWND progress_ = nullptr;
    std::wstring progressText_;
    HACCEL accelerators_ = nullptr;
    MainWindowForm form_;
    bool noExpand_ = false;
    bool operationRunning_ = false;
    bool closePending_ = false;
    bool rebuilding_ = false;
};

// The main window once it exists (null before and after): the owner of dialogs and boxes.
HWND mainWindowHandle();
MainWindow* mainWindow();

}  // namespace lumo::win32
