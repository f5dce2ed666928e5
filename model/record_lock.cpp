#include "model/record_lock.h"

#include <atomic>
#include <map>

#include "base/error_report.h"
#include "base/ui_port.h"
#include "platform/file_io.h"
#include "platform/system_error.h"

namespace lumo {
namespace {

std::atomic<int> lockWaitMs{kRecordLockWaitMs};

// The files this thread holds locked for a read-modify-write, with the open file that holds
// each lock and how many nested holders it has.
struct Held {
    std::unique_ptr<platform::File> file;
    int holders = 0;
};
std::map<std::string, Held>& heldByThisThread() {
    thread_local std::map<std::string, Held> held;
    return held;
}

// Opens and locks; nullptr when that fails (the error code and, on a timeout, the message).
std::unique_ptr<platform::File> lockFile(const std::string& path, bool exclusive) {
    auto file = std::make_unique<platform::File>(
        path, exclusive ? platform::File::Mode::ReadWrite : platform::File::Mode::Read);
    if (!file->isOpen()) {
        setError(exclusive ? err::kOpenForWrite : err::kOpenForRead);
        return nullptr;
    }
    using K = platform::File::LockKind;
    if (!file->lock(exclusive ? K::Exclusive : K::Shared, lockWaitMs)) {
        const std::uint32_t cause = platform::lastSystemError();
        // Said only when this thread holds no other lock: a message box must not keep files
        // locked (the caller's report follows once they are free).
        if (heldByThisThread().empty())
            uiMessage("Upozornění", "Soubor " + path + " právě upravuje jiný program. Zkuste to prosím znovu. ",
                      MessageIcon::Warning);
        platform::setLastSystemError(cause);
        setError(exclusive ? err::kOpenForWrite : err::kOpenForRead);
        return nullptr;
    }
    return file;
}

}  // namespace

void setRecordLockWait(int ms) { lockWaitMs = ms; }

RecordFileLock::RecordFileLock(const std::string& path, bool createMissing) : path_(path) {
    auto& held = heldByThisThread();
    if (auto it = held.find(path); it != held.end()) {
        ++it->second.holders;
        held_ = counted_ = true;
        return;
    }
    if (!createMissing && !platform::fileExists(path)) {
        held_ = true;  // nothing there to lock
        return;
    }
    auto file = lockFile(path, true);
    if (!file) return;
    held[path] = Held{std::move(file), 1};
    held_ = counted_ = true;
}

RecordFileLock::~RecordFileLock() {
    if (!counted_) return;
    auto& held = heldByThisThread();
    auto it = held.find(path_);
    if (it != held.end() && --it->second.holders == 0) held.erase(it);  // closing releases it
}

RecordAccessLock::RecordAccessLock(const std::string& path, bool exclusive) {
    if (heldByThisThread().count(path) != 0) {
        ok_ = true;
        return;
    }
    // A file that is not there has nothing to read and nobody to write beside.
    if (!exclusive && !platform::fileExists(path)) {
        ok_ = true;
        return;
    }
    file_ = lockFile(path, exclusive);
    ok_ = file_ != nullptr;
}

RecordAccessLock::~RecordAccessLock() = default;

}  // namespace lumo
