#include "platform/file_io.h"

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

File::File(const std::string& path, Mode mode) {
    int flags = O_CLOEXEC;
    switch (mode) {
        case Mode::Read: flags |= O_RDONLY; break;
        case Mode::ReadWrite: flags |= O_RDWR | O_CREAT; break;
        case Mode::CreateTruncate: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
        case Mode::ReadWriteExisting: flags |= O_RDWR; break;
    }
    const int fd = ::open(path.c_str(), flags, 0666);
    if (fd < 0) {
        recordErrno();
        return;
    }
    // A folder opens for reading on POSIX but is no record file.
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        recordErrno(EISDIR);
        return;
    }
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

void File::close() {
    if (handle_ >= 0) {
        ::close(static_cast<int>(handle_));
        handle_ = -1;
    }
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
    for (;;) {
        if (::fcntl(static_cast<int>(handle_), F_SETLKW, &lock) == 0) return true;
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
    ::fcntl(static_cast<int>(handle_), F_SETLK, &lock);
}

long long File::size() {
    struct stat st {};
    if (handle_ < 0) return -1;
    if (::fstat(static_cast<int>(handle_), &st) != 0) {
        recordErrno();
        return -1;
    }
    return static_cast<long long>(st.st_size);
}

}  // namespace lumo::platform
