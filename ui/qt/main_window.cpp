#include "ui/qt/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QFileInfo>
#include <QHeaderView>
#include <QActionGroup>
#include <QMenuBar>
#include <QScreen>

#include <array>

#include "actions/config_actions.h"
#include "comm/line_lease.h"
#include "actions/device_actions.h"
#include "actions/download_actions.h"
#include "actions/usb_actions.h"
#include "actions/install_actions.h"
#include "actions/panel_actions.h"
#include "base/app_state.h"
#include "base/error_report.h"
#include "model/program_config.h"
#include "base/ui_port.h"
#include "device/status_report.h"
#include "model/installation.h"
#include "model/tree_items.h"
#include "ui/command_ids.h"
#include "ui/message_map.h"
#include "ui/qt/dialogs.h"
#include "ui/qt/qt_ui_port.h"
#include "ui/qt/tree_icons.h"
#include "ui/servis_menu.h"

namespace lumo::gui {
namespace {

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
    gui::runAddLineDialog(windowOf(w));
    return 0;
}
std::intptr_t addModuleCommand(void* w, unsigned, unsigned, std::intptr_t) {
    gui::runAddModuleDialog(windowOf(w), windowOf(w)->selectedLine());
    return 0;
}
std::intptr_t changeSetting(void* w, unsigned command, unsigned, std::intptr_t) {
    MainWindow* window = windowOf(w);
    if (!window->hasSelection()) return 0;
    const auto mode = (command & 0xFFFF) == static_cast<unsigned>(cmd::kChangeId) ? ChangeMode::IdAddress : ChangeMode::Type;
    gui::runChangeSettingDialog(window, window->selectedLine(), window->selectedModule(), mode);
    StatusReportShow(window->selectedLine(), window->selectedModule());
    return 0;
}
template <int (*Dialog)(QWidget*, int, int)>
std::intptr_t moduleDialog(void* w, unsigned, unsigned, std::intptr_t) {
    MainWindow* window = windowOf(w);
    if (window->hasSelection()) Dialog(window, window->selectedLine(), window->selectedModule());
    return 0;
}
template <bool Send>
std::intptr_t transferDialog(void* w, unsigned, unsigned, std::intptr_t) {
    MainWindow* window = windowOf(w);
    if (!window->hasSelection()) return 0;
    gui::runTransferDialog(window, window->selectedLine(), window->selectedModule(), Send);
    return 0;
}
std::intptr_t serialDecode(void* w, unsigned, unsigned, std::intptr_t) {
    gui::runSerialDecodeDialog(windowOf(w));
    return 0;
}
std::intptr_t usbSearch(void* w, unsigned, unsigned, std::intptr_t) {
    gui::runUsbSearchDialog(windowOf(w));
    return 0;
}
std::intptr_t tcpSearch(void* w, unsigned, unsigned, std::intptr_t) {
    gui::runTcpSearchDialog(windowOf(w));
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
            {cmd::kDownload, moduleDialog<gui::runDownloadDialog>},
            {cmd::kUpload, moduleDialog<gui::runUploadDialog>},
            {cmd::kInitialise, moduleDialog<gui::runInitDialog>},
            {cmd::kMemoryDump, moduleDialog<gui::runMemoryDumpDialog>},
            {cmd::kRestartTcp, onSelection<remoteRestart>},
            {cmd::kTest, moduleDialog<gui::runCommunicationTestDialog>},
            {cmd::kSettings, call<&MainWindow::cmdSettings>},
            {cmd::kAddLine, addLineCommand},
            {cmd::kToolAddLine, addLineCommand},
            {cmd::kAddModule, addModuleCommand},
            {cmd::kToolAddModule, addModuleCommand},
            {cmd::kChangeType, changeSetting},
            {cmd::kChangeId, changeSetting},
            {cmd::kSerialDecode, serialDecode},
            {cmd::kUsbSearch, usbSearch},
            {cmd::kTcpSearch, tcpSearch},
            {cmd::kUsbDriverCleanup, usbDriverCleanup},
            {cmd::kDateTime, moduleDialog<gui::runClockDialog>},
            {cmd::kCounters, moduleDialog<gui::runCountersDialog>},
            {cmd::kConsole, moduleDialog<gui::runConsoleDialog>},
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
        {{cmd::kExit, call<&MainWindow::cmdExit>}, {cmd::kAbout, call<&MainWindow::cmdAbout>}},
        DefaultKind::Window};
    return map;
}

std::intptr_t onSize(void* w, unsigned, std::uintptr_t, std::intptr_t) {
    windowOf(w)->layoutClient();
    return 0;
}
std::intptr_t onClose(void* w, unsigned, std::uintptr_t, std::intptr_t) { return windowOf(w)->confirmClose() ? 0 : 1; }
std::intptr_t onCommand(void* w, unsigned, std::uintptr_t first, std::intptr_t second) {
    return dispatchCommand(first, w, second, commandMap());
}

// The window's messages: the Qt events arrive here as their message numbers.
const MessageMap<MessageHandler>& messageMap() {
    static const MessageMap<MessageHandler> map{
        {{kSizeMessage, onSize}, {kCloseMessage, onClose}, {kCommandMessage, onCommand}}, DefaultKind::Window};
    return map;
}

std::intptr_t defaultWindowHandling(DefaultKind, void* window, unsigned message, std::uintptr_t first, std::intptr_t second) {
    // An unknown command of the main table goes to the window's own map; anything else is ignored.
    if (message == kCommandMessage && window != nullptr) {
        static thread_local int depth = 0;
        if (depth > 0) return 0;
        ++depth;
        const auto r = dispatchCommand(first, window, second,
                                       MessageMap<CommandHandler>{windowCommandMap().entries, DefaultKind::Nothing});
        --depth;
        return r;
    }
    return 0;
}

}  // namespace

MainWindow::MainWindow() {
    setWindowTitle(QString::fromUtf8("Ovládací panel systému LUMO-line"));
    setWindowIcon(programIcon());
    setObjectName("LUMO_HW");
    setDefaultHandler(defaultWindowHandling);

    client_ = new QWidget(this);
    setCentralWidget(client_);
    tree_ = new QTreeWidget(client_);
    tree_->setObjectName("tree9001");
    tree_->setHeaderHidden(true);
    tree_->setRootIsDecorated(true);
    tree_->setExpandsOnDoubleClick(false);
    tree_->setIconSize(QSize(kTreeIconSize, kTreeIconSize));
    tree_->setFrameShape(QFrame::StyledPanel);
    tree_->setFrameShadow(QFrame::Sunken);
    pane_ = new QPlainTextEdit(client_);
    pane_->setObjectName("pane103");
    pane_->setReadOnly(true);
    // One tab stop at 60 dialog units (a dialog unit is a quarter of the average character).
    pane_->setTabStopDistance(QFontMetricsF(pane_->font()).averageCharWidth() * 60 / 4);
    statusBar_ = new QStatusBar(client_);
    statusBar_->setObjectName("status501");
    statusBar_->setSizeGripEnabled(false);
    // The parts of the status bar are sunken panels: the text, and the clock kept off the edge.
    status_ = new QLabel(statusBar_);
    status_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    status_->setMargin(1);
    clock_ = new QLabel(statusBar_);
    clock_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    clock_->setAlignment(Qt::AlignCenter);
    statusBar_->setContentsMargins(2, 0, 6, 0);
    statusBar_->addWidget(status_, 1);
    statusBar_->addPermanentWidget(clock_);
    auto tick = [this] {
        const QTime now = QTime::currentTime();
        clock_->setText(QString::fromStdString(MainWindowForm::clockText(now.hour(), now.minute(), now.second())));
    };
    tick();
    connect(&clockTimer_, &QTimer::timeout, this, tick);
    clockTimer_.start(1000);

    buildMenu();
    if (appState().toolbarVisible) buildToolbar();

    connect(tree_, &QTreeWidget::itemSelectionChanged, this, &MainWindow::selectionChanged);
    connect(tree_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem*, int) {
        if (form_.busy()) return;
        // The double click that opens a line's dialog does not also fold the line: a fold
        // while it is handled is refused once. Any later fold is the user's own.
        noExpand_ = form_.module() == 0;
        runCommand(cmd::kProperties);
        noExpand_ = false;
    });
    auto refuseFold = [this](QTreeWidgetItem* item, bool expanded) {
        if (!noExpand_) return;
        const QSignalBlocker block(tree_);  // putting it back is no fold of its own
        item->setExpanded(!expanded);
    };
    connect(tree_, &QTreeWidget::itemCollapsed, this, [refuseFold](QTreeWidgetItem* item) { refuseFold(item, false); });
    connect(tree_, &QTreeWidget::itemExpanded, this, [refuseFold](QTreeWidgetItem* item) { refuseFold(item, true); });

    const WindowRect r = programConfig().windowRect();
    setGeometry(r.left, r.top, std::max(200, r.right - r.left), std::max(150, r.bottom - r.top));
    updateServisMenu();
}

QAction* MainWindow::addCommand(QMenu* menu, const QString& text, int id, bool enabled) {
    QAction* a = menu->addAction(text);
    a->setData(id);
    a->setEnabled(enabled);
    actions_.insert(id, a);
    connect(a, &QAction::triggered, this, [this, id] { runCommand(id); });
    return a;
}

void MainWindow::buildMenu() {
    QMenu* services = menuBar()->addMenu(QString::fromUtf8("&Služby"));
    addCommand(services, QString::fromUtf8("Přidat &linku"), cmd::kAddLine);
    addCommand(services, QString::fromUtf8("Přidat &modul"), cmd::kAddModule);
    addCommand(services, QString::fromUtf8("Vyhledání &TCP linky"), cmd::kTcpSearch);
    addCommand(services, QString::fromUtf8("Vyhledání &USB linky"), cmd::kUsbSearch);
    services->addSeparator();
    addCommand(services, QString::fromUtf8("&Nastavení"), cmd::kSettings);
    addCommand(services, QString::fromUtf8("&Záloha dat"), cmd::kBackup, false);
    services->addAction(QString::fromUtf8("&Obnova dat"))->setEnabled(false);  // grayed, shares 256
    services->addSeparator();
    QAction* exit = addCommand(services, QString::fromUtf8("&Konec programu"), cmd::kExit);
    exit->setShortcut(QKeySequence("Ctrl+Q"));

    QMenu* tools = menuBar()->addMenu(QString::fromUtf8("&Nástroje"));
    addCommand(tools, QString::fromUtf8("&Vlastnosti"), cmd::kProperties);
    addCommand(tools, QString::fromUtf8("O&debrat zařízení"), cmd::kRemove);
    addCommand(tools, QString::fromUtf8("&Kontrola funkce"), cmd::kCheck);
    addCommand(tools, QString::fromUtf8("Do&wnload"), cmd::kDownload);
    servis_ = tools->addMenu(QString::fromUtf8("Servis"));
    addCommand(servis_, QString::fromUtf8("I&nicializace"), cmd::kInitialise);
    addCommand(servis_, QString::fromUtf8("&Upload"), cmd::kUpload);
    addCommand(servis_, QString::fromUtf8("memory &DUMP"), cmd::kMemoryDump);
    addCommand(servis_, QString::fromUtf8("Reset a&plikace"), cmd::kResetApplication);
    addCommand(servis_, QString::fromUtf8("&Reset master"), cmd::kResetMaster);
    addCommand(servis_, QString::fromUtf8("&Testování"), cmd::kTest);
    addCommand(servis_, QString::fromUtf8("Vymazání USB driverů"), cmd::kUsbDriverCleanup);
    addCommand(servis_, QString::fromUtf8("Rozklad VC"), cmd::kSerialDecode);
    tools->addSeparator();
    addCommand(tools, QString::fromUtf8("Změna &typu"), cmd::kChangeType);
    addCommand(tools, QString::fromUtf8("Změna &ID"), cmd::kChangeId);
    addCommand(tools, QString::fromUtf8("&Restart TCP zařízení"), cmd::kRestartTcp);

    QMenu* transfer = menuBar()->addMenu(QString::fromUtf8("Přenos &dat"));
    addCommand(transfer, QString::fromUtf8("Da&tum a čas"), cmd::kDateTime);
    addCommand(transfer, QString::fromUtf8("Nastavení &počítadel"), cmd::kCounters);
    addCommand(transfer, QString::fromUtf8("&Odeslat příkaz"), cmd::kConsole);
    addCommand(transfer, QString::fromUtf8("Načtení do souboru"), cmd::kReadToFile);
    addCommand(transfer, QString::fromUtf8("Přenos souboru"), cmd::kFileTransfer);

    QMenu* view = menuBar()->addMenu(QString::fromUtf8("&Zobrazit"));
    // One of the two filters is always on: an exclusive pair with round marks.
    auto* filters = new QActionGroup(this);
    filters->setExclusive(true);
    for (QAction* a : {addCommand(view, QString::fromUtf8("&Všechno"), cmd::kShowAll),
                       addCommand(view, QString::fromUtf8("Pouze &aktivní"), cmd::kShowActive)}) {
        a->setCheckable(true);
        filters->addAction(a);
    }
    view->addSeparator();
    addCommand(view, QString::fromUtf8("&Toolbar"), cmd::kToggleToolbar)->setCheckable(true);
    action(cmd::kShowAll)->setChecked(true);
    action(cmd::kToggleToolbar)->setChecked(true);

    QMenu* help = menuBar()->addMenu(QString::fromUtf8("Ná&pověda"));
    addCommand(help, QString::fromUtf8("Co je &nového?"), cmd::kWhatsNew);
    addCommand(help, QString::fromUtf8("O &aplikaci..."), cmd::kAbout);
}

void MainWindow::buildToolbar() {
    toolbar_ = new QToolBar(client_);
    toolbar_->setObjectName("toolbar500");
    toolbar_->setIconSize(QSize(18, 17));
    struct Button {
        int image, id;
        const char* tip;
    };
    static const Button buttons[] = {
        {0, cmd::kToolAddLine, ""}, {1, cmd::kToolAddModule, "Přidat nové zařízení"},
        {2, cmd::kToolRemove, "Odstranit zařízení"}, {3, cmd::kToolProperties, "Editovat nastavení"},
        {7, cmd::kToolCheck, "Prověřit komunikaci"}, {-1, 0, nullptr},
        {4, cmd::kToolSwitch, "zapnout/vypnout zařízení"}, {5, cmd::kToolStopJob, "Přerušit aktivní příkaz"},
        {6, cmd::kToolRefresh, "Aktualizace seznamu"}, {-1, 0, nullptr}, {8, cmd::kAbout, ""},
    };
    for (const Button& b : buttons) {
        if (b.image < 0) {
            toolbar_->addSeparator();
            continue;
        }
        QAction* a = toolbar_->addAction(toolbarIcon(b.image), QString());
        a->setToolTip(QString::fromUtf8(b.tip));
        a->setData(b.id);
        const int id = b.id;
        connect(a, &QAction::triggered, this, [this, id] { runCommand(id); });
    }
    toolbar_->show();
}

void MainWindow::layoutClient() {
    const int w = client_->width(), h = client_->height();
    const int top = toolbar_ != nullptr ? 30 : 0;
    const int half = w / 2;
    if (toolbar_ != nullptr) toolbar_->setGeometry(0, 0, w, 30);
    tree_->setGeometry(5, top + 5, half - 6, h - top - 30);
    pane_->setGeometry(half + 6, top + 5, half - 11, h - top - 30);
    const int statusHeight = 22;
    statusBar_->setGeometry(0, h - statusHeight, w, statusHeight);
    clock_->setMinimumWidth(QFontMetrics(clock_->font()).horizontalAdvance("00:00:00") + 25);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    dispatchMessage(kSizeMessage, this, 0, 0, messageMap());
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // An operation on a line is told to stop and ends within seconds; the window closes after it.
    if (operationRunning_) {
        closePending_ = true;
        cancelOperation();
        stopLineOperation();
        event->ignore();
        return;
    }
    if (dispatchMessage(kCloseMessage, this, 0, 0, messageMap()) != 0) {
        event->ignore();
        return;
    }
    const QRect g = geometry();
    saveWindowRect({g.left(), g.top(), g.right() + 1, g.bottom() + 1});
    clockTimer_.stop();
    event->accept();
}

bool MainWindow::confirmClose() { return confirmQuit(); }

void MainWindow::runCommand(int id) {
    // While the window is busy only what stays enabled runs: closing, the about box, and during
    // an operation on the lines the stop command.
    if (!form_.commandRuns(id)) return;
    dispatchMessage(kCommandMessage, this, 0, static_cast<std::uintptr_t>(id), messageMap());
}

void MainWindow::setBusy(bool busy, bool stoppable) {
    if (busy == form_.busy()) return;
    form_.setBusy(busy, stoppable);
    tree_->setEnabled(!busy);
    setCursor(busy ? Qt::BusyCursor : Qt::ArrowCursor);
    if (!busy) form_.reread();
    showCommandStates();
}

// Every menu item and toolbar button as the form says.
void MainWindow::showCommandStates() {
    QList<QAction*> all = actions_.values();
    if (toolbar_ != nullptr) all += toolbar_->actions();
    for (QAction* a : all) {
        if (!a->isSeparator()) a->setEnabled(form_.commandEnabled(a->data().toInt()));
    }
    servis_->setEnabled(form_.servisEnabled());
    servis_->menuAction()->setEnabled(form_.servisEnabled());
}

void MainWindow::setOperationRunning(bool running) {
    operationRunning_ = running;
    setBusy(running, true);
    if (!running && closePending_) {
        closePending_ = false;
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

QTreeWidgetItem* MainWindow::findShown(unsigned key) const {
    // Items shown: roots and the children of expanded roots, in display order.
    for (int i = 0; i < tree_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* root = tree_->topLevelItem(i);
        if (root->data(0, Qt::UserRole).toUInt() == key) return root;
        if (!root->isExpanded()) continue;
        for (int k = 0; k < root->childCount(); ++k) {
            if (root->child(k)->data(0, Qt::UserRole).toUInt() == key) return root->child(k);
        }
    }
    return nullptr;
}

void MainWindow::refreshTree(int lineIndex, int moduleNumber) {
    QSignalBlocker block(tree_);
    tree_->clear();
    QTreeWidgetItem* parent = nullptr;
    for (const TreeItem& item : buildTreeItems(appState().activeOnlyFilter != 0)) {
        auto* node = item.moduleNumber == 0 ? new QTreeWidgetItem(tree_) : new QTreeWidgetItem(parent);
        node->setText(0, QString::fromStdString(item.label));
        node->setIcon(0, treeIcon(item.image));
        node->setData(0, Qt::UserRole, item.key);
        if (item.moduleNumber == 0) parent = node;
        else parent->setExpanded(true);
    }
    block.unblock();
    // Selecting the item refreshes the selection, the report pane and the "Servis" menu; a key
    // that is not shown selects nothing and keeps the previous selection, unless that one is
    // gone too (removed): then nothing is selected and the pane is empty. A rebuild is no new
    // choice of the user's: the status bar keeps its verdict.
    const QString status = status_->text();
    if (QTreeWidgetItem* selected = findShown(itemKey(lineIndex, moduleNumber))) {
        tree_->setCurrentItem(selected);
        selectionChanged();
    } else if (QTreeWidgetItem* previous = findShown(itemKey(form_.line(), form_.module()))) {
        QSignalBlocker keep(tree_);
        tree_->setCurrentItem(previous);
    } else {
        form_.clearSelection();
        pane_->clear();
    }
    status_->setText(status);
}

void MainWindow::updateTreeItem(unsigned key, const std::optional<std::string>& label, int image) {
    QTreeWidgetItem* item = findShown(key);
    if (item == nullptr) return;
    if (label) item->setText(0, QString::fromStdString(*label));
    else if (image >= 0) item->setIcon(0, treeIcon(image));
    tree_->setCurrentItem(item);
}

void MainWindow::showReport(const QString& text) {
    QString t = text;
    t.replace("\r\n", "\n");
    pane_->setPlainText(t);
}

void MainWindow::setStatusText(const QString& text) { status_->setText(text); }

void MainWindow::showProgress(const QString& text) {
    status_->setText(text);
    if (progress_ == nullptr) {
        progress_ = new QProgressBar(statusBar_);
        progress_->setObjectName("progress");
        progress_->setTextVisible(false);
        progress_->setMaximumHeight(statusBar_->height() - 4);
        statusBar_->insertWidget(1, progress_, 2);
    }
    progress_->setRange(0, 100);
    progress_->setValue(0);
    progress_->show();
}

void MainWindow::setProgressRange(int count) {
    if (progress_ == nullptr) return;
    progress_->setRange(0, count);
    progress_->setValue(0);
}

void MainWindow::stepProgress() {
    if (progress_ != nullptr && progress_->value() < progress_->maximum()) progress_->setValue(progress_->value() + 1);
}

void MainWindow::hideProgress() {
    delete progress_;
    progress_ = nullptr;
    status_->clear();
}

void MainWindow::selectionChanged() {
    status_->clear();
    QTreeWidgetItem* item = tree_->currentItem();
    if (item == nullptr) return;
    const unsigned key = item->data(0, Qt::UserRole).toUInt();
    form_.select(static_cast<int>(key >> 8), static_cast<int>(key & 0xFF));
    StatusReportShow(form_.line(), form_.module());
    showCommandStates();
}

void MainWindow::updateServisMenu() {
    form_.reread();
    showCommandStates();
}

void MainWindow::cmdProperties() {
    switch (form_.propertiesFor()) {
        case MainWindowForm::Properties::None: return;
        // The sheet puts what it stores into the module's tree item itself.
        case MainWindowForm::Properties::Sheet: runPropertySheet(this, form_.line(), form_.module()); return;
        case MainWindowForm::Properties::TcpLine: runTcpLineDialog(this, form_.line()); return;
        case MainWindowForm::Properties::Line:
            // "Použít" saves through saveLineSettings, which also flags conflicts and rebuilds the tree.
            runLineDialog(this, form_.line());
            StatusReportShow(form_.line(), form_.module());
            return;
    }
}

void MainWindow::cmdRefresh() { refreshLine(form_.line()); }

void MainWindow::cmdFilter(bool activeOnly) {
    setActiveOnlyFilter(activeOnly, form_.line());
    action(cmd::kShowAll)->setChecked(!activeOnly);
    action(cmd::kShowActive)->setChecked(activeOnly);
}

void MainWindow::cmdToggleToolbar() {
    AppState& s = appState();
    s.toolbarVisible = s.toolbarVisible ? 0 : 1;
    if (s.toolbarVisible) {
        buildToolbar();
    } else {
        delete toolbar_;
        toolbar_ = nullptr;
    }
    layoutClient();
    action(cmd::kToggleToolbar)->setChecked(s.toolbarVisible != 0);
}

void MainWindow::cmdSettings() {
    if (refusedDuringJob()) return;
    runConfigDialog(this);
}

void MainWindow::cmdExit() {
    if (confirmQuit()) close();
}

void MainWindow::cmdWhatsNew() { showWhatsNew(QCoreApplication::applicationDirPath().toStdString()); }

void MainWindow::cmdAbout() { runAboutBox(this); }

}  // namespace lumo::gui
