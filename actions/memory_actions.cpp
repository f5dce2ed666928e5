#include "actions/memory_actions.h"

#include "actions/line_operation.h"

#include "actions/device_actions.h"
#include "actions/init_actions.h"
#include "base/app_state.h"
#include "base/error_report.h"
#include "base/ui_port.h"
#include "model/installation.h"
#include "model/program_config.h"
#include "platform/process.h"
#include "service/jobs.h"
#include "service/memory_transfer.h"
#include "model/device_catalog.h"
#include "actions/action_errors.h"

namespace lumo {
namespace {

int reported() {
    reportError();
    return kActionFailed;
}

// The module's record read again: its type, or false with `code` added to the pending error.
bool moduleType(int lineIndex, int moduleNumber, DeviceTypeCode& type, ErrorCode code) {
    ModuleRecord module;
    if (!readModuleRecord(lineIndex, moduleNumber, module)) {
        combineError(code);
        return false;
    }
    type = module.type();
    return true;
}

int refuseType(DeviceTypeCode type) {
    uiMessage("Upload", "Zařízení typu " + modelName(type) + " \nneumožňuje upload.", MessageIcon::Information);
    return kActionRefused;
}

MemoryRequest request(int lineIndex, DeviceTypeCode type, int segment, std::uint32_t start, std::uint32_t size,
                      const std::string& fileName) {
    MemoryRequest r;
    r.lineIndex = lineIndex;
    r.type = type;
    r.segment = segment;
    r.start = start;
    r.size = size;
    r.fileName = fileName;
    return r;
}

// Runs one memory operation directly (the dump): under the line lease, whose own stop ends it
// as a job's stop ends a job.
int runDirectly(const std::function<bool()>& operation) {
    return runOnLinesSimply([&] { return operation() ? kActionDone : kActionFailed; });
}

// A range of no bytes reads nothing and would still report "Upload complete...".
bool sizeGiven(std::uint32_t size) {
    if (size != 0) return true;
    uiMessage("Upload", "Zadejte počet bytů (Bytes) větší než 0. ", MessageIcon::Information);
    return false;
}

// A wider start or size would go out with more digits than its field has: another range, or
// one of gigabytes.
bool rangeFits(std::uint32_t start, std::uint32_t size) {
    if (start <= kMemoryFieldMax && size <= kMemoryFieldMax) return true;
    uiMessage("Upload", "Start a počet bytů (Bytes) mohou mít nejvýše čtyři šestnáctkové číslice (0 až FFFF). ",
              MessageIcon::Information);
    return false;
}

}  // namespace

int uploadApplies(int lineIndex, int moduleNumber) {
    if (!requireModule(moduleNumber, kCannotChangeLine)) return kActionRefused;
    DeviceTypeCode type = 0;
    if (!moduleType(lineIndex, moduleNumber, type, err::kUploadRead)) return reported();
    if (isInList(NoMemoryUploadTypes, type)) return refuseType(type);
    return kActionDone;
}

int startUpload(int lineIndex, int moduleNumber, int segment, std::uint32_t start, std::uint32_t size,
                const std::string& fileName, std::function<void(bool)> ended) {
    if (!actionDone(uploadApplies(lineIndex, moduleNumber))) return kActionRefused;
    if (!sizeGiven(size) || !rangeFits(start, size)) return kActionRefused;
    // The lines are held from here: the job's parameters below are this upload's.
    LineLease lease = takeLineLease();
    if (!lease) return kActionRefused;
    DeviceTypeCode type = 0;
    if (!moduleType(lineIndex, moduleNumber, type, err::kUploadRead)) return reported();
    if (!unaddressedMessagesAllowed(lineIndex, moduleNumber, "Upload")) return kActionRefused;
    BackgroundJob& job = backgroundJob();
    job.lineIndex = lineIndex;
    job.mode = segment;
    job.startAddress = start;
    job.size = size;
    job.fileName = fileName;
    const MemoryRequest r = request(lineIndex, type, segment, start, size, fileName);
    const bool started = JobStart(
        [r, ended = std::move(ended)] {
            const bool done = UploadWorker(r, true);
            JobFinish();
            if (ended) ended(done);
        },
        std::move(lease));
    return started ? kActionDone : kActionRefused;
}

int memoryDumpApplies(int lineIndex, int moduleNumber, bool needsEditor) {
    if (!requireModule(moduleNumber, kCannotChangeLine)) return kActionRefused;
    if (needsEditor && programConfig().hexEditorPath().empty()) {
        uiMessage("memory Dump", "Nastavte v konfiguraci cestu pro externí HEX editor.", MessageIcon::Information);
        return kActionRefused;
    }
    DeviceTypeCode type = 0;
    if (!moduleType(lineIndex, moduleNumber, type, err::kDumpRead)) return reported();
    if (isInList(NoMemoryWriteTypes, type)) return refuseType(type);
    return kActionDone;
}

namespace {

// The dump's size: at most 128 bytes.
std::uint32_t dumpSize(std::uint32_t size) { return size > kDumpMaxSize ? kDumpMaxSize : size; }

// The dump's read and write-back once the question of the line's other modules is answered.
int dumpRead(int lineIndex, int moduleNumber, int segment, std::uint32_t start, std::uint32_t size, std::string& dumpPath) {
    DeviceTypeCode type = 0;
    if (!moduleType(lineIndex, moduleNumber, type, err::kDumpRead)) return reported();
    dumpPath = appState().dataDirectory + "dump.$$$";
    const MemoryRequest r = request(lineIndex, type, segment, start, dumpSize(size), dumpPath);
    return runDirectly([&r] { return UploadWorker(r, false); });
}

int dumpWrite(int lineIndex, int moduleNumber, int segment, std::uint32_t start, std::uint32_t size,
              const std::string& fileName) {
    DeviceTypeCode type = 0;
    if (!moduleType(lineIndex, moduleNumber, type, err::kDumpRead)) return reported();
    const MemoryRequest r = request(lineIndex, type, segment, start, dumpSize(size), fileName);
    return runDirectly([&r] { return MemoryWrite(r); });
}

}  // namespace

int memoryDumpRead(int lineIndex, int moduleNumber, int segment, std::uint32_t start, std::uint32_t size,
                   std::string& dumpPath) {
    if (!sizeGiven(size) || !rangeFits(start, dumpSize(size))) return kActionRefused;
    if (!unaddressedMessagesAllowed(lineIndex, moduleNumber, "Memory Dump")) return kActionRefused;
    return dumpRead(lineIndex, moduleNumber, segment, start, size, dumpPath);
}

int memoryDumpWrite(int lineIndex, int moduleNumber, int segment, std::uint32_t start, std::uint32_t size,
                    const std::string& fileName) {
    if (!rangeFits(start, dumpSize(size))) return kActionRefused;
    if (!unaddressedMessagesAllowed(lineIndex, moduleNumber, "Memory Dump")) return kActionRefused;
    return dumpWrite(lineIndex, moduleNumber, segment, start, size, fileName);
}

int memoryDump(int lineIndex, int moduleNumber, int segment, std::uint32_t start, std::uint32_t size) {
    if (!sizeGiven(size) || !rangeFits(start, dumpSize(size))) return kActionRefused;
    // Asked once for the read and the write-back.
    if (!unaddressedMessagesAllowed(lineIndex, moduleNumber, "Memory Dump")) return kActionRefused;
    std::string path;
    if (const int read = dumpRead(lineIndex, moduleNumber, segment, start, size, path); !actionDone(read)) return read;
    // The editor gets the file as its one argument: no shell, so spaces and quotes in either
    // path are only characters.
    if (!platform::startDetached(programConfig().hexEditorPath(), {path})) {
        uiMessage("Memory Dump", "Chyba při spuštění externího editoru !\n Zkontrolujte nastaveni cesty v konfiguraci.",
                  MessageIcon::Information);
        return kActionFailed;
    }
    if (!uiAsk("Memory Dump", "Zapsat změněná data ?")) return kActionRefused;
    return dumpWrite(lineIndex, moduleNumber, segment, start, size, path);
}

}  // namespace lumo
