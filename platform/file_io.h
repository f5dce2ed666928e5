#pragma once
// Files, folders and paths. Paths are UTF-8; the implementation converts them to whatever the
// operating system takes.

#include <cstddef>
#include <cstdint>
#include <string>

namespace lumo::platform {

// The separator the data directory and every path built from it use.
char pathSeparator();

// What the names of programs end with: ".exe" on Windows, nothing here.
std::string programFileSuffix();

// Whether a path names its place from the root ("/data"; on Windows also C:\data or \\server\share),
// not from the current directory.
bool isAbsolutePath(const std::string& path);

// The process's current directory, without a trailing separator; empty when it cannot be read.
std::string currentDirectory();

// Creates one folder. True when it was created or already exists as a folder.
bool createDirectory(const std::string& path);

bool isDirectory(const std::string& path);
bool fileExists(const std::string& path);

// What stands at a path; a symbolic link (or another reparse point) is told as itself, not
// followed. Missing: nothing there (also when a folder on the way is a file). Unknown: the path
// cannot be looked at (a folder on the way without permission). The system's last-error value
// is left as it was, so that it still tells why an earlier call on the path failed.
enum class FileKind { Missing, Regular, Directory, SymbolicLink, Other, Unknown };
FileKind fileKind(const std::string& path);

// Removes an empty folder; false when it could not be removed.
bool removeDirectory(const std::string& path);

// An open regular file, closed when the object goes. A symbolic link as the file itself is not
// followed, and anything but a regular file (a folder, a FIFO, a device) is refused: opening
// never waits, and no read is endless. Opening failures leave the system's last-error value
// set and isOpen() false.
class File {
public:
    enum class Mode {
        Read,           // existing file, reading; others may read
        ReadWrite,      // created when missing, contents kept; others may write
        CreateTruncate,     // created anew, replacing an old file
        ReadWriteExisting,  // existing file only, reading and writing; others may too
        CreateNew           // a new file only: fails when the name exists already
    };

    File() = default;
    File(const std::string& path, Mode mode);
    ~File();
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    bool isOpen() const { return handle_ >= 0; }

    // Reads up to `length` bytes at `offset`; returns the count read (short at the end of the
    // file) or -1 on an error.
    long long readAt(std::uint64_t offset, void* buffer, std::size_t length);
    // Writes all `length` bytes at `offset`; false on an error or a short write.
    bool writeAt(std::uint64_t offset, const void* buffer, std::size_t length);
    // Size in bytes, or -1.
    long long size();
    // Cuts the file to `length` bytes.
    bool truncate(std::uint64_t length);
    // An exclusive lock on the whole file, waited for; it holds against the other threads of
    // this process as well, and across machines on a network share that supports locking.
    // Released by unlock() or when the file is closed.
    bool lockExclusive();
    void unlock();

    // A lock of this open file on the whole file, shared or exclusive, that other openers (in
    // this process too) respect; waited for at most `timeoutMs`. False when it did not come in
    // time (EAGAIN) or cannot be had. Released by unlock() or when the file is closed.
    enum class LockKind { Shared, Exclusive };
    bool lock(LockKind kind, int timeoutMs);
    // True when a system error value is the one lock() leaves when the lock did not come in time.
    static bool isLockTimeout(std::uint32_t systemError);

    // Closes the file; false when the system reports an error at closing (a write that did not
    // reach a network share).
    bool close();

private:
    long long handle_ = -1;
};

// Writes a whole small file so that it is either replaced whole or left as it was: the bytes go
// to a temporary file beside it, which then takes its name. False when anything fails (the
// temporary file is removed).
bool replaceFile(const std::string& path, const void* data, std::size_t length);

// Gives a file another name, replacing a file of that name (in one step on the same file
// system). False on failure.
bool renameFile(const std::string& from, const std::string& to);
// Removes a file; false when it could not be removed (or was not there).
bool removeFile(const std::string& path);

// Reads a whole regular file of at most `maxBytes` (the rest of a longer one is left unread).
// False when it cannot be opened or read.
bool readSmallFile(const std::string& path, std::size_t maxBytes, std::string& out);

}  // namespace lumo::platform
