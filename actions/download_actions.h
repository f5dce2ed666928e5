#pragma once
// "Download" (firmware), "Restart TCP zařízení" and the image check. Results as
// base/action_result.h says.

#include <functional>
#include <string>
#include <array>

#include "base/action_result.h"
#include "model/device_catalog.h"

namespace lumo {

// "Download", before its dialogs: the item's record read again and its type looked up in
// DownloadTypes ("Zařízení typu %s \nneumožňuje download." when it is not there). The type
// (the module's, or the line's head device's) in `type`.
int downloadApplies(int lineIndex, int moduleNumber, DeviceTypeCode& type);

// "Download", once the image is chosen and the warning passed: the whole image is checked
// (nothing is sent for a bad one), a TCP line of a network device bound to its MAC address,
// the device restarted into its loader, and the download started as the background job; this
// returns at once. `ended` gets the outcome on the job's thread.
int startDownload(int lineIndex, int moduleNumber, const std::string& fileName, bool oldHardware,
                  std::function<void(bool)> ended);

// The download of one module in a whole-installation run, on a thread that holds its line
// (actions/line_operation's runOnHeldLine): the same checks, restart, pauses and messages as
// startDownload, the image sent here and not as the background job (the job slot stays the
// panel's). Nobody is asked: a network device binds its line record's own MAC address and is
// refused (kNoOwnMacText) without one. `inLoader` tells whether the device was restarted into
// its loader and not started again (a stopped or failed download). kActionRefused once stopped.
int downloadOnHeldLine(int lineIndex, int moduleNumber, const std::string& fileName, bool oldHardware, bool& inLoader);
inline constexpr const char* kNoOwnMacText =
    "no MAC address of its own in the line record; a download of it alone asks for it";

// True for a network device whose line record holds no MAC address of its own (none, or the
// factory's placeholder): a download started by the user would ask for it.
bool downloadAsksForMac(int lineIndex, int moduleNumber);

// The warning before a download of a device of this type, line by line.
std::array<std::string, 3> downloadWarning(DeviceTypeCode type);

// "Restart TCP zařízení": the restart datagram to the device's network interface, 'A' on tunnel
// channel 5 to start its program, the device check.
int remoteRestart(int lineIndex, int moduleNumber);

// `lumo-ctl image check`: the whole-file check and what a download would send. `segment`
// chooses the memory-image rules, else the S-record rules. The summary, or the fault in `fault`.
bool imageSummary(const std::string& fileName, bool segment, std::string& summary, std::string& fault);

}  // namespace lumo
