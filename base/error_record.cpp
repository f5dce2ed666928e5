#include "base/error_record.h"

#include "platform/system_error.h"

namespace lumo {
namespace {
thread_local ErrorCode pending = 0;
}

ErrorCode pendingError() { return pending; }
void setError(ErrorCode code) { pending = code; }
void combineError(ErrorCode bits) { pending |= bits; }

void clearError() {
    pending = 0;
    platform::setLastSystemError(0);
}

ErrorRecord currentError() { return {pending, platform::lastSystemError()}; }

ErrorRecord takeError() {
    const ErrorRecord record = currentError();
    clearError();
    return record;
}

}  // namespace lumo
