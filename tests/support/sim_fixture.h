#pragma once
// An installation with the simulator behind it: a serial line on COM3 (the simulator's
// pseudo-terminal) and a TCP line to its converter.

#include <memory>
#include <string>
#include <vector>

#include "model/records.h"
#include "support/installation_fixture.h"
#include "support/sim_process.h"

namespace lumo::test {

class SimTest : public InstallationTest {
protected:
    // Starts the simulator with these modules and options, and configures line 0 as a serial
    // line on its pseudo-terminal (COM3) and line 1 as a TCP line to its converter.
    void startSim(const std::vector<std::string>& modules, const std::vector<std::string>& options = {},
                  std::uint8_t directionControl = 0);
    // Line 1 of the installation as the serial line, and module record k on it.
    void installSerialLine();
    void addSerialModule(int k, int id, int type);
    Wire wire() const { return readWire(logPath()); }
    // The log once the simulator has written at least this many received bytes (a loaded
    // machine lets it lag behind the operation that sent them), or after 2 s as it is.
    Wire wire(std::size_t receivedAtLeast) const;
    std::string logPath() const { return dir.str() + "/wire.log"; }

    static constexpr int kSerialLine = 0;
    static constexpr int kTcpLine = 1;
    std::unique_ptr<SimProcess> sim;
    LineRecord serialLine, tcpLine;
};

// A data piece as it goes on the wire: the text, '*' and its CRC-8.
std::string withChecksum(const std::string& data);

// Bytes as text with non-printable ones as \xNN, for readable failures.
std::string visible(const std::string& bytes);

}  // namespace lumo::test
