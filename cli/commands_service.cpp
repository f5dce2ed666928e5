// lumo-ctl download, restart, reset, image check
#include <iostream>

#include "actions/device_actions.h"
#include "actions/download_actions.h"
#include "cli/commands.h"
#include "service/jobs.h"

namespace lumo::cli {

int cmdDownload(Args& args) {
    const ItemRef item = parseItem(args.next("the device L or L/K"));
    const std::string file = args.next("the image file");
    const bool oldHardware = args.flag("--old-hardware");
    args.expectEnd();
    if (!itemExists(item)) return kFailed;
    DeviceTypeCode type = 0;
    if (!actionDone(downloadApplies(item.lineIndex, item.moduleNumber, type))) return kFailed;
    bool done = false;
    if (!actionDone(startDownload(item.lineIndex, item.moduleNumber, file, oldHardware, [&done](bool ok) { done = ok; })))
        return kFailed;
    JobWait();  // Ctrl-C stops it before the next message
    return done ? kDone : kFailed;
}

int cmdRestart(Args& args) {
    const ItemRef item = parseItem(args.next("the device L or L/K"));
    args.expectEnd();
    if (!itemExists(item)) return kFailed;
    return exitStatus(remoteRestart(item.lineIndex, item.moduleNumber));
}

int cmdReset(Args& args) {
    const ItemRef item = parseItem(args.next("the module L/K"));
    args.expectEnd();
    if (!itemExists(item)) return kFailed;
    return exitStatus(resetApplication(item.lineIndex, item.moduleNumber));
}

int cmdImage(Args& args) {
    const std::string what = args.next("check");
    if (what != "check") throw UsageError("image check FILE [--segment], not 'image " + what + "'");
    const std::string file = args.next("the image file");
    // A memory image for the older loaders; an S-record file unless told or named ".bin".
    const bool segment = args.flag("--segment") || (file.size() > 4 && file.substr(file.size() - 4) == ".bin");
    args.expectEnd();
    std::string summary, fault;
    if (!imageSummary(file, segment, summary, fault)) {
        std::cerr << "lumo-ctl: " << file << ": " << fault << '\n';
        return kFailed;
    }
    std::cout << summary;
    return kDone;
}

}  // namespace lumo::cli
