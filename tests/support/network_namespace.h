#pragma once
// Network namespaces for tests that touch the system's network for real (root only), and the
// privileged network helper installed into them as the package installs it.

#include <functional>
#include <string>

namespace lumo::test {

// A shell command's standard output and error together.
std::string shellOutput(const std::string& command);
// True when the shell command succeeds (its output dropped).
bool shellSucceeds(const std::string& command);

// Runs `body` in a child process with a network namespace of its own whose loopback is up.
// 0 when the body passed, 1 when it failed (its failures printed), 3 when no namespace could be
// made here (the caller skips).
int inOwnNetworkNamespace(const std::function<bool()>& setUp, const std::function<void()>& body);

// Sets which groups of this network namespace may open ping sockets ("1 0": none).
bool setPingGroups(const std::string& range);

// A copy of the built helper at `path` (its folder open to everyone), root-owned, of group `gid`
// and mode `mode`, with the two capabilities the package grants; false when setcap cannot.
bool installNetHelper(const std::string& path, unsigned gid, unsigned mode);

// Drops this process to nobody, with `group` as its only supplementary group (none when 0).
bool becomeNobody(unsigned group);

}  // namespace lumo::test
