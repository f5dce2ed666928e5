#include "comm/wire_trace.h"

#include <cstdio>
#include <ctime>
#include <mutex>

#include "platform/clock.h"

namespace lumo {
namespace {

struct Trace {
    std::mutex mutex;
    std::FILE* file = nullptr;
    std::int64_t startUs = 0;
};

Trace& trace() {
    static Trace t;
    return t;
}

}  // namespace

bool startWireTrace(const std::string& path) {
    Trace& t = trace();
    std::lock_guard lock(t.mutex);
    if (t.file != nullptr) std::fclose(t.file);
    t.file = std::fopen(path.c_str(), "a");
    t.startUs = platform::monotonicUs();
    if (t.file == nullptr) return false;
    // Several runs may go into one file: each begins with its date and time.
    char when[32] = "?";
    const std::time_t now = std::time(nullptr);
    if (const std::tm* local = std::localtime(&now)) std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", local);
    std::fprintf(t.file, "# %s trace begins (ms since then, line, -> sent / <- received)\n", when);
    std::fflush(t.file);
    return true;
}

void stopWireTrace() {
    Trace& t = trace();
    std::lock_guard lock(t.mutex);
    if (t.file != nullptr) std::fclose(t.file);
    t.file = nullptr;
}

bool wireTraceOn() {
    Trace& t = trace();
    std::lock_guard lock(t.mutex);
    return t.file != nullptr;
}

std::string traceLine(int lineIndex, WireDirection direction, const std::uint8_t* bytes, std::size_t count,
                      bool failed) {
    std::string hex, text;
    for (std::size_t i = 0; i < count; ++i) {
        char h[4];
        std::snprintf(h, sizeof h, "%02x ", bytes[i]);
        hex += h;
        text += bytes[i] >= 0x20 && bytes[i] < 0x7f ? static_cast<char>(bytes[i]) : '.';
    }
    if (hex.size() < 48) hex.resize(48, ' ');  // the text column lines up for short frames
    return "L" + std::to_string(lineIndex + 1) + (direction == WireDirection::Sent ? " -> " : " <- ") + hex + " |" +
           text + "|" + (failed ? " (failed)" : "");
}

void traceFrame(int lineIndex, WireDirection direction, const std::uint8_t* bytes, std::size_t count, bool failed) {
    Trace& t = trace();
    std::lock_guard lock(t.mutex);
    if (t.file == nullptr) return;
    const double ms = static_cast<double>(platform::monotonicUs() - t.startUs) / 1000.0;
    std::fprintf(t.file, "%10.3f %s\n", ms, traceLine(lineIndex, direction, bytes, count, failed).c_str());
    std::fflush(t.file);
}

}  // namespace lumo
