#pragma once
// "Inicializace modulu" ("Spustit inicializaci"), `lumo-ctl init`, and "Reset master". Results as
// base/action_result.h says.

#include <array>
#include <string>

#include "base/action_result.h"
#include "model/device_catalog.h"

namespace lumo {

struct InitChoice {
    int day = 0, month = 0, year = 0;  // year with four digits or two
    DeviceTypeCode typeCode = 0;        // the type the serial number names
    int sequence = 0;                   // 0: the register's next free one
    int medium = 0;                     // 0-3
    std::string note;
    bool clearMemory = false;
    int reissueSequence = 0;            // a number picked from the register may be written again
};

// The whole initialisation of the selected item: the number checked against the register (under
// the type's initialisation lock, so that two workstations never issue one number), the memory
// cleared when asked, the serial number written, the record's MAC address and "cmd.dat" stored,
// the number appended to the register, the device reset. Nothing is written to the register,
// the record or "cmd.dat" when a step before fails. The number written in `serial`.
int initialiseModuleAction(int lineIndex, int moduleNumber, InitChoice& choice, std::string& serial);

// Service messages that carry no module address (the WSM and tunnel methods of the
// initialisation and the master reset, the memory clear, upload, dump and write-back) reach
// every module on the line that listens to the service channel. Where other modules are
// recorded on the line, switched on or off, the user is asked first (`caption`: the
// operation's). True when they may go.
bool unaddressedMessagesAllowed(int lineIndex, int moduleNumber, const char* caption);
// The same for the initialisation's and the master reset's messages to a module of this type:
// asked only where its write method sends them unaddressed.
bool unaddressedServiceAllowed(int lineIndex, int moduleNumber, DeviceTypeCode type);

// The dialog's "typ zařízení" list: the codes 1-17, then one code of each group of 8 from 48
// (48, 56, 64, 72, 80, 88); 23 entries.
DeviceTypeCode initListCode(int index);
int initListIndex(DeviceTypeCode code);  // -1 for a code the list does not hold
inline constexpr int kInitListSize = 23;
// The four ID medium buttons' labels for a type.
std::array<const char*, 4> initMediumLabels(DeviceTypeCode code);

}  // namespace lumo
