#pragma once
// A full disk for the test's own process: writes of regular files beyond `bytes` fail (a write
// that crosses the limit is cut short there, as on a disk that fills up). The limit goes with
// the object.

#include <sys/resource.h>

#include <csignal>
#include <cstddef>

namespace lumo::test {

class FullDisk {
public:
    explicit FullDisk(std::size_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);  // the write fails instead of ending the process
        rlimit limit = saved_;
        limit.rlim_cur = static_cast<rlim_t>(bytes);
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FullDisk() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    // The system error value of a write refused there (EFBIG).
    static constexpr unsigned kWriteError = 27;

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

}  // namespace lumo::test
