#include "actions/init_actions.h"

#include "actions/line_operation.h"

#include <cstdio>

#include "base/app_state.h"
#include "base/error_report.h"
#include "base/ui_port.h"
#include "device/clock_setting.h"
#include "model/installation.h"
#include "model/program_config.h"
#include "model/record_lock.h"
#include "serial/serial_number.h"
#include "serial/serial_register.h"
#include "service/initialisation.h"
#include "model/device_catalog.h"

namespace lumo {
namespace {

int reported() {
    reportError();
    return kActionFailed;
}

// Stores the device's MAC address in the selected record, under the file's lock.
bool storeMac(int lineIndex, int moduleNumber, const MacAddress& mac) {
    if (moduleNumber != 0) {
        const RecordFileLock lock(moduleFilePath(lineIndex + 1));
        ModuleRecord m;
        if (!lock.held() || !readModuleRecord(lineIndex, moduleNumber, m)) return false;
        m.setMac(mac);
        return writeModuleRecord(lineIndex, moduleNumber, m);
    }
    const RecordFileLock lock(lineConfigPath(lineIndex + 1));
    LineRecord l;
    if (!lock.held() || !readLineRecord(lineIndex, l)) return false;
    l.setMac(mac);
    return writeLineRecord(lineIndex, l);
}

// Another module than this one is recorded on the line, switched on or off: a module switched
// off in the panel is still on the bus and hears what goes there.
bool otherModulesOn(int lineIndex, int moduleNumber) {
    bool found = false;
    for (int k = 1; k <= kMaxModulesShown && !found; ++k) {
        ModuleRecord m;
        if (!readModuleRecord(lineIndex, k, m)) break;
        found = k != moduleNumber && m.used();
    }
    clearError();
    return found;
}

// The write methods whose messages name no module.
bool initMessagesUnaddressed(DeviceTypeCode type) {
    const InitMethod method = initMethodOf(type);
    return method == InitMethod::Ascii || method == InitMethod::Tunnel;
}

}  // namespace

bool unaddressedMessagesAllowed(int lineIndex, int moduleNumber, const char* caption) {
    // Service messages name no module: any module on the line that listens to the service
    // channel takes them. Asked before anything is sent.
    if (!otherModulesOn(lineIndex, moduleNumber)) return true;
    return uiAsk(caption, "Na lince " + std::to_string(lineIndex + 1) +
                              " jsou zapsány i jiné moduly. Servisní zprávy nenesou adresu modulu: převezme je "
                              "každý modul na lince, který naslouchá servisnímu kanálu. Na lince má být připojen "
                              "jen tento modul. \nPokračovat ?");
}

bool unaddressedServiceAllowed(int lineIndex, int moduleNumber, DeviceTypeCode type) {
    return !initMessagesUnaddressed(type) || unaddressedMessagesAllowed(lineIndex, moduleNumber, "Inicializace");
}

namespace {

int initialiseWaiting(int lineIndex, int moduleNumber, InitChoice& c, std::string& serial) {
    InitTarget target;
    target.lineIndex = lineIndex;
    target.moduleNumber = moduleNumber;
    if (moduleNumber != 0) {
        ModuleRecord m;
        if (!readModuleRecord(lineIndex, moduleNumber, m)) return reported();
        target.id = m.id();
        target.type = m.type();
    } else {
        LineRecord l;
        if (!readLineRecord(lineIndex, l)) return reported();
        target.type = l.headType();
    }
    // The date goes into the number: one the calendar has not is no date of manufacture.
    const int fullYear = c.year < 100 ? 2000 + c.year : c.year;
    if (!DateIsValid(packClockDate(c.day, c.month, fullYear))) {
        char text[64];
        std::snprintf(text, sizeof text, "Datum %02d.%02d.%04d neexistuje ! ", c.day, c.month, fullYear);
        uiMessage("Inicializace", text, MessageIcon::Error);
        return kActionRefused;
    }
    // The memory clear's WRM messages name no module whatever the type's write method.
    if ((initMessagesUnaddressed(target.type) || c.clearMemory) &&
        !unaddressedMessagesAllowed(lineIndex, moduleNumber, "Inicializace"))
        return kActionRefused;
    // The register of the selected module's type (a line's: 0).
    const int registerType = moduleNumber != 0 ? target.type : 0;
    const std::string registerPath = registerFilePath(registerType);
    if (registerPath.empty()) {
        reportRegisterFailure();
        return kActionFailed;
    }
    // From the check to the append no other issuer of this register runs, here or on another
    // workstation sharing it: one number is never issued twice.
    RegisterIssueLock issuing(registerType);
    if (!issuing.held()) return reported();
    if (c.sequence == 0) {
        const int last = RegisterLastSequence(registerType);
        if (last < 0) {
            reportRegisterFailure();
            return kActionFailed;
        }
        c.sequence = last + 1;
    }
    serial = SerialEncode(c.sequence, c.typeCode, packDate(c.day, c.month, c.year % 100));
    // A register that cannot be read whole, or not appended to, could not keep the number the
    // device would get: refused before the device is written.
    const int issued = RegisterContains(serial, registerType);
    if (issued < 0) {
        reportRegisterFailure();
        return kActionFailed;
    }
    if (issued == 1 && c.sequence != c.reissueSequence) {
        uiMessage("Inicializace", "Zadané číslo " + serial + " již existuje !", MessageIcon::Error);
        return kActionRefused;
    }
    // A note the register would refuse is refused before the device holds the number.
    const bool appends = c.sequence != c.reissueSequence;
    if (appends && !registerLineAcceptable(serial, c.note, c.medium)) return kActionRefused;
    if (c.clearMemory && MemoryClear(target) != 0) return kActionFailed;
    // The device's address as the initialisation leaves it: a network device's new one, the
    // factory's for the others.
    MacAddress deviceMac = kFactoryMac;
    if (InitialiseModule(target, kInitWrite, serial, &deviceMac) != 0) {
        if (currentError().code != 0) reportError();
        return kActionFailed;
    }
    if (!storeMac(lineIndex, moduleNumber, deviceMac)) reportError();
    if (loadCommandFile() != 0) clearError();
    // The field holds 49 code page 1250 characters: it cuts the text on a character.
    commandFile().setNote(target.type, c.note);
    commandFile().setIdMedium(target.type, c.medium);
    if (saveCommandFile() != 0) reportError();
    if (appends) {
        switch (registerIssueHeld(registerType, serial, c.note, c.medium)) {
            case IssueResult::Issued: break;
            case IssueResult::AlreadyIssued:  // written meanwhile by a program that does not take the issue lock
                uiMessage("Inicializace",
                          "Číslo " + serial + " bylo mezitím zapsáno do seznamu čísel jiným programem: zařízení jej nese také ! ",
                          MessageIcon::Error);
                break;
            default: uiMessage("Inicializace", "Chyba zapisu do seznamu cisel !", MessageIcon::Question);
        }
        if (c.sequence >= programConfig().reissueSequence()) programConfig().setReissueSequence(c.sequence);
    }
    if (saveConfig() != 0) reportError();
    issuing.release();
    InitialiseModule(target, kInitReset, serial, &deviceMac);
    return kActionDone;
}

}  // namespace

DeviceTypeCode initListCode(int index) {
    return static_cast<DeviceTypeCode>(index < 17 ? index + 1 : 8 * index - 88);
}

int initListIndex(DeviceTypeCode code) {
    if (code >= 1 && code <= 17) return code - 1;
    if (code >= 48 && code <= 95) return code / 8 + 11;
    return -1;
}

std::array<const char*, 4> initMediumLabels(DeviceTypeCode code) {
    switch (code) {
        case models::kJc500: return {"Bio EM (JC500F)", "EMmarin (JC500B)", "Bio MF (JC500FM)", "MIFARE (JC500M)"};
        case models::kQhJ01: return {"-", "-", "-", "-"};
        case models::kPx700: return {"PX700", "ZB40E", "ZB40F", "-"};
        default: return {"DALLAS", "EMmarin", "Wiegand", "MIFARE"};
    }
}

int initialiseModuleAction(int lineIndex, int moduleNumber, InitChoice& choice, std::string& serial) {
    return runOnLinesSimply([&] { return initialiseWaiting(lineIndex, moduleNumber, choice, serial); });
}

}  // namespace lumo
