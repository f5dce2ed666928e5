#pragma once
// How a command works on the lines: under the line lease, off the user-interface thread.

#include <functional>

#include "comm/line_lease.h"

namespace lumo {

// Takes the line lease (refused with its one text, kActionRefused, while another operation
// holds it) and runs `operation` through uiRunWaiting with the lease bound to the thread that
// runs it: operationContinues() says there whether the user stopped it (the operation looks
// between its exchanges). An operation that starts the background job hands the lease on to
// JobStart.
int runOnLines(const std::function<int(LineLease&)>& operation);

// The same for an operation that does not hand its lease on.
int runOnLinesSimply(const std::function<int()>& operation);

// For a caller whose thread holds the line already (a whole-installation run's line group,
// actions/installation_run): `operation` runs here. On a line the thread does not hold it is
// refused as an operation meeting a held lease is (its text, kActionRefused).
int runOnHeldLine(int lineIndex, const std::function<int()>& operation);

}  // namespace lumo
