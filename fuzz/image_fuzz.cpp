// Fuzz target: hostile firmware files through the whole-file check and the download plans. The
// input is read as an S-record file (and, when it passes, played through the tunnel download
// against a loader that acknowledges everything) and as a memory image (its segment messages
// and checksums). Nothing may read or write outside its buffers or run without end.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "service/firmware_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lumo;
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<SRecord> records;
    if (!readSRecords(text, records)) {
        std::size_t sent = 0;
        runTunnelDownload(text, records, [&sent](const TunnelMessage& m, std::uint8_t answer[2]) {
            sent += m.bytes.size();
            answer[0] = 'K';
            answer[1] = 'O';
            return Exchange::Acknowledged;
        });
    }
    if (!checkSegmentImage(size)) {
        const std::vector<std::uint8_t> image(data, data + size);
        for (bool high : {false, true}) {
            std::size_t covered = 0;
            for (const SegmentMessage& m : segmentMessages(image, high)) covered += m.length;
            if (covered != size) __builtin_trap();  // every byte goes exactly once
        }
        for (int s = 0; s < 4; ++s) segmentChecksum(image, s);
    }
    return 0;
}
