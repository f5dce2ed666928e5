#include "comm/wire_trace.h"

#include <cstdio>
#include <ctime>
#include <memory>
#include <mutex>

#include "base/ui_port.h"
#include "platform/clock.h"
#include "platform/file_io.h"
#include "platform/system_error.h"

namespace lumo {
namespace {

// The trace file is opened as every other file of the program: a regular file only, never
// through a symbolic link, never waiting in the open (a FIFO or a device is refused).
struct Trace {
    std::mutex mutex;
    std::unique_ptr<platform::File> file;
    std::string path;
    std::uint64_t end = 0;  // where the last line went
    std::int64_t startUs = 0;
};

Trace& trace() {
    static Trace t;
    return t;
}

// Appends one line at the file's end (another run may append to the same file); false when it
// could not be written whole.
bool appendLine(Trace& t, const std::string& line) {
    const long long size = t.file->size();
    if (size >= 0) t.end = static_cast<std::uint64_t>(size);
    return t.file->writeAt(t.end, line.data(), line.size());
}

}  // namespace

bool startWireTrace(const std::string& path) {
    Trace& t = trace();
    std::lock_guard lock(t.mutex);
    t.file.reset();
    t.startUs = platform::monotonicUs();
    auto file = std::make_unique<platform::File>(path, platform::File::Mode::ReadWrite);
    const long long size = file->isOpen() ? file->size() : -1;
    if (size < 0) return false;
    t.file = std::move(file);
    t.path = path;
    // Several runs may go into one file: each begins with its date and time.
    char when[32] = "?";
    const std::time_t now = std::time(nullptr);
    if (const std::tm* local = std::localtime(&now)) std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", local);
    if (!appendLine(t, std::string("# ") + when + " trace begins (ms since then, line, -> sent / <- received)\n")) {
        const std::uint32_t cause = platform::lastSystemError();
        t.file->truncate(t.end);
        t.file.reset();
        platform::setLastSystemError(cause);
        return false;
    }
    return true;
}

void stopWireTrace() {
    Trace& t = trace();
    std::lock_guard lock(t.mutex);
    t.file.reset();
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
    std::string problem;
    {
        std::lock_guard lock(t.mutex);
        if (t.file == nullptr) return;
        const double ms = static_cast<double>(platform::monotonicUs() - t.startUs) / 1000.0;
        char stamp[32];
        std::snprintf(stamp, sizeof stamp, "%10.3f ", ms);
        // The frame's operation keeps the system's error value it has.
        const std::uint32_t before = platform::lastSystemError();
        if (appendLine(t, stamp + traceLine(lineIndex, direction, bytes, count, failed) + "\n")) return;
        // A full disk: said once, and the trace ends there (a line cut short is taken back).
        const std::uint32_t cause = platform::lastSystemError();
        const std::string why = platform::isPermissionDenied(cause) ? "chybí oprávnění"
                                                                     : "systémová chyba " + std::to_string(cause);
        problem = "Záznam komunikace nelze zapsat do souboru " + t.path + ": " + why +
                  ". Další rámce se nezaznamenávají. ";
        t.file->truncate(t.end);
        t.file.reset();
        platform::setLastSystemError(before);
    }
    // Not under the trace's lock: the desktop carries the message over to its own thread.
    uiMessage("Upozornění", problem, MessageIcon::Warning);
}

}  // namespace lumo
