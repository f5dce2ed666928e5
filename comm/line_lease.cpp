#include "comm/line_lease.h"

#include <mutex>

#include "base/ui_port.h"

namespace lumo {
namespace {

struct Leases {
    std::mutex mutex;
    int held = 0;
    std::weak_ptr<std::atomic<bool>> holderStop;  // the stop of the latest holder
};

Leases& leases() {
    static Leases l;
    return l;
}

// The policy: how many operations may work on the lines of this process at once. One, for the
// whole program: the operations share the line table and its settings.
bool admitsAnother(int held) { return held == 0; }

thread_local const LineLease* leaseOfThisThread = nullptr;
thread_local const std::atomic<int>* flagOfThisThread = nullptr;
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

}  // namespace

LineLease::~LineLease() { release(); }

LineLease::LineLease(LineLease&& other) noexcept : stop_(std::move(other.stop_)) {}

LineLease& LineLease::operator=(LineLease&& other) noexcept {
    if (this != &other) {
        release();
        stop_ = std::move(other.stop_);
    }
    return *this;
}

void LineLease::release() {
    if (!stop_) return;
    Leases& l = leases();
    const std::lock_guard lock(l.mutex);
    --l.held;
    stop_.reset();
}

LineLease tryLineLease() {
    Leases& l = leases();
    const std::lock_guard lock(l.mutex);
    LineLease lease;
    if (!admitsAnother(l.held)) return lease;
    ++l.held;
    lease.stop_ = std::make_shared<std::atomic<bool>>(false);
    l.holderStop = lease.stop_;
    return lease;
}

LineLease takeLineLease() {
    LineLease lease = tryLineLease();
    if (!lease) uiMessage("Upozornění", kLinesBusyText, MessageIcon::Warning);
    return lease;
}

bool lineLeaseHeld() {
    Leases& l = leases();
    const std::lock_guard lock(l.mutex);
    return l.held > 0;
}

void stopLineOperation() {
    Leases& l = leases();
    const std::lock_guard lock(l.mutex);
    if (const auto stop = l.holderStop.lock()) stop->store(true);
}

LeaseOnThisThread::LeaseOnThisThread(const LineLease& lease, const std::atomic<int>* alsoWhile)
    : replacedLease_(leaseOfThisThread), replacedFlag_(flagOfThisThread) {
    leaseOfThisThread = &lease;
    flagOfThisThread = alsoWhile;
}

LeaseOnThisThread::~LeaseOnThisThread() {
    leaseOfThisThread = replacedLease_;
    flagOfThisThread = replacedFlag_;
}

bool operationContinues() {
    if (interrupted.load()) return false;
    if (flagOfThisThread != nullptr && flagOfThisThread->load() == 0) return false;
    return leaseOfThisThread == nullptr || !leaseOfThisThread->stopRequested();
}

void interruptLineOperations() { interrupted.store(true); }

}  // namespace lumo
