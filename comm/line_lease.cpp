#include "comm/line_lease.h"

#include <mutex>

#include "base/ui_port.h"

namespace lumo {
namespace {

struct Leases {
    std::mutex mutex;
    int held = 0;
    std::weak_ptr<std::atomic<bool>> holderStop;  // the stop of the latest holder
    LineSet partLines = 0;                        // the lines the parts of the holder's lease hold
};

Leases& leases() {
    static Leases l;
    return l;
}

// The policy, in one place. One operation at a time on the lines of this process: a lease
// covers every line and is admitted while no other is held, from whichever front end.
bool admitsAnother(const Leases& l) { return l.held == 0; }

// A lease per line set, only inside a whole-installation run: the holder of the lease may take
// parts of it, and a part is admitted while no other part holds one of its lines. Each line's
// port entry is then used by one thread alone; lines that share a port are one set.
bool admitsPart(const Leases& l, const std::shared_ptr<std::atomic<bool>>& wholeStop, LineSet lines) {
    return lines != 0 && l.held == 1 && l.holderStop.lock() == wholeStop && (l.partLines & lines) == 0;
}

thread_local const LineLease* leaseOfThisThread = nullptr;
thread_local const std::atomic<int>* flagOfThisThread = nullptr;
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

}  // namespace

LineLease::~LineLease() { release(); }

LineLease::LineLease(LineLease&& other) noexcept
    : stop_(std::move(other.stop_)), lines_(other.lines_), part_(other.part_) {}

LineLease& LineLease::operator=(LineLease&& other) noexcept {
    if (this != &other) {
        release();
        stop_ = std::move(other.stop_);
        lines_ = other.lines_;
        part_ = other.part_;
    }
    return *this;
}

void LineLease::release() {
    if (!stop_) return;
    Leases& l = leases();
    const std::lock_guard lock(l.mutex);
    if (part_) {
        l.partLines = static_cast<LineSet>(l.partLines & ~lines_);
    } else {
        --l.held;
        l.partLines = 0;
    }
    stop_.reset();
}

LineLease tryLineLease() {
    Leases& l = leases();
    const std::lock_guard lock(l.mutex);
    LineLease lease;
    if (!admitsAnother(l)) return lease;
    ++l.held;
    lease.stop_ = std::make_shared<std::atomic<bool>>(false);
    lease.lines_ = kEveryLine;
    l.holderStop = lease.stop_;
    l.partLines = 0;
    return lease;
}

LineLease LineLease::part(LineSet lines) const {
    LineLease piece;
    if (!stop_ || part_) return piece;
    Leases& l = leases();
    const std::lock_guard lock(l.mutex);
    if (!admitsPart(l, stop_, lines)) return piece;
    l.partLines = static_cast<LineSet>(l.partLines | lines);
    piece.stop_ = stop_;
    piece.lines_ = lines;
    piece.part_ = true;
    return piece;
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

bool lineHeldOnThisThread(int lineIndex) {
    return leaseOfThisThread != nullptr && (leaseOfThisThread->lines() & lineSetOf(lineIndex)) != 0;
}

void interruptLineOperations() { interrupted.store(true); }

}  // namespace lumo
