#pragma once
// The process itself.

namespace lumo::platform {

// Ends this process when the process that started it ends (a helper never outlives its test).
void exitWithParent();

}  // namespace lumo::platform
