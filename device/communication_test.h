#pragma once
// The communication test: the same request to a module again and again ("&ML_nn", 50 ms,
// "#INF", 10 ms, "$4+"; no answer awaited, the module never released) until the job is told to
// stop or a request cannot be sent.

#include <cstdint>
#include <functional>
#include <string>

namespace lumo {

// Runs the test on the calling thread (a job's worker): "Start...." first, then per cycle
// "Test INF 7 ... " with " \r\n" "Test ukončen.... " after a request that went out, or with
// "Chyba při testu ! " after one that did not (its code left pending: the test ends). Waits
// 100 ms between cycles and asks `goOn` (the job's switch) before each. The line is closed at
// the end. The result of the last request.
std::uint32_t runCommunicationTest(int lineIndex, std::uint8_t id, const std::function<void(const std::string&)>& output,
                                   const std::function<bool()>& goOn);

}  // namespace lumo
