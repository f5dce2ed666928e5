#pragma once
// "Vyhledání TCP zařízení": the search, and its "Uložit". Results as base/action_result.h says.

#include <functional>
#include <vector>

#include "base/action_result.h"
#include "discovery/tcp_search.h"

namespace lumo {

// The search through the configured adapter's broadcast address (255.255.0.0 with `wideMask`):
// the rows newest first, duplicates of IP or MAC marked. Refused (said) when the configured
// adapter is gone; a channel failure is reported. The wait runs off the user-interface thread;
// `arrived` (when given) hears of each answer as it comes, on that thread, and `continues`
// (when given) can stop the search early.
int searchTcpDevices(bool wideMask, std::vector<SearchRow>& rows, int quietMs = 10000,
                     const std::function<void(const SearchRow&)>& arrived = {},
                     const std::function<bool()>& continues = {});

// "Uložit": lines for the rows from the bottom (the first answer) to the top, each checked and
// shown in the tree; stops when all 16 lines exist or a file cannot be written. The number of
// lines made.
int saveSearchRows(const std::vector<SearchRow>& rows);

// "Nastavit IP adresu v zařízení": the device named by its MAC address (the line's, confirmed in
// the MAC entry) gets the new address through the IP-SETUP datagram, then is looked for there.
// Refused before anything is sent when the new address already answers. The line keeps its
// address (the line dialog's "Uložit" stores a new one). `deviceMac`: the MAC address the line
// dialog holds (loaded when it opened, kept as the MAC entry changes it); none: the line's.
int setDeviceAddress(int lineIndex, const std::string& newAddress, MacAddress* deviceMac = nullptr);

}  // namespace lumo
