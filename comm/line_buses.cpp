#include "comm/line_buses.h"

#include <map>
#include <string>

#include "base/app_state.h"
#include "base/error_record.h"
#include "model/comports_file.h"
#include "model/installation.h"
#include "platform/net.h"

namespace lumo {
namespace {

// What a line's port is, as a key: lines with one key are one bus.
std::string portKey(const LineRecord& line) {
    if (!line.isTcp()) {
        const std::string device = comportsDevicePath(line.port(), appState().workingDirectory);
        clearError();
        return "com " + (device.empty() ? std::to_string(line.port()) : device);
    }
    platform::Ipv4 address;
    const std::string host = platform::resolveIpv4(line.ipAddress(), address) ? platform::formatIpv4(address)
                                                                              : line.ipAddress();
    return "tcp " + host + ":" + std::to_string(line.tcpPort());
}

}  // namespace

std::vector<std::vector<int>> lineGroups(LineSet lines) {
    std::vector<std::vector<int>> groups;
    std::map<std::string, std::size_t> groupOfPort;
    for (int i = 0; i < kMaxLines; ++i) {
        if ((lines & lineSetOf(i)) == 0) continue;
        LineRecord line;
        if (!readLineRecord(i, line) || !line.exists()) {
            clearError();
            continue;
        }
        const auto [at, added] = groupOfPort.emplace(portKey(line), groups.size());
        if (added) groups.emplace_back();
        groups[at->second].push_back(i);
    }
    return groups;
}

}  // namespace lumo
