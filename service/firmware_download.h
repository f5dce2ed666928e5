#pragma once
// The two firmware download workers: the tunnel download of an S-record file to a device with
// the flash loader, and the segment download of a memory image to an older device. Each opens
// the line in service mode, reads and checks the file whole, sends, tells the user the outcome
// ("Download"), and leaves the line to its caller to close: the background job's JobFinish, or
// a whole-installation run's line thread. Each stops before its next message once
// operationContinues() says so (on the job's thread that includes the job's own flag).

#include <string>
#include <vector>

#include "model/device_catalog.h"
#include "service/firmware_image.h"

namespace lumo {

struct DownloadRequest {
    int lineIndex = 0;
    DeviceTypeCode type = 0;  // the module's type, or the line's head type
    std::string fileName;
    bool high = false;        // segment download: addresses below 0x8000 go 0x8000 higher
};

// A file larger than this is no firmware image of these devices.
inline constexpr std::size_t kMaxDownloadFile = 4 * 1024 * 1024;

// An S-record file read whole and checked (its size too); false with the fault's text.
bool tunnelImage(const std::string& bytes, std::vector<SRecord>& records, std::string& fault);

// The whole-file check before anything is sent: the S-record or segment rules by the type.
// Empty when the file may be loaded, else the text that says why not.
std::string downloadImageFault(DeviceTypeCode type, const std::string& fileName);

// True when the device got the whole image and was started.
bool TunnelDownloadWorker(const DownloadRequest& request);
bool SegmentDownloadWorker(const DownloadRequest& request);

}  // namespace lumo
