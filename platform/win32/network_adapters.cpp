#include "platform/network_adapters.h"

#include <algorithm>
#include <vector>

#include "platform/win32/windows_api.h"

#include <iphlpapi.h>

namespace lumo::platform {

bool listNetworkAdapters(std::vector<NetworkAdapter>& out) {
    out.clear();
    ULONG size = 16 * 1024;
    std::vector<unsigned char> buffer;
    ULONG result = ERROR_BUFFER_OVERFLOW;
    for (int attempt = 0; attempt < 4 && result == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer.resize(size);
        result = ::GetAdaptersAddresses(AF_INET, GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER,
                                        nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
    }
    if (result == ERROR_NO_DATA) return true;
    if (result != NO_ERROR) {
        recordWin32(result);
        return false;
    }
    for (auto* a = reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(buffer.data()); a != nullptr; a = a->Next) {
        NetworkAdapter adapter;
        adapter.index = a->IfIndex;
        adapter.description = utf8Text(a->Description);
        for (auto* u = a->FirstUnicastAddress; u != nullptr; u = u->Next) {
            if (u->Address.lpSockaddr == nullptr || u->Address.lpSockaddr->sa_family != AF_INET) continue;
            const auto* sin = reinterpret_cast<const sockaddr_in*>(u->Address.lpSockaddr);
            char text[INET_ADDRSTRLEN] = {};
            if (::inet_ntop(AF_INET, &sin->sin_addr, text, sizeof text) != nullptr) adapter.ipv4.emplace_back(text);
        }
        out.push_back(std::move(adapter));
    }
    std::sort(out.begin(), out.end(), [](const NetworkAdapter& a, const NetworkAdapter& b) { return a.index < b.index; });
    return true;
}

}  // namespace lumo::platform
