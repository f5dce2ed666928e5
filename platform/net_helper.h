#pragma once
// The privileged network helper (lumo-net-helper): a small program of its own that holds the
// network privileges the panel and lumo-ctl are never given. Where a neighbour-table row or a raw
// ICMP socket is refused to this program, the platform layer asks the helper; what it answered
// is kept for the message the user sees.

#include <string>

namespace lumo::platform {

enum class HelperResult {
    NotAsked,     // the last request did not need the helper (or there is none on this system)
    Done,
    Missing,      // no helper program at its place
    NotAdmitted,  // the user may not run it (not a member of its group)
    Refused,      // it checked the request and refused it: `refusal` names why
    Failed,       // it could not do it (`systemError`: the system's error; EPERM: it lacks its privileges)
};

struct HelperOutcome {
    HelperResult result = HelperResult::NotAsked;
    std::string refusal;  // the helper's word: "gateway", "subnet", "own-address", ...
    int systemError = 0;
};

// What the helper answered to the calling thread's last neighbour-table write or ICMP open.
HelperOutcome lastHelperOutcome();

// Where the helper is looked for: $LUMO_NET_HELPER when set (tests, a build tree), else its
// installed place.
std::string netHelperPath();

}  // namespace lumo::platform
