#pragma once
// Locks on record files, so that several processes (two lumo-ctl, lumo-ctl beside the panel,
// workstations on one shared data directory) edit an installation without losing a record.
// They are fcntl locks on the record file itself: they hold on network shares with locking and
// are honoured by any other program that locks the file the same way.
//
// Every single read of a record takes a shared lock and every single write an exclusive one,
// so that no reader sees a torn record. A read-modify-write holds a RecordFileLock on the file
// from the read to the write; the reads and writes inside it are then this thread's own.
// Nothing talks to the user while it holds one: the window's thread reads records to draw the
// tree, and a question could keep the file from every other program for minutes.

#include <memory>
#include <string>

namespace lumo {

namespace platform {
class File;
}

// How long a lock is waited for before the operation gives up with a clear message.
inline constexpr int kRecordLockWaitMs = 10000;
// Tests shorten the wait.
void setRecordLockWait(int ms);

class RecordFileLock {
public:
    // An exclusive lock on `path` for this thread, waited for; `held()` is false when it did
    // not come in time (after the message "… právě upravuje jiný program") or the file cannot
    // be opened (the error code is left pending). A missing file is created, or with
    // `createMissing` false left missing and unlocked (held() true).
    explicit RecordFileLock(const std::string& path, bool createMissing = true);
    ~RecordFileLock();
    RecordFileLock(const RecordFileLock&) = delete;
    RecordFileLock& operator=(const RecordFileLock&) = delete;
    bool held() const { return held_; }
    // True when this thread holds the file's lock (false for a missing file left unlocked).
    bool locked() const { return counted_; }

private:
    std::string path_;
    bool held_ = false;
    bool counted_ = false;  // one of the file's holders in this thread's list
};

// For one read or write: nothing when this thread holds the file's lock already, else a lock
// of the kind asked for, kept until the object goes. `ok()` as RecordFileLock::held().
class RecordAccessLock {
public:
    RecordAccessLock(const std::string& path, bool exclusive);
    ~RecordAccessLock();
    RecordAccessLock(const RecordAccessLock&) = delete;
    RecordAccessLock& operator=(const RecordAccessLock&) = delete;
    bool ok() const { return ok_; }

private:
    std::unique_ptr<platform::File> file_;
    bool ok_ = false;
};

}  // namespace lumo
