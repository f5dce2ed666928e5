#pragma once
// A comports.cfg whose COM1-COM8 name no device, so that a test never reaches the machine's
// own serial ports. A test that needs a port writes its own entry after this.

#include <fstream>
#include <string>

namespace lumo::test {

inline void writeNoPorts(const std::string& workdir) {
    std::ofstream out(workdir + "/comports.cfg", std::ios::trunc);
    for (int n = 1; n <= 8; ++n) out << "COM" << n << "=/dev/lumo-test-no-port-" << n << "\n";
}

}  // namespace lumo::test
