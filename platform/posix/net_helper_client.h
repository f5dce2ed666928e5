#pragma once
// Inside the POSIX platform layer: one request to the privileged network helper.

#include <string>
#include <vector>

#include "platform/net_helper.h"

namespace lumo::platform {

// Runs the helper with `arguments` (its request) and waits for its one-line answer on the Unix
// socket that is its standard output; a descriptor it hands over goes to `received`. Records the
// outcome for lastHelperOutcome() and returns it.
HelperResult askNetHelper(const std::vector<std::string>& arguments, int* received = nullptr);

// Marks the calling thread's next request as not (yet) asked of the helper.
void clearHelperOutcome();

}  // namespace lumo::platform
