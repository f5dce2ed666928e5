#include "platform/file_io.h"

#include <chrono>
#include <thread>

#include "platform/posix/posix_error.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <vector>

namespace lumo::platform {

char pathSeparator() { return '/'; }

std::string programFileSuffix() { return {}; }

bool isAbsolutePath(const std::string& path) { return !path.empty() && path.front() == '/'; }

std::string currentDirectory() {
    std::vector<char> buffer(PATH_MAX);
    if (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        recordErrno();
        return {};
    }
    return buffer.data();
}

bool createDirectory(const std::string& path) {
    if (::mkdir(path.c_str(), 0777) == 0) return true;
    const int error = errno;
    if (error == EEXIST && isDirectory(path)) return true;
    recordErrno(error);
    return false;
}

bool isDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool fileExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

FileKind fileKind(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT || errno == ENOTDIR ? FileKind::Missing : FileKind::Unknown;
    if (S_ISREG(st.st_mode)) return FileKind::Regular;
    if (S_ISDIR(st.st_mode)) return FileKind::Directory;
    if (S_ISLNK(st.st_mode)) return FileKind::SymbolicLink;
    return FileKind::Other;  // a FIFO, a device, a socket
}

bool removeDirectory(const std::string& path) {
    if (::rmdir(path.c_str()) == 0) return true;
    recordErrno();
    return false;
}

File::File(const std::string& path, Mode mode) {
    int flags = O_CLOEXEC;
    switch (mode) {
        case Mode::Read: flags |= O_RDONLY; break;
        case Mode::ReadWrite: flags |= O_RDWR | O_CREAT; break;
        case Mode::CreateTruncate: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
        case Mode::ReadWriteExisting: flags |= O_RDWR; break;
        case Mode::CreateNew: flags |= O_RDWR | O_CREAT | O_EXCL; break;
    }
    // Not waiting at the open (a FIFO would wait for a writer), not following a link.
    const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_NOFOLLOW, 0666);
    if (fd < 0) {
        recordErrno();
        return;
    }
    // A folder opens for reading on POSIX, a FIFO or a device opens too: none is a data file.
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        recordErrno(error);
        return;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    handle_ = fd;
}

File::~File() { close(); }

File::File(File&& other) noexcept : handle_(other.handle_) { other.handle_ = -1; }

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        close();
        handle_ = other.handle_;
        other.handle_ = -1;
    }
    return *this;
}

bool File::close() {
    if (handle_ < 0) return true;
    const int result = ::close(static_cast<int>(handle_));
    handle_ = -1;
    if (result != 0 && errno != EINTR) {
        recordErrno();
        return false;
    }
    return true;
}

long long File::readAt(std::uint64_t offset, void* buffer, std::size_t length) {
    if (handle_ < 0) return -1;
    auto* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = ::pread(static_cast<int>(handle_), out + done, length - done,
                                  static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            recordErrno();
            return -1;
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<long long>(done);
}

bool File::writeAt(std::uint64_t offset, const void* buffer, std::size_t length) {
    if (handle_ < 0) return false;
    const auto* in = static_cast<const char*>(buffer);
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = ::pwrite(static_cast<int>(handle_), in + done, length - done,
                                   static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            recordErrno();
            return false;
        }
        if (n == 0) {
            recordErrno(EIO);
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool File::truncate(std::uint64_t length) {
    if (handle_ < 0) return false;
    if (::ftruncate(static_cast<int>(handle_), static_cast<off_t>(length)) != 0) {
        recordErrno();
        return false;
    }
    return true;
}

bool File::lockExclusive() {
    if (handle_ < 0) return false;
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;  // start 0, length 0: the whole file, also as it grows
    // An open-file-description lock: held against the other threads of this process too (a
    // process-wide record lock would let two threads of one panel both in).
    for (;;) {
        if (::fcntl(static_cast<int>(handle_), F_OFD_SETLKW, &lock) == 0) return true;
        if (errno != EINTR) {
            recordErrno();
            return false;
        }
    }
}

void File::unlock() {
    if (handle_ < 0) return;
    struct flock lock {};
    lock.l_type = F_UNLCK;
    lock.l_whence = SEEK_SET;
    ::fcntl(static_cast<int>(handle_), F_OFD_SETLK, &lock);
}

bool File::lock(LockKind kind, int timeoutMs) {
    if (handle_ < 0) return false;
    struct flock lock {};
    lock.l_type = kind == LockKind::Shared ? F_RDLCK : F_WRLCK;
    lock.l_whence = SEEK_SET;  // the whole file
    // An open-file-description lock: closing another descriptor of the file does not drop it,
    // and it is held against the other threads of this process as well. The kernel cannot time
    // out its wait, so the attempts are repeated with short sleeps up to the deadline.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (::fcntl(static_cast<int>(handle_), F_OFD_SETLK, &lock) == 0) return true;
        if (errno != EAGAIN && errno != EACCES && errno != EINTR) {
            recordErrno();
            return false;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            recordErrno(EAGAIN);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

bool File::isLockTimeout(std::uint32_t systemError) { return systemError == EAGAIN; }

long long File::size() {
    struct stat st {};
    if (handle_ < 0) return -1;
    if (::fstat(static_cast<int>(handle_), &st) != 0) {
        recordErrno();
        return -1;
    }
    return static_cast<long long>(st.st_size);
}

bool replaceFile(const std::string& path, const void* data, std::size_t length) {
    const std::string temporary = path + ".tmp" + std::to_string(::getpid());
    File file(temporary, File::Mode::CreateTruncate);
    if (!file.isOpen()) return false;
    bool ok = file.writeAt(0, data, length);
    ok = ok && file.close();
    if (ok && ::rename(temporary.c_str(), path.c_str()) != 0) {
        recordErrno();
        ok = false;
    }
    if (!ok) {
        const int error = errno;
        ::unlink(temporary.c_str());
        errno = error;
    }
    return ok;
}

bool renameFile(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) == 0) return true;
    recordErrno();
    return false;
}

bool removeFile(const std::string& path) {
    if (::unlink(path.c_str()) == 0) return true;
    recordErrno();
    return false;
}

bool readSmallFile(const std::string& path, std::size_t maxBytes, std::string& out) {
    out.clear();
    File file(path, File::Mode::Read);
    if (!file.isOpen()) return false;
    out.resize(maxBytes);
    const long long got = file.readAt(0, out.data(), maxBytes);
    if (got < 0) {
        out.clear();
        return false;
    }
    out.resize(static_cast<std::size_t>(got));
    return true;
}

}  // namespace lumo::platform
