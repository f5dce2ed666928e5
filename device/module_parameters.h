#pragma once
// A module's parameters: the settings of the four device families that have them, read from the
// device (CAL, INF 3, INF 6, INF 8) into the record's parameter area and written back (CFG, SET).
// The answer parsing and the command texts are pure functions; the two operations talk to the
// device through DeviceTransaction.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "comm/transaction.h"
#include "model/records.h"

namespace lumo {

enum class ParameterFamily { None, Tq300, Loq3, Zb40, Zb20 };

// TQ300TCP, TQ300 and MN600/MN700 are the TQ300 family; LOQ4 has no parameters (it only
// shares the LOQ3's version grading).
ParameterFamily parameterFamily(DeviceTypeCode type);

// The firmware feature level of a type at a version (in hundredths).
std::uint8_t featureLevelOf(DeviceTypeCode type, std::int32_t version);

// The answers, each given as received (text, '*' and checksum); only the text before the first
// '*' is read. Codes missing from an answer leave their fields as they are.
void takeCalAnswer(ModuleRecord& record, std::string_view answer);        // identText
void takeDisplayTextAnswer(ModuleRecord& record, std::string_view answer);  // INF 3: displayText
// INF 6: firmwareVersion and featureLevel from "V", deviceFlags and idMediumType from "C".
void takeVersionAnswer(ModuleRecord& record, std::string_view answer);
// INF 8: P1-P4 (and P5, P6 on a ZB40), B1-B8, D1-D4.
void takeParameterAnswer(ModuleRecord& record, std::string_view answer);

// One command of a write: the instruction, its sub-instruction and its data text.
struct ParameterCommand {
    std::string instruction;
    SubInstruction subInstruction = sub::kNone;
    std::string data;
    bool operator==(const ParameterCommand&) const = default;
};
// The commands that write the record's parameters to its device, in order (none for a type
// without a parameter model, and none for a ZB20).
std::vector<ParameterCommand> parameterCommands(const ModuleRecord& record);
// "B1O+B2F+B3F+B4O" for switches first to last of `switchBits`.
std::string switchCommandText(std::uint8_t switchBits, int first, int last);

// The time of day a sheet's "OD:" and "DO:" fields hold: the hour at the start of the text, the
// minute after its first ':' (0 without one).
ModuleRecord::TimeOfDay ParseTimeOfDay(std::string_view text);

// The CAL opening's silence: "Zařízení na adrese %02d neodpovídá ! \nZkontrolujte nastavení. ".
std::string silentDeviceText(int id);

// Reads the device of module `moduleNumber` on the line into `record` (the caller's copy; the
// status flags are also stored in "terminal.dat"). `showSilence`: a device silent to CAL is
// told in a message. True when done, and also when the line is switched off or its record
// cannot be read (nothing is read then); false after a reported failure.
bool ReadModuleParameters(bool showSilence, int lineIndex, int moduleNumber, ModuleRecord& record);

// Sends the record's parameters to its device; clears bit 0 of its status flags on success and
// sets it on failure, storing nothing. Same result as reading.
bool WriteModuleParameters(int lineIndex, ModuleRecord& record);

}  // namespace lumo
