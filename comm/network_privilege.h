#pragma once
// What the user is told where the system refuses this program an ICMP socket or a
// neighbour-table row: read from what the privileged network helper answered (missing, the user
// not admitted, a refused request, the helper without its privileges), each with what to do.

#include <string>

namespace lumo {

// True when the last neighbour-table write failed for want of a privilege (the helper's answer
// included), not for a fault of the system.
bool neighbourWriteRefused();

// The sentences that follow "the table may not be changed" / "no ICMP echo may be sent".
std::string neighbourPrivilegeAdvice();
std::string icmpPrivilegeAdvice();

}  // namespace lumo
