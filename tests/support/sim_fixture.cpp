#include "support/sim_fixture.h"

#include "comm/crc8.h"

#include <filesystem>

#include "comm/line_port.h"
#include "device/console.h"
#include "model/installation.h"
#include "platform/clock.h"

namespace lumo::test {

Wire SimTest::wire(std::size_t receivedAtLeast) const {
    const std::int64_t deadline = platform::monotonicMs() + 2000;
    Wire w = wire();
    while (w.received().size() < receivedAtLeast && platform::monotonicMs() < deadline) {
        platform::pause(20);
        w = wire();
    }
    return w;
}

void SimTest::startSim(const std::vector<std::string>& modules, const std::vector<std::string>& options,
                       std::uint8_t directionControl) {
    std::vector<std::string> args = {"--pty", "--tcp", "0", "--comports", dir.str(), "--com", "3"};
    for (const auto& m : modules) {
        args.push_back("--module");
        args.push_back(m);
    }
    args.insert(args.end(), options.begin(), options.end());
    sim = std::make_unique<SimProcess>(args, logPath());

    serialLine = {};
    serialLine.setLineNumber(1);
    serialLine.setPort(3);
    serialLine.setSpeed(1);
    serialLine.setDirectionControl(directionControl);
    tcpLine = {};
    tcpLine.setLineNumber(2);
    tcpLine.setPort(0);
    tcpLine.setIpAddress("127.0.0.1");
    tcpLine.setTcpPort(sim->tcpPort());
    tcpLine.setHeadType(11);
    LineConfigure(kSerialLine, serialLine);
    LineConfigure(kTcpLine, tcpLine);
}

void SimTest::installSerialLine() {
    std::filesystem::create_directories(dir.path() / "line1");
    ASSERT_TRUE(writeLineRecord(kSerialLine, serialLine));
}

void SimTest::addSerialModule(int k, int id, int type) {
    ModuleRecord m;
    m.setId(static_cast<std::uint8_t>(id));
    m.setType(static_cast<std::uint8_t>(type));
    ASSERT_TRUE(writeModuleRecord(kSerialLine, k, m));
}

std::string withChecksum(const std::string& data) {
    return data + "*" +
           std::string(1, static_cast<char>(crc8(reinterpret_cast<const std::uint8_t*>(data.data()), data.size())));
}

std::string visible(const std::string& bytes) { return escapeNonPrintable(bytes); }

}  // namespace lumo::test
