// The pictures in docs/: the main window and every dialog, on a simulated installation. Run by
// scripts/screenshots.sh on a virtual X server with a window manager, so that the frames show
// (on the offscreen platform the windows are drawn without them).
#include <gtest/gtest.h>

#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>

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

}  // namespace
}  // namespace lumo
