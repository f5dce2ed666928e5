#pragma once
// The one background job slot: long service operations (file transfer, communication test,
// download, upload) run their device work on a worker thread while the window stays usable.
// The user cancels through `jobRunning` (the toolbar's "Přerušit aktivní příkaz", the close
// question, Ctrl-C in lumo-ctl); the worker looks at it at every waiting point and ends through
// JobFinish, whatever the outcome. Workers talk to the user only through the UI port, which
// carries their calls over to the window's thread.

#include <cstdint>
#include <functional>
#include <string>

#include "comm/line_lease.h"

namespace lumo {

struct BackgroundJob {
    int mode = 0;                 // operation-specific: transfer direction, segment index
    std::uint32_t size = 0;       // bytes to move (upload, memory write)
    std::uint32_t startAddress = 0;
    std::string fileName;         // the file the job reads or writes
    int lineIndex = -1;           // the line the job works on; JobFinish closes it
    bool bindsNeighbourRow = false;  // a download's temporary neighbour-table row, removed at the end
};

// The slot's parameters, set by an operation's start function before JobStart.
BackgroundJob& backgroundJob();

// Starts `worker` as the job (one step below normal priority) and returns at once; the worker
// reports its own outcome and ends with JobFinish (called for it if it did not). The job holds
// the line lease from here to its end: the one its preparation held (`lease`), or a new one.
// Refused with the lease's text ("Na pozadí již běží jiný proces. ", false) while another
// operation holds it.
bool JobStart(std::function<void()> worker, LineLease lease = {});

// The common end of every worker: `jobRunning` cleared, the job's line closed (and a download's
// neighbour row removed), the progress bar hidden, the lease given back, the slot free.
void JobFinish();

// True from JobStart until the worker has finished.
bool jobActive();
// False, after the lease's refusal message, while an operation holds the lines: an operation's
// start function asks this before it touches the slot's parameters.
bool jobSlotFree();
// True while the job is meant to go on (`jobRunning`, and its lease not stopped): the worker
// asks at each waiting point.
bool jobContinues();
// Asks the job to stop (`jobRunning` = 0); nothing else. Safe in a signal handler.
void jobCancel();
// Waits until the worker has ended (lumo-ctl after starting a job; shutdown).
void JobWait();

// The progress bar in the status bar, through the UI port. Without a bar shown, the range and
// the step do nothing.
void ProgressShow(const std::string& text);
void ProgressSetRange(int count);
void ProgressStep();
void ProgressHide();

}  // namespace lumo
