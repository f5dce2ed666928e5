#pragma once
// The lumo-ctl commands. Each takes the words after its name and returns the exit status.

#include "actions/device_actions.h"
#include "actions/installation_run.h"
#include "cli/cli_args.h"

namespace lumo::cli {

int cmdConfig(Args& args);
int cmdList(Args& args);
int cmdReport(Args& args);
int cmdScan(Args& args);
int cmdLine(Args& args);
int cmdModule(Args& args);
int cmdRemove(Args& args);
int cmdToggle(Args& args);
int cmdSend(Args& args);
int cmdCheck(Args& args);
int cmdSerial(Args& args);
int cmdRegister(Args& args);
int lineSet(Args& args);
int cmdClock(Args& args);
int cmdCounters(Args& args);
int cmdParams(Args& args);
int cmdTest(Args& args);
int cmdTransfer(Args& args);
int cmdProbe(Args& args);
int cmdDownload(Args& args);
int cmdRestart(Args& args);
int cmdReset(Args& args);
int cmdImage(Args& args);
int cmdUpload(Args& args);
int cmdDump(Args& args);
int cmdUsb(Args& args);
int cmdInit(Args& args);
int cmdSearch(Args& args);
int cmdIp(Args& args);
int cmdTelnet(Args& args);

// check --all, clock --all, params --all, download --all: the lines chosen (--lines 1,3-5) and how many run at once
// (--max-lines N); then the run with its progress and its table of every item.
struct RunOptions {
    RunChoice choice;
    bool linesNamed = false;
};
bool runOption(Args& args, RunOptions& options);  // takes one when it is next
int checkAll(const RunOptions& options);
int clockAll(const RunOptions& options, const ClockChoice& clock);
int paramsAll(const RunOptions& options, DeviceTypeCode type, const std::vector<std::string>& assignments);
int downloadAll(const RunOptions& options, DeviceTypeCode type, const std::string& file, bool oldHardware);

// Refuses an address that names no line or module of the installation (message, false).
bool itemExists(const ItemRef& item);
std::string itemText(const ItemRef& item);
// A module type code the installation knows, else a usage error listing them.
DeviceTypeCode parseModuleType(const std::string& text);

}  // namespace lumo::cli
