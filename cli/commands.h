#pragma once
// The lumo-ctl commands. Each takes the words after its name and returns the exit status.

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

// Refuses an address that names no line or module of the installation (message, false).
bool itemExists(const ItemRef& item);
std::string itemText(const ItemRef& item);

}  // namespace lumo::cli
