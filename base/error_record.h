#pragma once
// The pending error of the calling thread: the program's code and the system's last-error value
// together. Each thread has its own, so a job on a worker thread keeps its error until it hands
// it to its reporter, and nothing the user-interface thread clears can touch it.

#include <cstdint>

#include "base/shared_types.h"

namespace lumo {

struct ErrorRecord {
    ErrorCode code = 0;
    std::uint32_t systemError = 0;  // the OS error of the failing call (errno, GetLastError)

    bool empty() const { return code == 0 && systemError == 0; }
    bool operator==(const ErrorRecord&) const = default;
};

// The calling thread's pending code: set replaces it, combine ors the caller's context and
// detail into it.
ErrorCode pendingError();
void setError(ErrorCode code);
void combineError(ErrorCode bits);
// Discards the pending failure: the code and the system's last-error value both go.
void clearError();

// The calling thread's record (code and system error value), left clear behind.
ErrorRecord takeError();
// The calling thread's record, left as it is.
ErrorRecord currentError();

}  // namespace lumo
