#pragma once
// The panel's main window without a toolkit: the selected item, which commands can be used for
// it and while the window is busy, what a command's press runs, and the status bar's clock.
// A front end draws the menu, the toolbar, the tree and the status bar, and asks this form.

#include <string>

#include "ui/servis_menu.h"

namespace lumo {

class MainWindowForm {
public:
    // The tree's selection: a line (module 0) or a module. The "Servis" submenu follows the
    // selected item's record.
    void select(int lineIndex, int moduleNumber);
    // The selected item's record again (after it may have changed).
    void reread();
    void clearSelection() { hasSelection_ = false; }
    bool hasSelection() const { return hasSelection_; }
    int line() const { return line_; }
    int module() const { return module_; }

    // Busy: a dialog's operation or an operation on the lines runs (`stoppable`: one that
    // "Přerušit aktivní příkaz" stops). Everything but closing and the about box is grayed
    // meanwhile, and the stop during a stoppable one.
    void setBusy(bool busy, bool stoppable);
    bool busy() const { return busy_; }

    // Whether a command's menu item and toolbar button are enabled now.
    bool commandEnabled(int id) const;
    // Whether the "Servis" submenu itself is (by the selection; while busy its items are grayed).
    bool servisEnabled() const { return servis_.submenu; }
    // Whether a press of the command runs now.
    bool commandRuns(int id) const;

    // What "Vlastnosti" opens for the selection: a module's property sheet, a TCP converter
    // line's dialog, another line's dialog, or nothing (no selection, an unreadable record).
    enum class Properties { None, Sheet, TcpLine, Line };
    Properties propertiesFor() const;

    // The status bar's clock: "HH:MM:SS", the hour without a leading zero (" 9:05:07").
    static std::string clockText(int hour, int minute, int second);

private:
    int line_ = 0;
    int module_ = 0;
    bool hasSelection_ = true;
    bool busy_ = false;
    bool stoppable_ = false;
    ServisMenuState servis_;
};

}  // namespace lumo
