#include "actions/install_actions.h"

#include "actions/line_operation.h"

#include <charconv>
#include <memory>

#include "actions/device_actions.h"
#include "actions/panel_actions.h"

#include "base/app_state.h"
#include "base/error_report.h"
#include "base/ui_port.h"
#include "comm/line_port.h"
#include "device/device_check.h"
#include "device/item_state.h"
#include "discovery/neighbour_binding.h"
#include "model/installation.h"
#include "model/record_file.h"
#include "model/record_lock.h"
#include "model/tree_items.h"
#include "model/device_catalog.h"
#include "model/model_errors.h"
#include "actions/action_errors.h"

namespace lumo {
namespace {

// A signed decimal number with nothing else around it but blanks.
bool parseSignedNumber(const std::string& text, long& value) {
    std::size_t begin = text.find_first_not_of(' ');
    std::size_t end = text.find_last_not_of(' ');
    if (begin == std::string::npos) return false;
    const char* first = text.data() + begin;
    const char* last = text.data() + end + 1;
    if (*first == '+') ++first;
    const auto result = std::from_chars(first, last, value);
    return result.ec == std::errc() && result.ptr == last;
}

int warn(const char* text) {
    uiMessage("Varování", text, MessageIcon::Information);
    return kActionRefused;
}

int reported() {
    reportError();
    return kActionFailed;
}

// The dialog's fields onto a line record.
void applySettings(LineRecord& line, const LineSettings& settings) {
    if (settings.port) line.setPort(*settings.port);
    if (settings.speed) line.setSpeed(*settings.speed);
    // A stored 1 (a new USB line) shows as RS485 and is saved as 2 like any RS485 line.
    const bool rs485 = settings.rs485.value_or(line.directionControl() != 0);
    line.setDirectionControl(rs485 ? 2 : 0);
    if (settings.parity) line.setParity(*settings.parity);
    if (settings.description) line.setDescription(*settings.description);
    if (settings.ipAddress) line.setIpAddress(*settings.ipAddress);
    if (settings.tcpPort) line.setTcpPort(*settings.tcpPort);
}

// Takes the line's settings, verifies them by opening the line and writes the record.
int applyLineSettings(int lineIndex, const LineSettings& settings) {
    LineRecord line;
    if (!readLineRecord(lineIndex, line)) {
        combineError(settings.tcpLineDialog ? err::kTcpLineDialogRead : err::kLineDialogRead);
        return reported();
    }
    // The port must be free for the new settings.
    if (line.flags() == 0 && line.port() != 0) LineClose(lineIndex);
    applySettings(line, settings);
    line.setFlags(line.flags() & ~flags::kLineOff);

    const bool opened = LineOpenFromRecord(lineIndex, line) == 0;
    if (!opened) {
        const char* question = line.isTcp()
                                   ? "Cílový hostitel není dostupný! \nZkontrolujte nastavení TCP. \nChcete pokračovat ?"
                                   : "Komunikační zásuvka není dostupná ! \nPatrně ji používá jiná aplikace. \nChcete pokračovat ?";
        if (!uiAsk("Inicializace", question)) {
            LineClose(lineIndex);
            return kActionRefused;
        }
        line.setFlags(line.flags() | flags::kUnreachable);
    } else {
        line.setFlags(line.flags() & ~flags::kUnreachable);
    }
    LineClose(lineIndex);
    // The settings go onto the record as it is now: read again under the lock, so that what
    // another program changed meanwhile (a status bit, the name) is not undone.
    bool saved = false;
    {
        const std::uint8_t unreachable = line.flags() & flags::kUnreachable;
        const RecordFileLock lock(lineConfigPath(lineIndex + 1));
        LineRecord current;
        if (lock.held() && readLineRecord(lineIndex, current)) {
            applySettings(current, settings);
            current.setFlags(
                static_cast<std::uint8_t>((current.flags() & ~(flags::kLineOff | flags::kUnreachable)) | unreachable));
            line = current;
            saved = writeLineRecord(lineIndex, line);
        }
    }
    // The window is told, and a failure reported, once the file is free again (the window reads
    // records to draw).
    if (!saved) {
        combineError(settings.tcpLineDialog ? err::kTcpLineDialogSave : err::kLineDialogSave);
        return reported();
    }
    uiUpdateTreeItemImage(itemKey(lineIndex, 0), lineImage(line));
    uiUpdateTreeItemLabel(itemKey(lineIndex, 0), line.description());
    return kActionDone;
}

// The actions' bodies; each runs through runOnLinesSimply: under the line lease, off the user-interface thread.

int addLineWaiting(DeviceTypeCode headType) {
    LineRecord tmpl;
    tmpl.setPort(0);
    tmpl.setHeadType(headType);
    tmpl.setMac(kFactoryMac);
    const int result = createLine(tmpl);
    if (result == -1) {
        combineError(err::kAddLineWrite);
        reportError();
    } else if (result == -2) {
        combineError(err::kAddLineTerminal);
        reportError();
    } else if (result > 0) {
        DeviceCheck(result - 1, 0);
        uiRefreshTree(result - 1, 0);
    }
    return result;
}

int saveLineSettingsWaiting(int lineIndex, const LineSettings& settings) {
    const int saved = applyLineSettings(lineIndex, settings);
    if (!actionDone(saved)) return saved;
    // Another port or switching the line on can change which modules collide.
    markIdConflicts(lineIndex);
    clearError();
    uiRefreshTree(lineIndex, 0);
    return kActionDone;
}

int addModuleWaiting(int lineIndex, DeviceTypeCode type, const std::string& idText) {
    long id = 0;
    const bool isNumber = parseSignedNumber(idText, id);

    LineRecord line;
    // A freed line slot reads fine but is no line: its modules would never be shown. A
    // "line.cfg" that is there but cannot be read is no missing line: it is named.
    if (!readLineRecord(lineIndex, line)) {
        const std::string linePath = lineConfigPath(lineIndex + 1);
        switch (readFailureOf(linePath)) {
            case ReadFailure::Missing: break;
            case ReadFailure::Busy: return reported();
            case ReadFailure::Unreadable: reportUnreadableFile(linePath); return kActionFailed;
        }
        clearError();
        return warn("Nejprve musí být vytvořena komunikační linka !  ");
    }
    if (!line.exists()) return warn("Nejprve musí být vytvořena komunikační linka !  ");
    if (!isNumber || id < 0 || id > 31) return warn("ID adresa musí být v rozsahu 0-31 !  ");
    const std::string path = moduleFilePath(lineIndex + 1);
    // From the search for the ID and the free slot to the write, the module file is locked:
    // two programs adding at once never take one slot or one ID.
    // Nothing is said to the user while the file is locked.
    auto lock = std::make_unique<RecordFileLock>(path);
    const auto refuse = [&lock](const char* text) {
        lock.reset();
        return warn(text);
    };
    const auto fail = [&lock] {
        lock.reset();
        return reported();
    };
    if (!lock->held()) {
        lock.reset();
        if (readFailureOf(path) != ReadFailure::Unreadable) return reported();
        reportUnreadableFile(path);
        return kActionFailed;
    }
    RecordImage found;
    FindKey key{static_cast<std::uint8_t>(id), 0};
    // A free slot has ID 0, so ID 0 is always refused here.
    if (findRecord(path, found, isSwitchedOnWithId, key) < 0) return fail();
    if (found.firstByte() == id) return refuse("Zadanou ID již adresu používá některé zařízení ! \nZvolte jinou hodnotu. ");
    FindKey freeKey{0, 0};
    const int target = findRecord(path, found, isSwitchedOnWithId, freeKey);
    if (target < 0) return fail();
    // The tree shows 32 records of a line; a module beyond them could never be reached.
    if (target > kMaxModulesShown) return refuse("Maximální počet modulů na lince je obsazen ! ");

    ModuleRecord module;
    module.setId(static_cast<std::uint8_t>(id));
    module.setType(type);
    module.setDescription("modul " + std::to_string(id));
    const ReaderOperations ops = defaultReaderOperations(type);
    module.setReader1Operation(ops.reader1);
    module.setReader2Operation(ops.reader2);
    if (!writeModuleRecord(lineIndex, target, module)) {
        combineError(err::kAddModuleWrite);
        return fail();
    }
    lock.reset();
    DeviceCheck(lineIndex, target);  // its outcome lands in the record; the add stands either way
    clearError();
    uiRefreshTree(lineIndex, target);
    return target;
}

// Reads the module record under the file's lock, applies the new ID or type, writes it back.
bool writeModuleChange(int lineIndex, int moduleNumber, ChangeMode mode, int chosen, bool clearConflict) {
    const RecordFileLock lock(moduleFilePath(lineIndex + 1));
    ModuleRecord module;
    if (!lock.held() || !readModuleRecord(lineIndex, moduleNumber, module)) return false;
    if (mode == ChangeMode::IdAddress) {
        if (clearConflict) module.setFlags(module.flags() & ~flags::kIdConflict);
        module.setId(static_cast<std::uint8_t>(chosen));
    } else {
        module.setType(static_cast<DeviceTypeCode>(chosen));
    }
    if (writeModuleRecord(lineIndex, moduleNumber, module)) return true;
    combineError(err::kChangeSettingWrite);
    return false;
}

int changeModuleSettingWaiting(int lineIndex, int moduleNumber, ChangeMode mode, int chosen) {
    if (!changeSettingApplies(moduleNumber)) return kActionRefused;
    ModuleRecord module;
    if (!readModuleRecord(lineIndex, moduleNumber, module)) return reported();
    // The refusals and the question come first, without a lock: the user may take his time.
    bool clearConflict = false;
    if (mode == ChangeMode::IdAddress) {
        const std::string path = moduleFilePath(lineIndex + 1);
        RecordImage found;
        FindKey key{static_cast<std::uint8_t>(chosen), 0};
        const int holder = findRecord(path, found, isSwitchedOnWithId, key);
        if (holder < 0) return reported();
        // Nobody else holds the ID when the walk stops at this module, at the end, or at a free
        // slot: ID 0 marks a free slot, so taking it would make the module vanish.
        const bool heldByAnother = holder != moduleNumber && found.firstByte() == chosen && chosen != 0;
        if (!heldByAnother) {
            if (chosen == 0 || chosen > 30) {
                uiMessage("Konflikt", "Neplatná ID adresa ! Hodnota je vyhrazena. ", MessageIcon::Information);
                return kActionRefused;
            }
            clearConflict = true;
        } else if (!uiAsk("Konflikt", "Zadanou ID adresu již používá některé zařízení ! \nChcete pokračovat ? ",
                          MessageIcon::Information)) {
            return kActionRefused;
        }
    }
    // The change goes onto the record as it is now, read again under the lock; a failure is
    // reported once the file is free again.
    if (!writeModuleChange(lineIndex, moduleNumber, mode, chosen, clearConflict)) return reported();
    // The change is stored: the tree and the conflict marks follow it, whatever the check found.
    const bool checked = DeviceCheck(lineIndex, moduleNumber) == 1;
    ErrorRecord failure = takeError();
    markIdConflicts(lineIndex);
    clearError();
    uiRefreshTree(lineIndex, moduleNumber);
    if (!checked) {
        reportError(failure);
        return kActionFailed;
    }
    return kActionDone;
}

int toggleItemWaiting(int lineIndex, int moduleNumber) {
    int result = kActionDone;
    if (!ItemEnableToggle(lineIndex, moduleNumber)) {
        result = reported();
    } else if (moduleNumber != 0) {
        LineRecord line;
        if (readLineRecord(lineIndex, line)) RemoveArpEntry(line);
        clearError();
        // Switched on again: see whether it answers (a switched-off module is not contacted).
        if (DeviceCheck(lineIndex, moduleNumber) != 1) result = reported();
    }
    uiRefreshTree(lineIndex, moduleNumber);
    return result;
}

}  // namespace

int addLine(DeviceTypeCode headType) {
    return runOnLinesSimply([&] { return addLineWaiting(headType); });
}

int saveLineSettings(int lineIndex, const LineSettings& settings) {
    return runOnLinesSimply([&] { return saveLineSettingsWaiting(lineIndex, settings); });
}

ReaderOperations defaultReaderOperations(DeviceTypeCode type) {
    switch (type) {
        case models::kTq300Tcp: case models::kTq300: case models::kSy128: case models::kOx8: return {'b', '8'};
        case models::kLoq3: case models::kLoq4: return {'7', '`'};
        default: return {};
    }
}

int addModule(int lineIndex, DeviceTypeCode type, const std::string& idText) {
    return runOnLinesSimply([&] { return addModuleWaiting(lineIndex, type, idText); });
}

bool changeSettingApplies(int moduleNumber) { return requireModule(moduleNumber, kCannotChangeLine); }

int changeModuleSetting(int lineIndex, int moduleNumber, ChangeMode mode, int chosen) {
    return runOnLinesSimply([&] { return changeModuleSettingWaiting(lineIndex, moduleNumber, mode, chosen); });
}

int removeItem(int lineIndex, int moduleNumber) {
    // A line in use is neither closed nor removed under its operation.
    const LineLease lease = takeLineLease();
    if (!lease) return kActionRefused;
    if (!uiAsk("Odebrání", "Opravdu odstarnit toto zařízení ? ")) return kActionRefused;
    clearError();  // what is reported below is this removal's own failure
    // A line's port is freed before its record goes.
    if (moduleNumber == 0) LineClose(lineIndex);
    const bool removed = removeSelected(lineIndex, moduleNumber);
    // A refusal has shown its message and left no error; a failed read or write is reported.
    const ErrorRecord failure = takeError();
    reportError(failure);
    uiRefreshTree(lineIndex, 0);
    if (removed) return kActionDone;
    return failure.empty() ? kActionRefused : kActionFailed;
}

int toggleItem(int lineIndex, int moduleNumber) {
    return runOnLinesSimply([&] { return toggleItemWaiting(lineIndex, moduleNumber); });
}

int refreshLine(int lineIndex) {
    markIdConflicts(lineIndex);
    clearError();
    uiRefreshTree(lineIndex, 0);
    return kActionDone;
}

void setActiveOnlyFilter(bool activeOnly, int lineIndex) {
    appState().activeOnlyFilter = activeOnly ? 1 : 0;
    uiRefreshTree(lineIndex, 0);
}

int createCheckedLine(const LineRecord& tmpl) {
    const int line = createLine(tmpl);
    if (line == 0) return 0;
    if (line < 0) {
        combineError(0x0d03);
        uiWaitCursor(false);
        reportError();
        return -1;
    }
    clearError();
    DeviceCheck(line - 1, 0);
    uiRefreshTree(line - 1, 0);
    return line;
}

}  // namespace lumo
