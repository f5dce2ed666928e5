#include "model/module_actions.h"

#include <charconv>

#include "app/app_state.h"
#include "app/error_report.h"
#include "app/ui_port.h"
#include "device/device_check.h"
#include "model/installation.h"
#include "model/record_file.h"

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

void warn(const char* text) { uiMessage("Varování", text, MessageIcon::Information); }

}  // namespace

ReaderOperations defaultReaderOperations(DeviceTypeCode type) {
    switch (type) {
        case 1: case 4: case 5: case 6: return {'b', '8'};
        case 3: case 17: return {'7', '`'};
        default: return {};
    }
}

int addModule(int lineIndex, DeviceTypeCode type, const std::string& idText) {
    long id = 0;
    const bool isNumber = parseSignedNumber(idText, id);

    LineRecord line;
    // A freed line slot reads fine but is no line: its modules would never be shown.
    if (!readLineRecord(lineIndex, line) || !line.exists()) {
        clearError();
        warn("Nejprve musí být vytvořena komunikační linka !  ");
        return 0;
    }
    if (!isNumber || id < 0 || id > 31) {
        warn("ID adresa musí být v rozsahu 0-31 !  ");
        return 0;
    }
    const std::string path = moduleFilePath(lineIndex + 1);
    RecordImage found;
    FindKey key{static_cast<std::uint8_t>(id), 0};
    // A free slot has ID 0, so ID 0 is always refused here.
    const int holder = findRecord(path, found, isSwitchedOnWithId, key);
    if (holder < 0) {
        reportError();
        return 0;
    }
    if (found.firstByte() == id) {
        warn("Zadanou ID již adresu používá některé zařízení ! \nZvolte jinou hodnotu. ");
        return 0;
    }
    FindKey freeKey{0, 0};
    const int target = findRecord(path, found, isSwitchedOnWithId, freeKey);
    if (target < 0) {
        reportError();
        return 0;
    }
    // The tree shows 32 records of a line; a module beyond them could never be reached.
    if (target > kMaxModulesShown) {
        warn("Maximální počet modulů na lince je obsazen ! ");
        return 0;
    }

    ModuleRecord module;
    module.setId(static_cast<std::uint8_t>(id));
    module.setType(type);
    module.setDescription("modul " + std::to_string(id));
    const ReaderOperations ops = defaultReaderOperations(type);
    module.setReader1Operation(ops.reader1);
    module.setReader2Operation(ops.reader2);
    if (!writeModuleRecord(lineIndex, target, module)) {
        combineError(err::kAddModuleWrite);
        reportError();
        return 0;
    }
    DeviceCheck(lineIndex, target);  // its outcome lands in the record; the add stands either way
    clearError();
    uiRefreshTree(lineIndex, target);
    return target;
}

int changeModuleSetting(int lineIndex, int moduleNumber, ChangeMode mode, int chosen) {
    ModuleRecord module;
    if (!readModuleRecord(lineIndex, moduleNumber, module)) {
        reportError();
        return 0;
    }
    if (mode == ChangeMode::IdAddress) {
        const std::string path = moduleFilePath(lineIndex + 1);
        RecordImage found;
        FindKey key{static_cast<std::uint8_t>(chosen), 0};
        const int holder = findRecord(path, found, isSwitchedOnWithId, key);
        if (holder < 0) {
            reportError();
            return 0;
        }
        // Nobody else holds the ID when the walk stops at this module, at the end, or at a free
        // slot: ID 0 marks a free slot, so taking it would make the module vanish.
        const bool heldByAnother = holder != moduleNumber && found.firstByte() == chosen && chosen != 0;
        if (!heldByAnother) {
            if (chosen == 0 || chosen > 30) {
                uiMessage("Konflikt", "Neplatná ID adresa ! Hodnota je vyhrazena. ", MessageIcon::Information);
                return 0;
            }
            module.setFlags(module.flags() & ~flags::kIdConflict);
        } else if (!uiAsk("Konflikt", "Zadanou ID adresu již používá některé zařízení ! \nChcete pokračovat ? ",
                          MessageIcon::Information)) {
            return 0;
        }
        module.setId(static_cast<std::uint8_t>(chosen));
    } else {
        module.setType(static_cast<DeviceTypeCode>(chosen));
    }
    if (!writeModuleRecord(lineIndex, moduleNumber, module)) {
        combineError(err::kChangeSettingWrite);
        reportError();
        return 0;
    }
    if (DeviceCheck(lineIndex, moduleNumber) != 1) {
        reportError();
        return 0;
    }
    markIdConflicts(lineIndex);
    clearError();
    uiRefreshTree(lineIndex, moduleNumber);
    return 1;
}

}  // namespace lumo
