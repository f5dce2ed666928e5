// The neighbour (ARP) table through the IP helper.
#include "platform/neighbour_table.h"

#include <cstring>
#include <vector>

#include "platform/win32/windows_api.h"

#include <iphlpapi.h>

namespace lumo::platform {

bool readNeighbourTable(std::vector<NeighbourRow>& rows) {
    rows.clear();
    ULONG size = 0;
    DWORD result = ::GetIpNetTable(nullptr, &size, FALSE);
    if (result == ERROR_NO_DATA) return true;
    std::vector<unsigned char> buffer;
    for (int attempt = 0; attempt < 4 && result == ERROR_INSUFFICIENT_BUFFER; ++attempt) {
        buffer.resize(size);
        result = ::GetIpNetTable(reinterpret_cast<MIB_IPNETTABLE*>(buffer.data()), &size, FALSE);
    }
    if (result == ERROR_NO_DATA) return true;
    if (result != NO_ERROR) {
        recordWin32(result);
        return false;
    }
    const auto* table = reinterpret_cast<const MIB_IPNETTABLE*>(buffer.data());
    for (DWORD i = 0; i < table->dwNumEntries; ++i) {
        const MIB_IPNETROW& r = table->table[i];
        NeighbourRow row;
        row.interfaceIndex = r.dwIndex;
        row.physical.assign(r.bPhysAddr, r.bPhysAddr + std::min<DWORD>(r.dwPhysAddrLen, MAXLEN_PHYSADDR));
        std::memcpy(row.address.bytes.data(), &r.dwAddr, 4);
        // The table's own types: 1 other, 2 invalid, 3 dynamic, 4 static.
        row.type = r.dwType >= 1 && r.dwType <= 4 ? static_cast<NeighbourType>(r.dwType) : NeighbourType::Other;
        rows.push_back(row);
    }
    return true;
}

namespace {
MIB_IPNETROW rowOf(std::uint32_t interfaceIndex, const Ipv4& address) {
    MIB_IPNETROW row{};
    row.dwIndex = interfaceIndex;
    std::memcpy(&row.dwAddr, address.bytes.data(), 4);
    return row;
}
}  // namespace

bool deleteNeighbour(std::uint32_t interfaceIndex, const Ipv4& address) {
    MIB_IPNETROW row = rowOf(interfaceIndex, address);
    const DWORD result = ::DeleteIpNetEntry(&row);
    if (result == NO_ERROR) return true;
    recordWin32(result);
    return false;
}

bool createStaticNeighbour(std::uint32_t interfaceIndex, const std::array<std::uint8_t, 6>& mac, const Ipv4& address) {
    MIB_IPNETROW row = rowOf(interfaceIndex, address);
    row.dwPhysAddrLen = 6;
    std::memcpy(row.bPhysAddr, mac.data(), 6);
    row.dwType = MIB_IPNET_TYPE_STATIC;
    // A row the address has already (dynamic, incomplete) is replaced.
    MIB_IPNETROW old = rowOf(interfaceIndex, address);
    ::DeleteIpNetEntry(&old);
    const DWORD result = ::CreateIpNetEntry(&row);
    if (result == NO_ERROR) return true;
    recordWin32(result);
    return false;
}

}  // namespace lumo::platform
