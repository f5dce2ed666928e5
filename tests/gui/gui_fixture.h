#pragma once
// The real main window on the offscreen platform, with the simulator behind it: a serial line
// (COM3) and a TCP line, and helpers that answer the modal windows a command opens.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidgetItemIterator>

#include <functional>
#include <memory>
#include <string>

#include "base/app_state.h"
#include "model/installation.h"
#include "model/program_config.h"
#include "support/sim_fixture.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_ui_port.h"

namespace lumo::test {

using gui::MainWindow;

class GuiTest : public test::SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        setDefaultConfig();
        applyConfig();
        appState().dataDirectory = dir.dir();
        appState().toolbarVisible = 1;
        window = std::make_unique<MainWindow>();
        gui::installQtUiPort(window.get());
        window->resize(800, 500);
        window->show();
        QApplication::processEvents();
    }
    void TearDown() override {
        window.reset();
        SimTest::TearDown();
    }

    // Answers the next modal window with `handle` (which must close it) once it is shown.
    void onNextModal(std::function<void(QWidget*)> handle) {
        auto* timer = new QTimer(window.get());  // goes with the window: never outlives a test
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, [timer, handle] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                timer->stop();
                timer->deleteLater();
                handle(modal);
            }
        });
        timer->start();
    }
    // Answers the next message box (a question asked from a dialog that stays open) with `handle`.
    void onNextMessageBox(std::function<void(QMessageBox*)> handle) {
        auto* timer = new QTimer(window.get());
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, [timer, handle] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                timer->stop();
                timer->deleteLater();
                handle(box);
            }
        });
        timer->start();
    }
    // Closes the next message box and returns its caption and text through `seen`.
    void closeNextMessage(std::string& seen) {
        onNextModal([&seen](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            seen = box ? (box->windowTitle() + "|" + box->text()).toStdString() : w->windowTitle().toStdString();
            if (box) box->done(0);
            else static_cast<QDialog*>(w)->done(0);
        });
    }

    void installDemoLines() {
        startSim({"serial 5 4", "serial 7 3 silent", "tcp 2 1"});
        std::filesystem::create_directories(dir.path() / "line1");
        std::filesystem::create_directories(dir.path() / "line2");
        std::filesystem::create_directories(dir.path() / "line3");
        serialLine.setDescription("sběrnice");
        ASSERT_TRUE(writeLineRecord(0, serialLine));
        tcpLine.setDescription("převodník");
        ASSERT_TRUE(writeLineRecord(1, tcpLine));
        LineRecord usb = serialLine;
        usb.setLineNumber(3);
        usb.setHeadType(12);
        usb.setDescription("USB");
        ASSERT_TRUE(writeLineRecord(2, usb));
        const struct {
            int line, k, id, type;
            std::uint8_t flagsByte;
        } modules[] = {{0, 1, 5, 4, 0}, {0, 2, 7, 3, 1}, {0, 3, 9, 4, 0x04}, {1, 1, 2, 1, 0}};
        for (const auto& m : modules) {
            ModuleRecord r;
            r.setId(static_cast<std::uint8_t>(m.id));
            r.setType(static_cast<std::uint8_t>(m.type));
            r.setDescription("modul " + std::to_string(m.id));
            r.setFlags(m.flagsByte);
            ASSERT_TRUE(writeModuleRecord(m.line, m.k, r));
        }
        window->refreshTree(0, 0);
    }

    QTreeWidgetItem* item(unsigned key) {
        for (QTreeWidgetItemIterator it(window->tree()); *it; ++it) {
            if ((*it)->data(0, Qt::UserRole).toUInt() == key) return *it;
        }
        return nullptr;
    }
    void select(int line, int module) {
        window->tree()->setCurrentItem(item(itemKey(line, module)));
        QApplication::processEvents();
    }

    std::unique_ptr<MainWindow> window;
};

// The push button of a window with the given text.
QPushButton* button(QWidget* w, const char* text);

}  // namespace lumo::test
