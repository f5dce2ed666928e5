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

// The process's current directory, without a trailing separator; empty when it cannot be read.
std::string currentDirectory();

// Creates one folder. True when it was created or already exists as a folder.
bool createDirectory(const std::string& path);

bool isDirectory(const std::string& path);
bool fileExists(const std::string& path);

// An open file, closed when the object goes. Opening failures leave the system's last-error
// value set and isOpen() false.
class File {
public:
    enum class Mode {
        Read,           // existing file, reading; others may read
        ReadWrite,      // created when missing, contents kept; others may write
        CreateTruncate,     // created anew, replacing an old file
        ReadWriteExisting   // existing file only, reading and writing; others may too
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
    // An exclusive lock on the whole file, waited for; it holds across machines on a network
    // share that supports locking. Released by unlock() or when the file is closed.
    bool lockExclusive();
    void unlock();

private:
    void close();
    long long handle_ = -1;
};

}  // namespace lumo::platform
