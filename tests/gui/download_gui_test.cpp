// "Download" on the offscreen platform: the image chosen, the warning passed, the job run to its
// message, and the image in the simulated device.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTreeWidget>
#include <QTest>
#include <QTextDocument>
#include <QTextBlock>
#include <QTimer>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "base/app_state.h"
#include "gui/gui_fixture.h"
#include "platform/clock.h"
#include "platform/net.h"
#include "platform/pseudo_terminal.h"
#include "service/jobs.h"
#include "ui/command_ids.h"

namespace lumo {
namespace {

class DownloadWindow : public test::GuiTest {
protected:
    // The simulator's TCP line, its converter at `ip`, shown in the tree and selected.
    void selectTcpLine(const std::string& ip = {}) {
        std::filesystem::create_directories(dir.path() / "line2");
        LineRecord line = tcpLine;
        if (!ip.empty()) line.setIpAddress(ip);
        ASSERT_TRUE(writeLineRecord(kTcpLine, line));
        window->refreshTree(kTcpLine, 0);
        select(kTcpLine, 0);
    }
};

TEST_F(DownloadWindow, ChosenImageWarnedAndLoaded) {
    startSim({"serial 7 4"}, {"--image-dir", dir.str()});
    installSerialLine();
    addSerialModule(1, 7, 4);
    window->refreshTree(0, 1);
    select(0, 1);
    const std::string image(300, 'L');
    const std::string path = dir.str() + "/firmware.bin";
    std::ofstream(path, std::ios::binary) << image;
    QString warning;
    bool versionOffered = false;
    std::string outcome;
    // The warning once the file dialog has gone.
    const auto whenTitled = [this](const char* title, std::function<void(QWidget*)> handle) {
        auto* timer = new QTimer(window.get());
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, [timer, title, handle] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr || modal->windowTitle() != QString::fromUtf8(title)) return;
            timer->stop();
            timer->deleteLater();
            handle(modal);
        });
        timer->start();
    };
    onNextModal([&](QWidget* chooser) {
        whenTitled("Download", [&](QWidget* w) {
            warning = w->windowTitle();
            auto* version = w->findChild<QCheckBox*>("version");
            versionOffered = version->isEnabled() && version->text().startsWith(QString::fromUtf8("verze HW"));
            onNextMessageBox([&](QMessageBox* box) {
                outcome = (box->windowTitle() + "|" + box->text()).toStdString();
                box->done(0);
            });
            test::button(w, "Pokračovat")->click();
        });
        // As a user does: the path typed into the name field, then Enter.
        auto* name = chooser->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        name->setText(QString::fromStdString(path));
        QTest::keyClick(name, Qt::Key_Return);
    });
    window->runCommand(cmd::kDownload);
    for (int i = 0; i < 300 && (jobActive() || outcome.empty()); ++i) QTest::qWait(50);
    JobWait();  // the worker's thread is over before the test ends
    EXPECT_EQ(warning.toStdString(), "Download");
    EXPECT_TRUE(versionOffered);  // a TQ300: the older hardware can be chosen
    EXPECT_EQ(outcome.rfind("Download|Download byl úspěšně dokončen.", 0), 0u) << outcome;
    std::ifstream in(dir.str() + "/image-7.bin", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), image);
}

// "Upload segment": a row's start and size taken into the fields and read into the file; a start
// the messages' four digits cannot carry (nine digits, beyond 32 bits too) refused with a message.
TEST_F(DownloadWindow, UploadSegmentChosenAndReadIntoTheFile) {
    startSim({"serial 7 4"});
    installSerialLine();
    addSerialModule(1, 7, 4);
    window->refreshTree(0, 1);
    select(0, 1);
    const struct {
        const char* start;  // nullptr: the row's
        const char* outcome;
        const char* request;  // nullptr: nothing sent
    } cases[] = {
        {nullptr, "Upload|Upload complete...", "UPL|yyyyyyyy|0400|0040|"},
        {"100000000", "Upload|Start a počet bytů (Bytes) mohou mít nejvýše čtyři šestnáctkové číslice (0 až FFFF). ", nullptr},
    };
    for (const auto& c : cases) {
        const std::string path = dir.str() + "/sram.bin";
        std::filesystem::remove(path);
        std::filesystem::resize_file(logPath(), 0);
        QString firstStart;
        std::string outcome;
        onNextModal([&](QWidget* w) {
            auto* run = test::button(w, "Spustit");
            firstStart = w->findChild<QLineEdit*>("start")->text();  // the first row, chosen as it opens
            auto* list = w->findChild<QTreeWidget*>("segments");
            list->setCurrentItem(list->topLevelItem(2));  // sram: its start and size in the fields
            w->findChild<QLineEdit*>("bytes")->setText("40");
            if (c.start) w->findChild<QLineEdit*>("start")->setText(c.start);
            onNextModal([&](QWidget* chooser) {
                onNextMessageBox([&](QMessageBox* box) {
                    outcome = (box->windowTitle() + "|" + box->text()).toStdString();
                    box->done(0);
                });
                auto* name = chooser->findChild<QLineEdit*>("fileNameEdit");
                ASSERT_NE(name, nullptr);
                name->setText(QString::fromStdString(path));
                QTest::keyClick(name, Qt::Key_Return);
            });
            run->click();
        });
        window->runCommand(cmd::kUpload);
        for (int i = 0; i < 200 && (jobActive() || outcome.empty()); ++i) QTest::qWait(50);
        JobWait();
        if (!c.start) {
            EXPECT_EQ(firstStart.toStdString(), "C00");
        }
        EXPECT_EQ(outcome, c.outcome);
        if (c.request) {
            EXPECT_EQ(std::filesystem::file_size(path), 0x40u);
            EXPECT_NE(wire().received().find(c.request), std::string::npos);
        } else {
            EXPECT_FALSE(std::filesystem::exists(path));
            EXPECT_EQ(wire().received().find("UPL"), std::string::npos);
        }
    }
}

TEST_F(DownloadWindow, InitialisationProposesTheNextNumberAndWritesIt) {
    startSim({"serial 7 14 service"});
    installSerialLine();
    addSerialModule(1, 7, 14);
    std::filesystem::create_directories(dir.path() / "reg");
    std::ofstream(dir.str() + "/sn.dat") << dir.str() + "/reg";
    std::ofstream(dir.str() + "/reg/sernum.txt") << "395079030041;;0\r\n";
    window->refreshTree(0, 1);
    select(0, 1);
    QString sequence, serial, firstMedium;
    onNextModal([&](QWidget* w) {
        if (w->findChild<QLineEdit*>("sequence") == nullptr) {
            ADD_FAILURE() << "not the dialog: " << w->windowTitle().toStdString() << " "
                          << (qobject_cast<QMessageBox*>(w) ? qobject_cast<QMessageBox*>(w)->text().toStdString() : "");
            static_cast<QDialog*>(w)->done(0);
            return;
        }
        sequence = w->findChild<QLineEdit*>("sequence")->text();
        firstMedium = w->findChild<QRadioButton*>("medium0")->text();
        w->findChild<QLineEdit*>("note")->setText("sklad");
        serial = w->findChild<QLineEdit*>("serial")->text();
        test::button(w, "Spustit inicializaci")->click();
    });
    window->runCommand(cmd::kInitialise);
    EXPECT_EQ(sequence.toStdString(), "42");  // the register's last + 1
    EXPECT_EQ(firstMedium.toStdString(), "Bio EM (JC500F)");  // a JC500's media
    ASSERT_EQ(serial.size(), 12);
    std::ifstream in(dir.str() + "/reg/sernum.txt", std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    EXPECT_NE(text.find(serial.toStdString() + ";sklad;0"), std::string::npos) << text;
    bool written = false;
    for (const auto& n : wire().notes) written |= n.find("serial number " + serial.toStdString()) != std::string::npos;
    EXPECT_TRUE(written);
}

TEST_F(DownloadWindow, TcpLineDialogSavesTheLineAndAnswersTheWebRequest) {
    startSim({"tcp 2 1"});
    selectTcpLine();
    QString shownIp;
    std::string web;
    onNextModal([&](QWidget* w) {
        shownIp = w->findChild<QLineEdit*>("ip")->text();
        closeNextMessage(web);
        test::button(w, "Sputit WEB rozhraní")->click();
        w->findChild<QLineEdit*>("description")->setText(QString::fromUtf8("převodník B"));
        test::button(w, "Uložit")->click();
    });
    window->runCommand(cmd::kProperties);
    EXPECT_EQ(shownIp.toStdString(), "127.0.0.1");
    EXPECT_EQ(web.rfind("Konfigurace|Služba není podporována.", 0), 0u) << web;
    LineRecord saved;
    ASSERT_TRUE(readLineRecord(kTcpLine, saved));
    EXPECT_EQ(saved.description(), "převodník B");
    EXPECT_EQ(saved.flags() & flags::kUnreachable, 0);  // it opened: the simulator's converter
}

// "Konfigurovat přes TELNET": the panel's console window talks to a simulated device server's
// port 9999; its option requests are refused and never shown; a typed line goes on Enter.
TEST_F(DownloadWindow, ConsoleWindowTalksToTheDeviceServer) {
    startSim({"tcp 2 1"});
    test::SimProcess server({"--device-server", "127.0.0.48/11/441560110048/00-4F-49-0D-00-48"}, dir.str() + "/console.log");
    selectTcpLine("127.0.0.48");
    QString greeting, answered;
    const auto waitForText = [](QPlainTextEdit* shown, const char* text) {
        for (int i = 0; i < 100 && !shown->toPlainText().contains(QString::fromUtf8(text)); ++i) QTest::qWait(30);
        return shown->toPlainText();
    };
    onNextModal([&](QWidget* dialog) {
        onNextModal([&](QWidget* console) {
            auto* shown = console->findChild<QPlainTextEdit*>("console");
            if (shown == nullptr) {  // another window came first (a message on a loaded machine)
                ADD_FAILURE() << "no console window: " << console->windowTitle().toStdString();
                static_cast<QDialog*>(console)->done(0);
                return;
            }
            greeting = waitForText(shown, "q) Quit");
            auto* typed = console->findChild<QLineEdit*>("typed");
            typed->setText("1");
            QTest::keyClick(typed, Qt::Key_Return);
            answered = waitForText(shown, "you typed: 1");
            static_cast<QDialog*>(console)->done(0);
        });
        test::button(dialog, "Konfigurovat přes TELNET")->click();
        test::button(dialog, "Zavřít")->click();
    });
    window->runCommand(cmd::kProperties);
    EXPECT_TRUE(greeting.startsWith("LUMO device server 441560110048")) << greeting.toStdString();
    EXPECT_FALSE(greeting.contains(QChar(0xFF))) << greeting.toStdString();
    EXPECT_TRUE(answered.contains("you typed: 1")) << answered.toStdString();
    platform::pause(200);
    std::string notes;
    for (const auto& n : test::readWire(dir.str() + "/console.log").notes) notes += n + "\n";
    // DO ECHO answered WONT, WILL SUPPRESS-GO-AHEAD answered DONT.
    EXPECT_NE(notes.find("telnet reply ff fc 01"), std::string::npos) << notes;
    EXPECT_NE(notes.find("telnet reply ff fe 03"), std::string::npos) << notes;
    EXPECT_NE(notes.find("127.0.0.48 line '1'"), std::string::npos) << notes;
}

// "Vyhledání TCP zařízení": an answer shows in the list as it comes, and "Zavřít" during the
// search ends it at once instead of after its quiet time.
TEST_F(DownloadWindow, SearchShowsAnswersAsTheyComeAndClosingEndsIt) {
    test::SimProcess server({"--device-server", "127.0.0.49/11/441560110049/00-4F-49-0D-00-49"}, dir.str() + "/search.log");
    appState().adapterAddress = "127.0.0.1";  // the search goes to 127.0.0.255
    QStringList shownDuringSearch;
    std::int64_t clicked = 0, ended = 0;
    onNextModal([&](QWidget* dialog) {
        auto* list = dialog->findChild<QTreeWidget*>("list");
        QTimer::singleShot(1500, dialog, [&, dialog, list] {
            for (int i = 0; i < list->topLevelItemCount(); ++i) shownDuringSearch << list->topLevelItem(i)->text(1);
            test::button(dialog, "Zavřít")->click();
        });
        clicked = platform::monotonicMs();
        test::button(dialog, "Spustit hledání")->click();
        ended = platform::monotonicMs();
    });
    window->runCommand(cmd::kTcpSearch);
    EXPECT_TRUE(shownDuringSearch.contains("441560110049")) << shownDuringSearch.join(",").toStdString();
    EXPECT_LT(ended - clicked, 4000);  // not the 10 s of quiet
}

// A console that sends without end, in lines or as one endless line: the window stays alive,
// keeps a bounded text with no line longer than it breaks them at, and the device is held back
// (it cannot have sent much more than the window has taken).
TEST_F(DownloadWindow, ConsoleWindowHoldsOffADeviceThatSendsWithoutEnd) {
    startSim({"tcp 2 1"});
    selectTcpLine("127.0.0.53");
    for (const std::string& piece : {std::string("0123456789 menu line of a console\r\n"), std::string(4096, 'X')}) {
        SCOPED_TRACE(piece.size());
        platform::TcpListener listener;
        ASSERT_EQ(listener.listenOn("127.0.0.53", 9999), 9999);
        std::atomic<bool> stop{false};
        std::atomic<long long> sent{0};
        std::thread device([&] {
            platform::TcpSocket conn;
            if (!listener.accept(conn, 5000)) return;
            const auto* bytes = reinterpret_cast<const std::uint8_t*>(piece.data());
            while (!stop && conn.send(bytes, piece.size())) sent += static_cast<long long>(piece.size());
        });
        int blocks = 0, longest = 0, ticks = 0;
        onNextModal([&](QWidget* dialog) {
            onNextModal([&](QWidget* console) {
                QTimer clock;  // the window's own events go on meanwhile
                QObject::connect(&clock, &QTimer::timeout, [&ticks] { ++ticks; });
                clock.start(100);
                QTest::qWait(2000);
                const auto* shown = console->findChild<QPlainTextEdit*>("console");
                if (shown == nullptr) {  // another window came first (a message on a loaded machine)
                    ADD_FAILURE() << "no console window: " << console->windowTitle().toStdString();
                    static_cast<QDialog*>(console)->done(0);
                    return;
                }
                const QTextDocument* text = shown->document();
                blocks = text->blockCount();
                for (QTextBlock b = text->begin(); b.isValid(); b = b.next()) longest = std::max(longest, b.length());
                static_cast<QDialog*>(console)->done(0);
            });
            test::button(dialog, "Konfigurovat přes TELNET")->click();
            test::button(dialog, "Zavřít")->click();
        });
        window->runCommand(cmd::kProperties);
        stop = true;
        device.join();
        EXPECT_LE(blocks, 3000);
        EXPECT_LE(longest, 257);
        EXPECT_GE(ticks, 15);
        EXPECT_LT(sent.load(), 64LL * 1024 * 1024) << "the device was not held back";
    }
}

}  // namespace
}  // namespace lumo
