#pragma once
// Access to the lines within this process. Every operation on the lines takes a lease from here
// (a device check, a property sheet's read or write, a background job from its start to its
// end, a removal, a change of a line's settings, a switch); while one is held another is
// refused, from whichever front end, with one text. Between processes the exclusive port open
// and the record locks protect. Each lease carries its operation's own stop, so that stopping
// one operation never reaches another, nor one started later.
//
// The one departure: a whole-installation run of lumo-ctl (`check --all`, `clock --all`,
// `params --all`, `download --all`) holds the lease and divides it into parts, one per group of
// lines that share no port, so that the groups work at once; two parts never share a line, and
// every other operation stays refused while the run holds its lease.

#include <atomic>
#include <cstdint>
#include <memory>

namespace lumo {

// What a refused operation is told.
inline constexpr const char* kLinesBusyText = "Na pozadí již běží jiný proces. ";

// A set of lines: bit n for the line of index n.
using LineSet = std::uint16_t;
inline constexpr LineSet kEveryLine = 0xFFFF;
inline constexpr LineSet lineSetOf(int lineIndex) { return static_cast<LineSet>(1u << lineIndex); }

class LineLease {
public:
    LineLease() = default;
    ~LineLease();
    LineLease(LineLease&& other) noexcept;
    LineLease& operator=(LineLease&& other) noexcept;
    LineLease(const LineLease&) = delete;
    LineLease& operator=(const LineLease&) = delete;

    bool held() const { return stop_ != nullptr; }
    explicit operator bool() const { return held(); }
    // This operation's stop: asked by the user, seen by the operation's waits.
    bool stopRequested() const { return stop_ && stop_->load(); }
    void requestStop() const {
        if (stop_) stop_->store(true);
    }
    // Gives the lines back; the destructor does it on every way out.
    void release();

    // The lines this lease covers: every line, or a part's own.
    LineSet lines() const { return held() ? lines_ : 0; }
    bool isPart() const { return part_; }
    // A part of this lease for `lines`, for one line group of a whole-installation run; it
    // shares this lease's stop. Empty (silently) when this lease is no whole one held now, when
    // `lines` is empty, or when another part holds one of them. Given back before this lease.
    LineLease part(LineSet lines) const;

private:
    friend LineLease tryLineLease();
    std::shared_ptr<std::atomic<bool>> stop_;
    LineSet lines_ = 0;
    bool part_ = false;
};

// The lease, or an empty one (silently) while another operation holds it.
LineLease tryLineLease();
// The lease, or an empty one after the refusal kLinesBusyText in a box.
LineLease takeLineLease();
// True while an operation holds the lease.
bool lineLeaseHeld();
// Asks the operation that holds the lease to stop; nothing when none does.
void stopLineOperation();

// The lease's stop, seen from the thread that does the operation's work: while bound,
// operationContinues() says whether to go on (an operation whose line waits are to end early
// once stopped installs a LineWaitCheck with it, as the file transfer does).
class LeaseOnThisThread {
public:
    // `alsoWhile`, when given, is a flag that must stay non-zero too (the background job's).
    explicit LeaseOnThisThread(const LineLease& lease, const std::atomic<int>* alsoWhile = nullptr);
    ~LeaseOnThisThread();
    LeaseOnThisThread(const LeaseOnThisThread&) = delete;
    LeaseOnThisThread& operator=(const LeaseOnThisThread&) = delete;

private:
    const LineLease* replacedLease_;
    const std::atomic<int>* replacedFlag_;
};
// False once the stop of the lease bound to this thread is asked, or the program was
// interrupted; true on a thread without a lease that was not interrupted.
bool operationContinues();
// True when the lease bound to this thread covers the line (index 0-15).
bool lineHeldOnThisThread(int lineIndex);

// Ctrl-C in lumo-ctl: every operation stops, and none that starts later goes on. Safe in a
// signal handler (one lock-free store).
void interruptLineOperations();

}  // namespace lumo
