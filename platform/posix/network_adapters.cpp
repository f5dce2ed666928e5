#include "platform/network_adapters.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <algorithm>

namespace lumo::platform {

bool listNetworkAdapters(std::vector<NetworkAdapter>& out) {
    out.clear();
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) return false;
    for (const ifaddrs* it = list; it != nullptr; it = it->ifa_next) {
        if (it->ifa_name == nullptr) continue;
        const unsigned index = ::if_nametoindex(it->ifa_name);
        auto adapter = std::find_if(out.begin(), out.end(),
                                    [&](const NetworkAdapter& a) { return a.index == index; });
        if (adapter == out.end()) {
            out.push_back(NetworkAdapter{index, it->ifa_name, {}});
            adapter = out.end() - 1;
        }
        if (it->ifa_addr != nullptr && it->ifa_addr->sa_family == AF_INET) {
            char text[INET_ADDRSTRLEN] = {};
            const auto* sin = reinterpret_cast<const sockaddr_in*>(it->ifa_addr);
            if (::inet_ntop(AF_INET, &sin->sin_addr, text, sizeof text) != nullptr)
                adapter->ipv4.emplace_back(text);
        }
    }
    ::freeifaddrs(list);
    std::sort(out.begin(), out.end(),
              [](const NetworkAdapter& a, const NetworkAdapter& b) { return a.index < b.index; });
    return true;
}

}  // namespace lumo::platform
