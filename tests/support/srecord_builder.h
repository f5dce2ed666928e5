#pragma once
// S-record lines built by hand for the firmware tests: type 1-3, the address, the data, the
// byte count and the checksum.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace lumo::test {

inline std::string srecordLine(int type, std::uint32_t address, const std::vector<std::uint8_t>& data) {
    const int addressBytes = type + 1;
    std::vector<std::uint8_t> body = {static_cast<std::uint8_t>(data.size() + static_cast<std::size_t>(addressBytes) + 1)};
    for (int i = addressBytes - 1; i >= 0; --i) body.push_back(static_cast<std::uint8_t>(address >> (8 * i)));
    body.insert(body.end(), data.begin(), data.end());
    unsigned sum = 0;
    std::string line = "S" + std::to_string(type);
    char pair[4];
    for (auto b : body) {
        sum += b;
        std::snprintf(pair, sizeof pair, "%02X", b);
        line += pair;
    }
    std::snprintf(pair, sizeof pair, "%02X", ~sum & 0xFF);
    return line + pair;
}

}  // namespace lumo::test
