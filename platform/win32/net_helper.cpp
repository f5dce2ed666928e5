// Windows has no privileged network helper: the programs run with the user's rights, ICMP echo
// goes through the system's ICMP helper, and a neighbour-table row needs an administrator.
#include "platform/net_helper.h"

namespace lumo::platform {

HelperOutcome lastHelperOutcome() { return {}; }

std::string netHelperPath() { return {}; }

}  // namespace lumo::platform
