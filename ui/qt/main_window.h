#pragma once
// The main window: menu, toolbar, installation tree, report pane and status bar with clock.
// Every command goes through the command map and acts on the tree's selection.

#include <QLabel>
#include <QMainWindow>

#include "ui/main_window_form.h"
#include <QMap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <optional>
#include <string>

namespace lumo::gui {

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow();

    // The installation tree, rebuilt from the record files; selects (line, module) if shown.
    void refreshTree(int lineIndex, int moduleNumber);
    // One item among those shown: new label or image (-1: neither), then selected.
    void updateTreeItem(unsigned key, const std::optional<std::string>& label, int image);
    void showReport(const QString& text);
    void setStatusText(const QString& text);
    // The job's progress bar beside the status text: shown with a text, given its range,
    // stepped, hidden (which also empties the status text).
    void showProgress(const QString& text);
    void setProgressRange(int count);
    void stepProgress();
    void hideProgress();
    QProgressBar* progressBar() const { return progress_; }

    // Runs a command as the menu, toolbar or accelerator would.
    void runCommand(int id);
    QAction* action(int id) const { return actions_.value(id, nullptr); }
    QMenu* servisMenu() const { return servis_; }
    QTreeWidget* tree() const { return tree_; }
    QPlainTextEdit* pane() const { return pane_; }
    QToolBar* toolBar() const { return toolbar_; }
    QLabel* statusPart() const { return status_; }
    QLabel* clockPart() const { return clock_; }
    // Lays out toolbar, tree, pane and status bar over the client area.
    void layoutClient();
    // False when a background job runs and the user does not want it stopped.
    bool confirmClose();
    // While the start-up scan or an operation on a line runs, the tree and every command but
    // "Konec programu" and "O aplikaci..." are grayed.
    // Grays the commands while the scan or an operation runs; `stoppable`: an operation that the
    // stop command can end keeps that command.
    void setBusy(bool busy, bool stoppable = false);
    bool busy() const { return form_.busy(); }
    // An operation on a line runs (off this thread): the window is busy, and closing it waits
    // for the operation's end.
    void setOperationRunning(bool running);

    // The tree's selection: line index 0-15 and module record number, 0 = the line itself.
    int selectedLine() const { return form_.line(); }
    int selectedModule() const { return form_.module(); }
    // False once the selected item has gone from the tree (removed) and nothing else is chosen.
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

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenu();
    void buildToolbar();
    void selectionChanged();
    void updateServisMenu();
    void showCommandStates();
    QTreeWidgetItem* findShown(unsigned key) const;
    QAction* addCommand(QMenu* menu, const QString& text, int id, bool enabled = true);

    QWidget* client_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    QTreeWidget* tree_ = nullptr;
    QPlainTextEdit* pane_ = nullptr;
    QStatusBar* statusBar_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* clock_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QTimer clockTimer_;
    QMenu* servis_ = nullptr;
    QMap<int, QAction*> actions_;
    MainWindowForm form_;  // the selection and the commands' states
    bool noExpand_ = false;
    bool operationRunning_ = false;
    bool closePending_ = false;
};

}  // namespace lumo::gui
