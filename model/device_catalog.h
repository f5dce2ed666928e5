#pragma once
// The device type catalog: what a type code is called, what kind of device it is, and the code
// lists that switch type-dependent behaviour.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace lumo {

using DeviceTypeCode = std::uint8_t;

// The head types: what sits at the PC end of a line (the entries of LineHeadTypes).
namespace head {
inline constexpr DeviceTypeCode kGeneral = 0;        // "obecná linka": a COM port, RS485 or RS232
inline constexpr DeviceTypeCode kTcpConverter = 11;  // WI485: TCP <-> RS485/RS232
inline constexpr DeviceTypeCode kUsbConverter = 12;  // WO485: USB <-> RS485/RS232
inline constexpr DeviceTypeCode kDeskReader = 13;    // DV3x: a reader that sends what it reads
inline constexpr DeviceTypeCode kUsbReader = 16;     // YDV3x
}  // namespace head

// A list of at most 24 codes, ended by its first 0 (except LineHeadTypes, which starts with 0).
using CodeList = std::array<DeviceTypeCode, 24>;

extern const CodeList LineHeadTypes;       // what sits at the PC end of a line
extern const CodeList NetworkDeviceTypes;  // own network interface: bound in the neighbour table
extern const CodeList IcmpServiceTypes;    // service jobs open their TCP line as an ICMP tunnel
extern const CodeList DownloadTypes;       // accept a firmware download
extern const CodeList HighSegmentTypes;    // .bin segments go 0x8000 higher
extern const CodeList FlashDownloadTypes;  // S-record flash download; lines go to tunnel-header mode
extern const CodeList UsbBridgeTypes;      // behind a USB-to-serial bridge

const std::string& modelName(DeviceTypeCode code);
const std::string& kindName(DeviceTypeCode code);
// Entry i (0-4) of the add-line choices, paired with LineHeadTypes[i].
const std::string& lineHeadName(int i);

bool isInList(const CodeList& list, DeviceTypeCode code);
// The selected module's type counts; with none (0) the line's head type does.
bool isInList(const CodeList& list, DeviceTypeCode moduleType, DeviceTypeCode lineHeadType);

// True for codes that name a model: 0-17 and 48-95.
bool isKnownType(DeviceTypeCode code);

struct TypeChoice {
    std::string label;
    DeviceTypeCode code;
};
// The types a module can be given, in the order the dialogs offer them.
const std::vector<TypeChoice>& moduleTypeChoices();

// Model-table entries used for the USB bridge's product string.
const std::string& usbProductString(DeviceTypeCode code);

}  // namespace lumo
