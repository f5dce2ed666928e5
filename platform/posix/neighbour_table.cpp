// The neighbour table through rtnetlink; where this program may not write it, through the
// privileged network helper.
#include "platform/neighbour_table.h"

#include <net/if.h>

#include <cerrno>
#include <cstdio>

#include "platform/posix/net_helper_client.h"
#include "platform/posix/netlink_route.h"
#include "platform/posix/posix_error.h"
#include "platform/system_error.h"

namespace lumo::platform {
namespace {

// The netlink calls record the kernel's answer as the last system error (not in errno).
bool refusedForPrivilege() { return isPermissionDenied(lastSystemError()); }

std::string adapterName(std::uint32_t interfaceIndex) {
    char name[IF_NAMESIZE] = {};
    return ::if_indextoname(interfaceIndex, name) != nullptr ? name : "";
}

std::string macText(const std::array<std::uint8_t, 6>& mac) {
    char text[24];
    std::snprintf(text, sizeof text, "%02x:%02x:%02x:%02x:%02x:%02x", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
    return text;
}

}  // namespace

bool readNeighbourTable(std::vector<NeighbourRow>& rows) {
    rows.clear();
    std::vector<netlink::Neighbour> found;
    if (!netlink::readNeighbours(found)) return false;
    for (auto& n : found) {
        NeighbourRow row;
        row.interfaceIndex = n.interfaceIndex;
        row.address = n.address;
        row.physical = std::move(n.physical);
        row.type = n.isStatic()    ? NeighbourType::Static
                   : n.isInvalid() ? NeighbourType::Invalid
                   : n.isDynamic() ? NeighbourType::Dynamic
                                   : NeighbourType::Other;
        rows.push_back(std::move(row));
    }
    return true;
}

bool deleteNeighbour(std::uint32_t interfaceIndex, const Ipv4& address) {
    clearHelperOutcome();
    if (netlink::deleteRow(interfaceIndex, address)) return true;
    if (!refusedForPrivilege()) return false;
    // Only a row of this system's is worth asking the helper for: it removes no other, and a
    // line's row is deleted at every start-up and check, where it is mostly not there (or is
    // the dynamic row the system keeps).
    std::vector<netlink::Neighbour> rows;
    bool ours = false;
    if (netlink::readNeighbours(rows)) {
        for (const auto& row : rows)
            ours = ours || (row.interfaceIndex == interfaceIndex && row.address == address &&
                            row.protocol == netlink::kRowMark);
    }
    if (!ours) {
        recordErrno(ENOENT);
        return false;
    }
    return askNetHelper({"neigh-del", adapterName(interfaceIndex), formatIpv4(address)}) == HelperResult::Done;
}

bool createStaticNeighbour(std::uint32_t interfaceIndex, const std::array<std::uint8_t, 6>& mac, const Ipv4& address) {
    clearHelperOutcome();
    if (netlink::replaceWithStaticRow(interfaceIndex, mac, address, netlink::kRowMark)) return true;
    if (!refusedForPrivilege()) return false;
    return askNetHelper({"neigh-add", adapterName(interfaceIndex), formatIpv4(address), macText(mac)}) ==
           HelperResult::Done;
}

}  // namespace lumo::platform
