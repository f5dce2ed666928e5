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
// Every model by its code: the one place where device type numbers are written.
namespace models {
inline constexpr DeviceTypeCode kTq300Tcp = 1;
inline constexpr DeviceTypeCode kHz128 = 2;
inline constexpr DeviceTypeCode kLoq3 = 3;
inline constexpr DeviceTypeCode kTq300 = 4;
inline constexpr DeviceTypeCode kSy128 = 5;
inline constexpr DeviceTypeCode kOx8 = 6;
inline constexpr DeviceTypeCode kTq310 = 7;
inline constexpr DeviceTypeCode kZb40 = 8;
inline constexpr DeviceTypeCode kZb20 = 9;
inline constexpr DeviceTypeCode kMn600 = 10;  // MN600/MN700
inline constexpr DeviceTypeCode kWi485 = 11;
inline constexpr DeviceTypeCode kWo485 = 12;
inline constexpr DeviceTypeCode kDv3x = 13;
inline constexpr DeviceTypeCode kJc500 = 14;
inline constexpr DeviceTypeCode kVen12 = 15;
inline constexpr DeviceTypeCode kYdv3x = 16;
inline constexpr DeviceTypeCode kLoq4 = 17;
// From 48 on, a group of eight codes per model; the first of each group.
inline constexpr DeviceTypeCode kQhJ01 = 48;
inline constexpr DeviceTypeCode kQvNw20 = 56;
inline constexpr DeviceTypeCode kQvMtr4 = 64;
inline constexpr DeviceTypeCode kPx700 = 72;  // PX700/ZB40E
inline constexpr DeviceTypeCode kQvMtr3 = 80;
inline constexpr DeviceTypeCode kFirstBusModel = kQhJ01;  // the bus models' numbers and register
}  // namespace models

namespace head {
inline constexpr DeviceTypeCode kGeneral = 0;        // "obecná linka": a COM port, RS485 or RS232
inline constexpr DeviceTypeCode kTcpConverter = models::kWi485;  // WI485: TCP <-> RS485/RS232
inline constexpr DeviceTypeCode kUsbConverter = models::kWo485;  // WO485: USB <-> RS485/RS232
inline constexpr DeviceTypeCode kDeskReader = models::kDv3x;    // DV3x: a reader that sends what it reads
inline constexpr DeviceTypeCode kUsbReader = models::kYdv3x;     // YDV3x
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
extern const CodeList HardwareVersionTypes;  // the download asks for the hardware version ("Verze")
extern const CodeList RemoteRestartTypes;    // modules restarted through their network interface
extern const CodeList NoMemoryUploadTypes;   // no memory upload or dump
extern const CodeList NoMemoryWriteTypes;    // no memory write

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
