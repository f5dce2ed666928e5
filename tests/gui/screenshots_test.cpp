// The pictures in docs/: the main window and every dialog, on a simulated installation. Run by
// scripts/screenshots.sh on a virtual X server with a window manager, so that the frames show
// (on the offscreen platform the windows are drawn without them).
#include <gtest/gtest.h>

#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QTabWidget>

#include <map>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "gui/gui_fixture.h"
#include "serial/serial_number.h"
#include "serial/serial_register.h"
#include "ui/command_ids.h"
#include "ui/qt/dialogs.h"
#include "ui/qt/tree_icons.h"

namespace lumo {
namespace {

using test::button;

// Saves a window as docs/NAME.png: on an X server the screen's pixels inside its frame, else
// the window's own drawing.
void shoot(QWidget* w, const std::string& name) {
    for (int i = 0; i < 10; ++i) {
        QApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
    const std::string path = std::string(LUMO_SCREENSHOT_DIR) + "/" + name + ".png";
    if (QGuiApplication::platformName() == "xcb") {
        const QRect f = w->frameGeometry();
        const std::string command = "import -window root -crop " + std::to_string(f.width()) + "x" +
                                    std::to_string(f.height()) + "+" + std::to_string(f.x()) + "+" +
                                    std::to_string(f.y()) + " '" + path + "'";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
    } else {
        EXPECT_TRUE(w->grab().save(QString::fromStdString(path)));
    }
}

using Screenshots = test::GuiTest;

TEST_F(Screenshots, MainWindowAndEveryDialog) {
    if (qgetenv("LUMO_SCREENSHOTS") != "1") GTEST_SKIP() << "scripts/screenshots.sh writes docs/*.png";
    installDemoLines();
    window->move(40, 40);
    window->resize(760, 460);
    select(0, 1);
    window->runCommand(cmd::kCheck);
    select(0, 3);
    window->runCommand(cmd::kCheck);
    select(0, 1);
    shoot(window.get(), "main_window");
    // The program's icon for the desktop, drawn as the window's own.
    for (int size : {16, 32, 48}) {
        EXPECT_TRUE(gui::programIcon().pixmap(size, size).save(
            QString(LUMO_SCREENSHOT_DIR "/../packaging/icons/lumo-panel-%1.png").arg(size)));
    }

    // Each dialog as its command opens it; `prepare` fills it as a technician would.
    struct Shot {
        const char* name;
        int line, module, command;
        std::function<void(QWidget*)> prepare;
    };
    const Shot shots[] = {
        {"config_dialog", 0, 0, cmd::kSettings, {}},
        {"about_box", 0, 0, cmd::kAbout, {}},
        {"line_dialog", 0, 0, cmd::kProperties, {}},
        {"add_line_dialog", 0, 0, cmd::kAddLine, {}},
        {"add_module_dialog", 0, 0, cmd::kAddModule, [](QWidget* w) { w->findChild<QLineEdit*>("id")->setText("12"); }},
        {"change_type_dialog", 0, 1, cmd::kChangeType, {}},
        {"change_id_dialog", 0, 1, cmd::kChangeId,
         [](QWidget* w) { w->findChild<QComboBox*>("choice")->setCurrentIndex(6); }},
        {"clock_dialog", 0, 1, cmd::kDateTime, {}},
        {"counters_dialog", 0, 1, cmd::kCounters, {}},
        {"console_dialog", 0, 1, cmd::kConsole, [](QWidget* w) { w->findChild<QLineEdit*>("line1")->setText("INF 8"); }},
        {"communication_test_dialog", 0, 1, cmd::kTest, {}},
        {"transfer_dialog", 0, 1, cmd::kFileTransfer, {}},
        {"upload_dialog", 0, 1, cmd::kUpload, {}},
        {"tcp_search_dialog", 0, 0, cmd::kTcpSearch, {}},
        {"tcp_line_dialog", 1, 0, cmd::kProperties, {}},
        {"usb_search_dialog", 0, 0, cmd::kUsbSearch, {}},
        {"serial_decode_dialog", 0, 0, cmd::kSerialDecode,
         [](QWidget* w) {
             w->findChild<QLineEdit*>("number")->setText("184259481234");
             w->findChild<QPushButton*>("decode")->click();
         }},
    };
    for (const Shot& s : shots) {
        select(s.line, s.module);
        onNextModal([&s](QWidget* w) {
            if (s.prepare) s.prepare(w);
            shoot(w, s.name);
            static_cast<QDialog*>(w)->done(0);
        });
        window->runCommand(s.command);
    }

    onNextModal([](QWidget* w) {
        shoot(w, "mac_entry_dialog");
        static_cast<QDialog*>(w)->done(0);
    });
    MacAddress mac = kFactoryMac;
    gui::runMacEntryDialog(window.get(), mac);

    std::filesystem::create_directory(dir.path() / "reg");
    std::ofstream(dir.path() / "sn.dat") << (dir.path() / "reg").string();
    std::ofstream reg(dir.path() / "reg" / "sernum_tesk.txt", std::ios::binary);
    reg << SerialEncode(3, 48, packDate(12, 3, 2024)) << ";oprava displeje;1\r\n"
        << SerialEncode(4, 48, packDate(2, 9, 2025)) << ";;0\r\n"
        << SerialEncode(5, 48, packDate(7, 1, 2026)) << ";sklad Brno;2\r\n";
    reg.close();
    onNextModal([](QWidget* w) {
        shoot(w, "register_dialog");
        static_cast<QDialog*>(w)->done(0);
    });
    RegisterChoice chosen;
    gui::runRegisterDialog(window.get(), 48, chosen);
}

TEST_F(Screenshots, EveryPageOfEveryPropertySheet) {
    if (qgetenv("LUMO_SCREENSHOTS") != "1") GTEST_SKIP() << "scripts/screenshots.sh writes docs/*.png";
    const struct {
        int id, type;
        const char* name;
        const char* description;
        bool allPages;  // MN600 shares the TQ300 sheet: its first page only
    } modules[] = {{5, 4, "tq300", "vrátnice", true},
                   {6, 3, "loq3", "sklad", true},
                   {7, 8, "zb40", "hlavní vchod", true},
                   {8, 9, "zb20", "garáž", true},
                   {10, 10, "mn600", "jídelna", false}};
    const char* settings[] = {"version=1.30 text=Vitejte", "version=2.26", "version=1.33 p5=1 p6=33", "version=1.10",
                              "version=2.00"};
    std::vector<std::string> simulated;
    for (int k = 1; k <= 5; ++k) {
        const auto& m = modules[k - 1];
        simulated.push_back("serial " + std::to_string(m.id) + " " + std::to_string(m.type) + " serial=" +
                            SerialEncode(100 + k, m.type, packDate(14, 3, 2025)) + " " + settings[k - 1]);
    }
    startSim(simulated);
    installSerialLine();
    for (int k = 1; k <= 5; ++k) {
        addSerialModule(k, modules[k - 1].id, modules[k - 1].type);
        ModuleRecord r;
        ASSERT_TRUE(readModuleRecord(0, k, r));
        r.setDescription(modules[k - 1].description);
        ASSERT_TRUE(writeModuleRecord(0, k, r));
    }
    window->refreshTree(0, 1);
    const std::map<QString, std::string> pageNames = {
        {"Obecné", "general"},   {"Parametry", "parameters"},   {"Nastaveni", "settings"},
        {"Provozní...", "operation"}, {"Subsystém 1", "subsystem1"}, {"Subsystém 2", "subsystem2"}};
    for (int k = 1; k <= 5; ++k) {
        select(0, k);
        onNextModal([&](QWidget* w) {
            w->findChild<QPushButton*>("refresh")->click();
            auto* tabs = w->findChild<QTabWidget*>("tabs");
            const int count = modules[k - 1].allPages ? tabs->count() : 1;
            for (int t = 0; t < count; ++t) {
                tabs->setCurrentIndex(t);
                shoot(w, std::string("sheet_") + modules[k - 1].name + "_" + pageNames.at(tabs->tabText(t)));
            }
            static_cast<QDialog*>(w)->done(0);
        });
        window->runCommand(cmd::kProperties);
    }
}

}  // namespace
}  // namespace lumo
