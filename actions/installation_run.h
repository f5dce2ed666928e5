#pragma once
// Whole-installation runs (`lumo-ctl check --all`, `clock --all`, `params --all`,
// `download --all`): the lines at once, each
// line's modules in turn on its own bus, every module by the very action a single module gets.
// Lines that share a port are one bus and run in turn. The run holds the line lease and gives
// each line group a part of it (comm/line_lease); Ctrl-C ends every line's current module as a
// stopped single operation ends, and no further module starts.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "actions/device_actions.h"
#include "comm/line_buses.h"
#include "comm/line_lease.h"
#include "model/device_catalog.h"
#include "model/records.h"

namespace lumo {

struct RunChoice {
    LineSet lines = kEveryLine;  // the lines to run on (the installation's switched-on ones of them)
    int maxAtOnce = kMaxLines;   // how many line groups work at once
};

enum class ItemResult {
    NotDone,  // never started: the run was stopped first
    Done,
    Failed,   // the action failed or refused, or (a check) the module did not answer as recorded
    Stopped,  // stopped during its own exchange, which ended as a stopped single operation ends
    Off,      // the module or its line is switched off: not touched
    Skipped,  // passed over before anything was sent, the message says why; not done
};

struct RunItem {
    int lineIndex = 0;
    int moduleNumber = 0;
    std::uint8_t id = 0;
    DeviceTypeCode type = 0;
    ItemResult result = ItemResult::NotDone;
    // What the user was told of it, on one line: the messages of its reports, else the last
    // status text (a check's verdict).
    std::string message;
    // A download that was restarted into its loader and not started again (stopped or failed):
    // the device waits in its loader.
    bool inLoader = false;
};

// Told of every item as it starts (`started`) and as it ends; called from the lines' threads,
// never two at once.
using RunProgress = std::function<void(const RunItem& item, bool started)>;

// The runs. `items` gets every module of the chosen lines in line and record order. The result
// as base/action_result.h says: done when every item is done or switched off, failed otherwise,
// refused (with its text) while another operation holds the lines.
int checkInstallation(const RunChoice& choice, const RunProgress& progress, std::vector<RunItem>& items);
int setInstallationClocks(const RunChoice& choice, const ClockChoice& clock, const RunProgress& progress,
                          std::vector<RunItem>& items);

// The runs over the modules of one type; `items` gets only those. Parameters: each module read,
// the assignments ("NAME=VALUE", checked by the caller) made, stored and written, as `lumo-ctl
// params L/K NAME=VALUE` does. Download: the type and the image checked once before any line
// starts (refused, with its message, and no item), the warning asked once; then each module as
// a download of it alone, except that nobody is asked for a MAC address: a network device
// without its own in the line record is skipped.
int setInstallationParameters(const RunChoice& choice, DeviceTypeCode type, const std::vector<std::string>& assignments,
                              const RunProgress& progress, std::vector<RunItem>& items);
int downloadInstallation(const RunChoice& choice, DeviceTypeCode type, const std::string& fileName, bool oldHardware,
                         const RunProgress& progress, std::vector<RunItem>& items);

}  // namespace lumo
