#include "model/installation.h"

#include <cstdio>

#include "base/app_state.h"
#include "base/error_report.h"
#include "base/ui_port.h"
#include "model/record_file.h"
#include "platform/file_io.h"

namespace lumo {

std::string lineFolderPath(int lineNumber) {
    return appState().dataDirectory + "line" + std::to_string(lineNumber);
}

std::string lineConfigPath(int lineNumber) {
    return lineFolderPath(lineNumber) + platform::pathSeparator() + "line.cfg";
}

std::string moduleFilePath(int lineNumber) {
    return lineFolderPath(lineNumber) + platform::pathSeparator() + "terminal.dat";
}

bool readLineRecord(int lineIndex, LineRecord& record) {
    return readRecord(lineConfigPath(lineIndex + 1), record, 0);
}

bool writeLineRecord(int lineIndex, const LineRecord& record) {
    return writeRecord(lineConfigPath(lineIndex + 1), record, 0);
}

bool readModuleRecord(int lineIndex, int moduleNumber, ModuleRecord& record) {
    return readRecord(moduleFilePath(lineIndex + 1), record, recordOffset(moduleNumber));
}

bool writeModuleRecord(int lineIndex, int moduleNumber, const ModuleRecord& record) {
    return writeRecord(moduleFilePath(lineIndex + 1), record, recordOffset(moduleNumber));
}

int createLine(const LineRecord& tmpl) {
    int firstFree = 0;
    int stoppedAt = 0;
    int sameAddress = 0;
    const std::string_view tmplIp = tmpl.rawIpAddress();
    for (int n = 1; n <= kMaxLines; ++n) {
        LineRecord existing;
        if (!readLineRecord(n - 1, existing)) {
            clearError();
            stoppedAt = n;
            break;
        }
        if (!existing.exists()) {
            if (firstFree == 0) firstFree = n;
        } else if (sameAddress == 0 && !tmplIp.empty() && existing.rawIpAddress() == tmplIp) {
            // Whole addresses are compared: 10.0.0.5 must not match 10.0.0.55.
            sameAddress = n;
        }
    }
    int target = firstFree != 0 ? firstFree : stoppedAt != 0 ? stoppedAt : kMaxLines + 1;
    if (tmpl.headType() == head::kTcpConverter && !tmplIp.empty() && sameAddress != 0) target = sameAddress;
    if (target > kMaxLines) {
        uiMessage("Varování", "Maximální počet komunikačních linek je obsazen ! ", MessageIcon::Information);
        return 0;
    }

    LineRecord line;
    line.setLineNumber(static_cast<std::uint8_t>(target));
    line.setRecordKind(0);
    line.setDirectionControl(tmpl.headType() == head::kUsbConverter ? 1 : 0);
    line.setSpeed(tmpl.headType() == head::kDeskReader ? 0 : 1);
    line.setHeadType(tmpl.headType());
    line.setPort(tmpl.port() == 0 && tmpl.headType() != head::kTcpConverter ? 1 : tmpl.port());
    line.setMac(tmpl.mac());
    line.setTcpPort(13000);
    line.setDescription("linka " + std::to_string(target));
    if (tmpl.headType() == head::kTcpConverter) line.setIpAddress(tmpl.ipAddress());

    // The folder normally exists from start-up; a fresh data directory may not have it yet.
    platform::createDirectory(lineFolderPath(target));
    if (!writeLineRecord(target - 1, line)) return -1;
    if (!writeRecord(moduleFilePath(target), 0, nullptr, 0)) return -2;
    return target;
}

bool markIdConflicts(int lineIndex) {
    const std::string path = moduleFilePath(lineIndex + 1);
    const int count = countRecords(path);
    if (count < 0) return false;
    for (int k = 1; k <= count; ++k) {
        ModuleRecord module;
        if (!readRecord(path, module, recordOffset(k))) return false;
        if (!module.used()) continue;
        FindKey key{module.id(), 0};
        RecordImage scratch;
        if (findRecord(path, scratch, countSameId, key) < 0) return false;
        const std::uint8_t f = module.flags();
        module.setFlags(key.count >= 2 ? (f | flags::kIdConflict) : (f & ~flags::kIdConflict));
        if (!writeRecord(path, module, recordOffset(k))) return false;
    }
    return true;
}

bool removeSelected(int lineIndex, int moduleNumber) {
    const int lineNumber = lineIndex + 1;
    std::string path;
    int recordNumber = moduleNumber;
    if (moduleNumber >= 1) {
        path = moduleFilePath(lineNumber);
    } else {
        RecordImage used;
        FindKey key;
        const std::string modules = moduleFilePath(lineNumber);
        const int found = findRecord(modules, used, isUsedSlot, key);
        if (found < 0) {
            combineError(err::kRemoveRead);
            return false;
        }
        if (used.firstByte() != 0) {
            uiMessage("Nelze vymazat",
                      "Na lince jsou připojena další zařízení ! \nNejdříve odstraňte všechny připojené moduly.",
                      MessageIcon::Error);
            return false;
        }
        path = lineConfigPath(lineNumber);
        recordNumber = 1;
    }
    RecordImage record;
    if (!readRecord(path, record, recordOffset(recordNumber))) {
        combineError(err::kRemoveRead);
        return false;
    }
    record.setU8(0, 0);
    if (!writeRecord(path, record, recordOffset(recordNumber))) {
        combineError(err::kRemoveWrite);
        return false;
    }
    return true;
}

}  // namespace lumo
