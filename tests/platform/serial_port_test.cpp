// Serial ports on pseudo-terminals: one program at a time, also for root; no hang-up at close.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <sys/wait.h>

#include <thread>

#include "model/installation.h"
#include "platform/clock.h"
#include "platform/pseudo_terminal.h"
#include "platform/serial_port.h"
#include "platform/system_error.h"
#include "support/ctl_runner.h"
#include "support/sim_fixture.h"

namespace lumo {
namespace {

// Two openers of one port: the second fails whoever it is (root included), in this process
// and in another one, and gets the port once the first lets it go.
TEST(SerialPortOwnership, SecondOpenerFailsForEveryUser) {
    platform::PseudoTerminal pty;
    ASSERT_TRUE(pty.open());
    platform::SerialPort first;
    ASSERT_TRUE(first.open(pty.slavePath()));
    platform::SerialPort second;
    EXPECT_FALSE(second.open(pty.slavePath()));
    EXPECT_EQ(platform::lastSystemError(), static_cast<std::uint32_t>(EBUSY));

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        platform::SerialPort other;
        ::_exit(other.open(pty.slavePath()) ? 1 : 0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "another process opened a held port";

    first.close();
    EXPECT_TRUE(second.open(pty.slavePath()));
}

// Closing must not drop DTR and RTS: the port is set up without hang-up at close.
TEST(SerialPortOwnership, NoHangUpAtClose) {
    platform::PseudoTerminal pty;
    ASSERT_TRUE(pty.open());
    const int watcher = ::open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(watcher, 0);
    termios before{};
    ASSERT_EQ(::tcgetattr(watcher, &before), 0);
    before.c_cflag |= HUPCL;
    ASSERT_EQ(::tcsetattr(watcher, TCSANOW, &before), 0);
    platform::SerialPort port;
    ASSERT_TRUE(port.open(pty.slavePath()));
    ASSERT_EQ(port.setup(19200, 0, 500), platform::SerialPort::SetupError::None);
    termios after{};
    ASSERT_EQ(::tcgetattr(watcher, &after), 0);
    EXPECT_EQ(after.c_cflag & HUPCL, 0u);
    // Parity on a pseudo-terminal: used without it (it has none); the open still works.
    EXPECT_EQ(port.setup(19200, 2, 500), platform::SerialPort::SetupError::None);
    ::close(watcher);
}

// Two lumo-ctl at once on one bus: the second cannot open the port while the first talks, so
// their frames never interleave on the wire.
class SerialPortTwoPrograms : public test::SimTest {};

TEST_F(SerialPortTwoPrograms, SecondProgramIsRefusedNotInterleaved) {
    startSim({"serial 5 4 slow=1500"});
    installSerialLine();
    addSerialModule(1, 5, 4);
    test::CtlResult results[2];
    std::thread a([&] { results[0] = test::runCtlArgs(dir.str(), {"send", "1/1", "CAL"}); });
    platform::pause(300);
    std::thread b([&] { results[1] = test::runCtlArgs(dir.str(), {"send", "1/1", "CAL"}); });
    a.join();
    b.join();
    EXPECT_EQ(results[0].status, 0) << results[0].err;
    EXPECT_EQ(results[0].out, "!447157040005V1.23*\\xd4\n");
    EXPECT_EQ(results[1].status, 1);
    EXPECT_EQ(results[1].err, "chyba při komunikaci !\nCHYBA !: Otevření portu: COM nebo TCP \n Err.code: 10010701:00000010\n");
    EXPECT_EQ(wire().received(), "&ML_05#CAL+&MLEND");
}

}  // namespace
}  // namespace lumo
