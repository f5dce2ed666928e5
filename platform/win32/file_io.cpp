#include "platform/file_io.h"

#include <cctype>
#include <vector>

#include "platform/clock.h"
#include "platform/system_error.h"
#include "platform/win32/windows_api.h"

namespace lumo::platform {
namespace {

HANDLE toHandle(long long h) { return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(h)); }

// Byte-range locks on Windows keep other handles from reading and writing the range. The lock is
// therefore taken on one byte far past any data: it orders the lockers and keeps readers free,
// as an advisory lock does elsewhere.
constexpr DWORD kLockOffsetHigh = 0x7FFFFFFF;

}  // namespace

char pathSeparator() { return '\\'; }

std::string programFileSuffix() { return ".exe"; }

bool isAbsolutePath(const std::string& path) {
    const auto separator = [](char c) { return c == '\\' || c == '/'; };
    if (!path.empty() && separator(path.front())) return true;  // from the drive's root, or a share
    return path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' && separator(path[2]);
}

std::string currentDirectory() {
    const DWORD n = ::GetCurrentDirectoryW(0, nullptr);
    if (n == 0) {
        recordWin32();
        return {};
    }
    std::vector<wchar_t> buffer(n + 1);
    const DWORD got = ::GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (got == 0 || got >= buffer.size()) {
        recordWin32();
        return {};
    }
    std::string text = utf8Text(buffer.data(), static_cast<int>(got));
    // "C:\" keeps its separator; any other folder is named without a trailing one.
    if (text.size() > 3 && (text.back() == '\\' || text.back() == '/')) text.pop_back();
    return text;
}

bool createDirectory(const std::string& path) {
    if (::CreateDirectoryW(wideText(path).c_str(), nullptr)) return true;
    const DWORD error = ::GetLastError();
    if (error == ERROR_ALREADY_EXISTS && isDirectory(path)) return true;
    recordWin32(error);
    return false;
}

bool isDirectory(const std::string& path) {
    const DWORD a = ::GetFileAttributesW(wideText(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool fileExists(const std::string& path) { return ::GetFileAttributesW(wideText(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

FileKind fileKind(const std::string& path) {
    const DWORD a = ::GetFileAttributesW(wideText(path).c_str());
    if (a == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FileKind::Missing : FileKind::Unknown;
    }
    if (a & FILE_ATTRIBUTE_REPARSE_POINT) return FileKind::SymbolicLink;
    if (a & FILE_ATTRIBUTE_DIRECTORY) return FileKind::Directory;
    if (a & FILE_ATTRIBUTE_DEVICE) return FileKind::Other;
    return FileKind::Regular;
}

bool removeDirectory(const std::string& path) {
    if (::RemoveDirectoryW(wideText(path).c_str())) return true;
    recordWin32();
    return false;
}

File::File(const std::string& path, Mode mode) {
    DWORD access = GENERIC_READ | GENERIC_WRITE, share = FILE_SHARE_READ | FILE_SHARE_WRITE, disposition = OPEN_EXISTING;
    switch (mode) {
        case Mode::Read: access = GENERIC_READ; break;
        case Mode::ReadWrite: disposition = OPEN_ALWAYS; break;
        case Mode::CreateTruncate: disposition = CREATE_ALWAYS; break;
        case Mode::ReadWriteExisting: break;
        case Mode::CreateNew: disposition = CREATE_NEW; break;
    }
    // Renaming and deleting stay possible while the file is open, as they are elsewhere; a
    // reparse point (a link) is opened as itself and refused below.
    share |= FILE_SHARE_DELETE;
    const HANDLE h = ::CreateFileW(wideText(path).c_str(), access, share, nullptr, disposition,
                                   FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        recordWin32();
        return;
    }
    // Only a data file on a disk: no folder, pipe, console or device, and no link.
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(h) != FILE_TYPE_DISK || !::GetFileInformationByHandle(h, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
        ::CloseHandle(h);
        recordWin32(ERROR_INVALID_FUNCTION);
        return;
    }
    handle_ = static_cast<long long>(reinterpret_cast<std::intptr_t>(h));
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
    const BOOL ok = ::CloseHandle(toHandle(handle_));
    handle_ = -1;
    if (!ok) recordWin32();
    return ok != 0;
}

long long File::readAt(std::uint64_t offset, void* buffer, std::size_t length) {
    if (handle_ < 0) return -1;
    auto* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < length) {
        OVERLAPPED at{};
        const std::uint64_t position = offset + done;
        at.Offset = static_cast<DWORD>(position);
        at.OffsetHigh = static_cast<DWORD>(position >> 32);
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(length - done, 1u << 30));
        DWORD got = 0;
        if (!::ReadFile(toHandle(handle_), out + done, chunk, &got, &at)) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_HANDLE_EOF) break;
            recordWin32(error);
            return -1;
        }
        if (got == 0) break;
        done += got;
    }
    return static_cast<long long>(done);
}

bool File::writeAt(std::uint64_t offset, const void* buffer, std::size_t length) {
    if (handle_ < 0) return false;
    const auto* in = static_cast<const char*>(buffer);
    std::size_t done = 0;
    while (done < length) {
        OVERLAPPED at{};
        const std::uint64_t position = offset + done;
        at.Offset = static_cast<DWORD>(position);
        at.OffsetHigh = static_cast<DWORD>(position >> 32);
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(length - done, 1u << 30));
        DWORD put = 0;
        if (!::WriteFile(toHandle(handle_), in + done, chunk, &put, &at)) {
            recordWin32();
            return false;
        }
        if (put == 0) {
            recordWin32(ERROR_WRITE_FAULT);
            return false;
        }
        done += put;
    }
    return true;
}

bool File::truncate(std::uint64_t length) {
    if (handle_ < 0) return false;
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(length);
    if (!::SetFileInformationByHandle(toHandle(handle_), FileEndOfFileInfo, &end, sizeof end)) {
        recordWin32();
        return false;
    }
    return true;
}

bool File::lockExclusive() {
    if (handle_ < 0) return false;
    OVERLAPPED at{};
    at.OffsetHigh = kLockOffsetHigh;
    if (::LockFileEx(toHandle(handle_), LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &at)) return true;
    recordWin32();
    return false;
}

void File::unlock() {
    if (handle_ < 0) return;
    OVERLAPPED at{};
    at.OffsetHigh = kLockOffsetHigh;
    ::UnlockFileEx(toHandle(handle_), 0, 1, 0, &at);
}

bool File::lock(LockKind kind, int timeoutMs) {
    if (handle_ < 0) return false;
    // Locks belong to the handle: another handle of this process waits like another program.
    const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (kind == LockKind::Exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    const std::int64_t deadline = monotonicMs() + timeoutMs;
    for (;;) {
        OVERLAPPED at{};
        at.OffsetHigh = kLockOffsetHigh;
        if (::LockFileEx(toHandle(handle_), flags, 0, 1, 0, &at)) return true;
        const DWORD error = ::GetLastError();
        if (error != ERROR_LOCK_VIOLATION && error != ERROR_IO_PENDING) {
            recordWin32(error);
            return false;
        }
        if (monotonicMs() >= deadline) {
            recordWin32(ERROR_LOCK_VIOLATION);
            return false;
        }
        ::Sleep(5);
    }
}

bool File::isLockTimeout(std::uint32_t systemError) { return systemError == ERROR_LOCK_VIOLATION; }

long long File::size() {
    if (handle_ < 0) return -1;
    LARGE_INTEGER n{};
    if (!::GetFileSizeEx(toHandle(handle_), &n)) {
        recordWin32();
        return -1;
    }
    return static_cast<long long>(n.QuadPart);
}

bool replaceFile(const std::string& path, const void* data, std::size_t length) {
    const std::string temporary = path + ".tmp" + std::to_string(::GetCurrentProcessId());
    File file(temporary, File::Mode::CreateTruncate);
    if (!file.isOpen()) return false;
    bool ok = file.writeAt(0, data, length);
    ok = ok && file.close();
    if (ok && !renameFile(temporary, path)) ok = false;
    if (!ok) {
        const std::uint32_t error = lastSystemError();
        ::DeleteFileW(wideText(temporary).c_str());
        recordWin32(error);
    }
    return ok;
}

bool renameFile(const std::string& from, const std::string& to) {
    if (::MoveFileExW(wideText(from).c_str(), wideText(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    recordWin32();
    return false;
}

bool removeFile(const std::string& path) {
    if (::DeleteFileW(wideText(path).c_str())) return true;
    recordWin32();
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
