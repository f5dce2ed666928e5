#include "model/installation.h"

#include <cstdio>

#include "base/app_state.h"
#include "base/error_report.h"
#include "base/ui_port.h"
#include "model/record_file.h"
#include "model/record_lock.h"

#include <memory>
#include <vector>
#include "platform/file_io.h"
#include "platform/system_error.h"
#include "model/model_errors.h"

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

namespace {

// A slot's "line.cfg" that is there but cannot be read: named once the slots are free again
// (no message while they are locked); the failure stays pending for the caller's report.
int unreadableSlot(std::vector<std::unique_ptr<RecordFileLock>>& slots, const std::string& path) {
    const std::string text = unreadableFileText(path);
    const ErrorRecord cause = currentError();
    slots.clear();
    uiMessage("CHYBA !", text, MessageIcon::Error);
    setError(cause.code);
    platform::setLastSystemError(cause.systemError);
    return -1;
}

// One attempt of createLine: the target slot, or 0 after the "full" message, -1 on a failure,
// -3 when another program claimed the free slot first (try again).
int claimLineSlot(const LineRecord& tmpl) {
    int firstFree = 0;
    int stoppedAt = 0;
    int sameAddress = 0;
    const std::string_view tmplIp = tmpl.rawIpAddress();
    // The slots that exist are locked, in order, from the search to the write; a missing one is
    // claimed by creating its "line.cfg" as a new file. Two programs adding a line at once
    // never take the same slot.
    std::vector<std::unique_ptr<RecordFileLock>> slots;
    for (int n = 1; n <= kMaxLines; ++n) {
        slots.push_back(std::make_unique<RecordFileLock>(lineConfigPath(n), false));
        if (!slots.back()->held()) {
            // One slot that cannot be read makes every add fail: it is named.
            if (readFailureOf(lineConfigPath(n)) == ReadFailure::Unreadable) return unreadableSlot(slots, lineConfigPath(n));
            return -1;
        }
    }
    // The records of the slots as found, to be put back when the add fails after all.
    std::vector<LineRecord> found(kMaxLines);
    for (int n = 1; n <= kMaxLines; ++n) {
        const std::string path = lineConfigPath(n);
        if (!platform::fileExists(path)) {
            stoppedAt = n;  // claimed below by creating the file
            break;
        }
        // A slot this program has not locked (its file came after the locking), or a file
        // shorter than a record (another program's claim in progress), is not free for us.
        platform::File probe(path, platform::File::Mode::Read);
        if (!slots[static_cast<std::size_t>(n - 1)]->locked() || probe.size() < static_cast<long long>(kRecordSize)) {
            continue;
        }
        LineRecord& existing = found[static_cast<std::size_t>(n - 1)];
        if (!readLineRecord(n - 1, existing)) return unreadableSlot(slots, path);
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
        slots.clear();  // no message while the slots are locked
        uiMessage("Varování", "Maximální počet komunikačních linek je obsazen ! ", MessageIcon::Information);
        return 0;
    }
    const std::string folder = lineFolderPath(target);
    bool claimed = false, folderMade = false;
    if (!slots[static_cast<std::size_t>(target - 1)]->locked()) {
        // Not locked by us: a missing slot is claimed by creating its file; if it exists by now,
        // another program was first.
        folderMade = platform::fileKind(folder) == platform::FileKind::Missing && platform::createDirectory(folder);
        platform::File claim(lineConfigPath(target), platform::File::Mode::CreateNew);
        if (!claim.isOpen()) {
            const std::uint32_t cause = platform::lastSystemError();
            if (folderMade) platform::removeDirectory(folder);
            platform::setLastSystemError(cause);
            if (platform::isAlreadyExisting(cause)) return -3;
            setError(err::kOpenForWrite);
            return -1;
        }
        claimed = true;
    }
    // A failed add leaves nothing behind: a claimed slot is given up (an empty "line.cfg" would
    // read as another program's claim, and the slot would be passed over for good), a slot that
    // was there gets its record back. The failure stays pending.
    const auto undo = [&] {
        const ErrorRecord cause = currentError();
        if (claimed) {
            platform::removeFile(lineConfigPath(target));
            if (folderMade) platform::removeDirectory(folder);
        } else {
            writeLineRecord(target - 1, found[static_cast<std::size_t>(target - 1)]);
        }
        setError(cause.code);
        platform::setLastSystemError(cause.systemError);
    };

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
    if (!writeLineRecord(target - 1, line)) {
        // A record write cut short is taken back by the write itself; a claimed file goes.
        if (claimed) undo();
        return -1;
    }
    if (!writeRecord(moduleFilePath(target), 0, nullptr, 0)) {
        undo();
        return -2;
    }
    return target;
}

}  // namespace

int createLine(const LineRecord& tmpl) {
    // A slot claimed by another program between the search and the claim: search again.
    for (int attempt = 0; attempt < 2 * kMaxLines; ++attempt) {
        const int result = claimLineSlot(tmpl);
        if (result != -3) return result;
        clearError();
    }
    setError(err::kOpenForWrite);
    return -1;
}

bool markIdConflicts(int lineIndex) {
    const std::string path = moduleFilePath(lineIndex + 1);
    const RecordFileLock lock(path);
    if (!lock.held()) return false;
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
    std::unique_ptr<RecordFileLock> lineLock, moduleLock;  // line.cfg before terminal.dat
    if (moduleNumber >= 1) {
        path = moduleFilePath(lineNumber);
        moduleLock = std::make_unique<RecordFileLock>(path);
        if (!moduleLock->held()) return false;
    } else {
        lineLock = std::make_unique<RecordFileLock>(lineConfigPath(lineNumber));
        moduleLock = std::make_unique<RecordFileLock>(moduleFilePath(lineNumber));
        if (!lineLock->held() || !moduleLock->held()) return false;
        RecordImage used;
        FindKey key;
        const std::string modules = moduleFilePath(lineNumber);
        const int found = findRecord(modules, used, isUsedSlot, key);
        if (found < 0) {
            combineError(err::kRemoveRead);
            return false;
        }
        if (used.firstByte() != 0) {
            moduleLock.reset();  // no message while the files are locked
            lineLock.reset();
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
