#pragma once
// A log of every byte on the simulated wires: "<ms since start> <transport> rx|tx <hex>" per
// line, flushed as it is written so that a test can read it while the simulator runs.

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

namespace lumo::sim {

class WireLog {
public:
    explicit WireLog(const std::string& path);
    ~WireLog();
    WireLog(const WireLog&) = delete;
    WireLog& operator=(const WireLog&) = delete;

    // False when a log was asked for and its file cannot be written.
    bool ok() const { return file_ != nullptr; }
    void byte(const char* transport, bool received, std::uint8_t value);
    void note(const char* transport, const std::string& text);

private:
    std::FILE* file_ = nullptr;
    std::int64_t startUs_;
    std::mutex mutex_;
};

}  // namespace lumo::sim
