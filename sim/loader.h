#pragma once
// The simulated loaders: a module restarted with "RST0" takes the download's messages. The
// tunnel loader answers erase, open, data and close with "KO" and writes each closed block at
// its address; the segment loader checks the "WRfs" messages' check characters and segment
// checksums and writes their data. When the device is started ('A' on channel 5, or "WRXXX")
// the image goes to a file when an image folder was given.

#include <cstdint>
#include <string>
#include <vector>

#include "sim/sim_module.h"
#include "sim/wire_log.h"

namespace lumo::sim {

// The loader a type has: tunnel for the flash devices (10, 11, 14, 48, 72), segment for the
// other download types, none otherwise.
SimLoader::Kind loaderKindOf(int type);

// "RST0" arrived: the module's loader takes loader traffic for the next 5 s.
void armLoader(SimModule& m, std::int64_t nowMs, WireLog& log, const char* transport);

class LoaderLink {
public:
    LoaderLink(WireLog& log, const char* transport, std::string imageDir)
        : log_(log), transport_(transport), imageDir_(std::move(imageDir)) {}
    // One byte for the active loader of `m`; the answer bytes to send, if any.
    std::vector<std::uint8_t> feed(SimModule& m, std::uint8_t byte, std::int64_t nowMs);

private:
    enum class Fault { None, Silent, Refused };
    // Counts a whole message and tells the fault it meets.
    Fault countAndFault(SimModule& m);
    std::vector<std::uint8_t> tunnelMessage(SimModule& m);
    std::vector<std::uint8_t> segmentMessage(SimModule& m);
    void finish(SimModule& m);

    WireLog& log_;
    const char* transport_;
    std::string imageDir_;
};

}  // namespace lumo::sim
