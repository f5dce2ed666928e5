#include "service/jobs.h"

#include <atomic>
#include <mutex>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "base/app_state.h"
#include "base/ui_port.h"
#include "comm/line_port.h"
#include "discovery/neighbour_binding.h"
#include "model/installation.h"
#include "platform/process.h"

namespace lumo {
namespace {

struct Slot {
    std::mutex mutex;  // guards the thread object (start, join); the flags are atomic
    std::thread thread;
    std::atomic<bool> active{false};
    std::atomic<bool> finished{true};  // JobFinish ran for the current job
    std::atomic<bool> barShown{false};
    LineLease lease;  // the job's, from its start to JobFinish
};

Slot& slot() {
    static Slot s;
    return s;
}

}  // namespace

BackgroundJob& backgroundJob() {
    static BackgroundJob job;
    return job;
}

bool JobStart(std::function<void()> worker, LineLease lease) {
    Slot& s = slot();
    std::lock_guard lock(s.mutex);
    // One operation on the lines at a time: the menu offers the service commands during a job,
    // the lease refuses them.
    if (!lease) lease = takeLineLease();
    if (!lease) return false;
    if (s.thread.joinable()) s.thread.join();  // the previous worker has ended
    s.lease = std::move(lease);
    s.active = true;
    s.finished = false;
    appState().jobRunning = 1;
    try {
        s.thread = std::thread([worker = std::move(worker)] {
            const LeaseOnThisThread bound(slot().lease, &appState().jobRunning);
            platform::lowerThreadPriority();
            try {
                worker();
            } catch (const std::exception& e) {
                uiMessage("Chyba", std::string("Proces na pozadí skončil chybou: ") + e.what(), MessageIcon::Error);
            }
            // The lines come back whatever the worker did.
            if (!slot().finished) JobFinish();
        });
    } catch (const std::system_error&) {
        // No thread for the job: nothing holds the lines.
        appState().jobRunning = 0;
        s.finished = true;
        s.lease.release();
        s.active = false;
        uiMessage("Chyba", "Proces na pozadí nelze spustit. ", MessageIcon::Error);
        return false;
    }
    return true;
}

void JobFinish() {
    Slot& s = slot();
    appState().jobRunning = 0;
    BackgroundJob& job = backgroundJob();
    if (job.lineIndex >= 0) {
        LineClose(job.lineIndex);
        if (job.bindsNeighbourRow) {
            LineRecord line;
            if (readLineRecord(job.lineIndex, line)) RemoveArpEntry(line);
            clearError();
        }
    }
    job.bindsNeighbourRow = false;  // the next job (an upload, a test) made no row
    ProgressHide();
    s.finished = true;
    s.lease.release();
    s.active = false;
}

bool jobActive() { return slot().active; }

bool jobSlotFree() {
    if (!lineLeaseHeld()) return true;
    uiMessage("Upozornění", kLinesBusyText, MessageIcon::Warning);
    return false;
}

bool jobContinues() { return appState().jobRunning != 0 && operationContinues(); }

void jobCancel() { appState().jobRunning = 0; }

void JobWait() {
    Slot& s = slot();
    std::lock_guard lock(s.mutex);
    if (s.thread.joinable()) s.thread.join();
}

// A whole-installation run's lines keep their texts: their progress would draw over the run's
// rows, and the bar is the job's, not theirs.
void ProgressShow(const std::string& text) {
    if (uiTextsKeptOnThisThread()) return;
    slot().barShown = true;
    if (uiPort().progressShow) uiPort().progressShow(text);
}

void ProgressSetRange(int count) {
    if (uiTextsKeptOnThisThread()) return;
    if (slot().barShown && uiPort().progressSetRange) uiPort().progressSetRange(count & 0xFFFF);
}

void ProgressStep() {
    if (uiTextsKeptOnThisThread()) return;
    if (slot().barShown && uiPort().progressStep) uiPort().progressStep();
}

void ProgressHide() {
    if (uiTextsKeptOnThisThread()) return;
    if (!slot().barShown.exchange(false)) return;
    if (uiPort().progressHide) uiPort().progressHide();
}

}  // namespace lumo
