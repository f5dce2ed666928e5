#pragma once
// Static neighbour-table rows that tie a network device's IPv4 address to its MAC address on
// the chosen network adapter, and the MAC address text of the "Identifikace zařízení" dialog.

#include <optional>
#include <string>

#include "base/shared_types.h"
#include "model/records.h"

namespace lumo {

enum class MacSource { Factory = 0, FromTable = 1, AskUser = 2, Given = 3 };

// Binds the address to a MAC address: the factory MAC, the one the table holds for the address,
// one the user enters (offered `mac` first), or `mac` as given (a line record's, where nobody
// is asked). `mac` ends as the MAC bound: the operation's own
// device MAC, which it hands on (a converter's restart datagram names it). 2 on success; 0
// when the user cancelled (nothing pending) or the table could not be read (0x20040000
// pending, with the system's error); 0x20040000 when the row could not be created.
ErrorCode BindAddressToMac(const std::string& address, MacSource source, MacAddress& mac);
// The same where the MAC bound is not needed afterwards (the factory MAC offered first).
ErrorCode BindAddressToMac(const std::string& address, MacSource source);

// Creates the static row (deleting an existing row of type 1, 3 or 4 first) and waits 500 ms.
bool SetArpEntry(int existingType, const std::string& address, const MacAddress& mac);

// Deletes the row of a TCP line's address; a serial line succeeds untouched.
bool RemoveArpEntry(const LineRecord& line);

// "00-4F-49-0D-FF-FF": 17 characters, '-' between six two-digit hexadecimal groups.
std::optional<MacAddress> parseMacText(const std::string& text);
std::string formatMacText(const MacAddress& mac);

}  // namespace lumo
