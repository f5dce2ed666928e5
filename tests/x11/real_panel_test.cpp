// The real lumo-hw on a real X server with a window manager, driven with xdotool as a person
// does: faults that the offscreen platform could not show.
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "base/app_state.h"
#include "model/installation.h"
#include "model/program_config.h"
#include "support/no_ports.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"
#include "x11/x_session.h"

namespace lumo {
namespace {

constexpr const char* kMainTitle = "Ovládací panel systému LUMO-line";

class RealPanel : public ::testing::Test {
protected:
    void SetUp() override {
        if (const std::string missing = test::XSession::missingTool(); !missing.empty())
            GTEST_SKIP() << missing << " is not installed (scripts/setup.sh installs it)";
        x = std::make_unique<test::XSession>();
        if (!x->ok()) GTEST_SKIP() << "the virtual X server did not start";
        // An installation of its own, written with the program's record operations.
        resetAppState();
        appState().workingDirectory = work.str();
        setDefaultConfig();
        applyConfig();
        programConfig().setWindowRect({40, 40, 640, 440});
        ASSERT_EQ(saveConfig(), 0);
        test::writeNoPorts(work.str());
    }

    void addLine(int n, const LineRecord& tmpl) {
        std::filesystem::create_directories(work.path() / ("line" + std::to_string(n)));
        LineRecord r = tmpl;
        r.setLineNumber(static_cast<std::uint8_t>(n));
        r.setDescription("linka " + std::to_string(n));
        ASSERT_TRUE(writeLineRecord(n - 1, r));
    }

    void startPanel() {
        panel = test::Child({LUMO_HW_PATH, "-C", work.str()}, x->display(), work.str() + "/panel.log");
        window = x->waitForWindow(kMainTitle, 10000);
        ASSERT_FALSE(window.empty()) << "the main window did not appear";
    }

    test::TempDir work;
    std::unique_ptr<test::XSession> x;
    test::Child panel;
    std::string window;
};

// A double click on a line opens its dialog; once it is closed, folding the line with the
// arrow key used to crash the program (the expand and collapse handlers undid each other).
TEST_F(RealPanel, FoldingALineAfterItsDialogKeepsTheProgramAlive) {
    LineRecord com;
    com.setPort(1);
    addLine(1, com);
    for (int k = 1; k <= 2; ++k) {
        ModuleRecord m;
        m.setId(static_cast<std::uint8_t>(k + 4));
        m.setType(4);
        m.setDescription("modul " + std::to_string(k + 4));
        ASSERT_TRUE(writeModuleRecord(0, k, m));
    }
    startPanel();
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // the start-up scan
    // The first row of the tree, in the window's own coordinates: below the menu bar (about
    // 20 px), the toolbar (30) and the tree's margin (5), and in from its left edge.
    x->xdotool({"mousemove", "--window", window, "70", "63", "click", "1"});
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    x->xdotool({"click", "--repeat", "2", "--delay", "60", "1"});
    const std::string dialog = x->waitForWindow("Komunikační linka", 5000);
    ASSERT_FALSE(dialog.empty()) << "the double click opened no line dialog";
    x->xdotool({"windowactivate", "--sync", dialog, "key", "Escape"});
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    x->xdotool({"windowactivate", "--sync", window});
    for (const char* key : {"Left", "Right", "Left"}) {
        x->xdotool({"key", key});
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    EXPECT_TRUE(panel.running()) << "lumo-hw ended after folding the line";
}

// Closing the window while the start-up scan is still at slow TCP lines used to leave the
// process waiting forever.
TEST_F(RealPanel, CtrlQDuringTheScanEndsTheProcessPromptly) {
    // A listener whose queue is full: every connection attempt waits its full 500 ms.
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in sin{};
    sin.sin_family = AF_INET;
    sin.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&sin), sizeof sin), 0);
    ASSERT_EQ(::listen(listener, 0), 0);
    socklen_t len = sizeof sin;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&sin), &len);
    std::vector<int> fillers;
    for (int i = 0; i < 4; ++i) {
        const int f = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        ::connect(f, reinterpret_cast<sockaddr*>(&sin), sizeof sin);
        fillers.push_back(f);
    }
    for (int n = 1; n <= 16; ++n) {
        LineRecord tcp;
        tcp.setHeadType(11);
        tcp.setIpAddress("127.0.0.1");
        tcp.setTcpPort(ntohs(sin.sin_port));
        addLine(n, tcp);
    }
    startPanel();
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    ASSERT_TRUE(panel.running());
    const auto pressed = std::chrono::steady_clock::now();
    x->xdotool({"windowactivate", "--sync", window, "key", "ctrl+q"});
    const bool ended = panel.waitEnded(2000);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - pressed);
    EXPECT_TRUE(ended) << "lumo-hw still runs " << ms.count() << " ms after Ctrl+Q";
    for (int f : fillers) ::close(f);
    ::close(listener);
}

// "Obnova" on a slow device, and the sheet closed (Alt+F4, then Escape) while it reads: the sheet
// waits for the read, then asks about the values read; Yes stores them. The program never stops
// answering and the working copy is never dropped under the read.
TEST_F(RealPanel, PropertySheetClosedDuringARead) {
    test::SimProcess sim({"--pty", "--comports", work.str(), "--com", "3", "--module", "serial 5 4 version=1.30 slow=700"},
                         work.str() + "/wire.log");
    LineRecord com;
    com.setPort(3);
    com.setSpeed(1);
    addLine(1, com);
    ModuleRecord m;
    m.setId(5);
    m.setType(4);
    m.setDescription("vrátnice");
    ASSERT_TRUE(writeModuleRecord(0, 1, m));
    startPanel();
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // the start-up scan
    // The module is the tree's second row (about 20 px below the line's). A busy machine may
    // still be scanning: the double click is tried again then.
    std::string sheet;
    for (int attempt = 0; attempt < 3 && sheet.empty(); ++attempt) {
        x->xdotool({"mousemove", "--window", window, "90", "83", "click", "1"});
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        x->xdotool({"click", "--repeat", "2", "--delay", "60", "1"});
        sheet = x->waitForWindow("TQ300 - ID 5", 5000);
    }
    ASSERT_FALSE(sheet.empty()) << "the double click opened no property sheet";
    // "Obnova" is the first of the three buttons at the bottom right; the sheet's size comes
    // from xdotool.
    const std::string geometry = x->xdotool({"getwindowgeometry", "--shell", sheet});
    const auto value = [&geometry](const std::string& key) {
        const auto at = geometry.find(key + "=");
        return std::stoi(geometry.substr(at + key.size() + 1));
    };
    const int width = value("WIDTH"), height = value("HEIGHT");
    x->xdotool({"mousemove", "--window", sheet, std::to_string(width - 225), std::to_string(height - 22), "click", "1"});
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    x->xdotool({"key", "--window", sheet, "alt+F4"});
    x->xdotool({"key", "--window", sheet, "Escape"});
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(x->waitForWindow("TQ300 - ID 5", 100).empty()) << "the sheet closed under its read";
    const std::string question = x->waitForWindow("Změna nastavení", 8000);
    ASSERT_FALSE(question.empty()) << "no question after the read";
    x->xdotool({"windowactivate", "--sync", question, "key", "Return"});
    bool closed = false;
    for (int i = 0; i < 50 && !closed; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        closed = x->waitForWindow("TQ300 - ID 5", 10).empty();
    }
    EXPECT_TRUE(closed) << "the sheet stayed open after Yes";
    EXPECT_TRUE(panel.running());
    ModuleRecord stored;
    ASSERT_TRUE(readModuleRecord(0, 1, stored));
    EXPECT_EQ(stored.identText(), "447157040005");
    EXPECT_EQ(stored.featureLevel(), 4);
}

}  // namespace
}  // namespace lumo
