#include "sim/wire_log.h"

#include "platform/clock.h"

namespace lumo::sim {

WireLog::WireLog(const std::string& path) : startUs_(platform::monotonicUs()) {
    // Appending, so that a reader may empty the file between exchanges.
    if (!path.empty()) file_ = std::fopen(path.c_str(), "a");
}

WireLog::~WireLog() {
    if (file_ != nullptr) std::fclose(file_);
}

void WireLog::byte(const char* transport, bool received, std::uint8_t value) {
    if (file_ == nullptr) return;
    std::lock_guard lock(mutex_);
    const double ms = static_cast<double>(platform::monotonicUs() - startUs_) / 1000.0;
    std::fprintf(file_, "%.3f %s %s %02x\n", ms, transport, received ? "rx" : "tx", value);
    std::fflush(file_);
}

void WireLog::note(const char* transport, const std::string& text) {
    if (file_ == nullptr) return;
    std::lock_guard lock(mutex_);
    const double ms = static_cast<double>(platform::monotonicUs() - startUs_) / 1000.0;
    std::fprintf(file_, "%.3f %s note %s\n", ms, transport, text.c_str());
    std::fflush(file_);
}

}  // namespace lumo::sim
