#pragma once
// The wire trace a technician sends when a device misbehaves: every frame sent to and received
// from a line, one frame a line of text, with the milliseconds since the trace began, the line
// number, the direction and the bytes in hexadecimal beside their printable text:
//
//   1234.567 L1 -> 26 4d 4c 5f 30 35                                |&ML_05|
//   1290.102 L1 <- 21 31 30 30 30 30 30 30 34 30 30 30 35 56 31 2e  |!10000004...|
//
// A frame is what one send wrote (a tunnel header is a frame of its own) or what one receive
// took; a failed receive is traced with what came before it, marked "(failed)".

#include <cstddef>
#include <cstdint>
#include <string>

namespace lumo {

// Starts writing the trace to `path` (appended to it; created when missing). The file is opened
// as every data file is: a regular file only, never through a symbolic link, never waiting (a
// FIFO or a device is refused). False when it cannot be opened or its first line cannot be
// written (the system's error value tells why). A write that fails later (a full disk) is said
// once, and the trace ends there.
bool startWireTrace(const std::string& path);
void stopWireTrace();
bool wireTraceOn();

enum class WireDirection { Sent, Received };
// One frame of a line (index 0-15). Nothing when no trace runs.
void traceFrame(int lineIndex, WireDirection direction, const std::uint8_t* bytes, std::size_t count,
                bool failed = false);

// The text of one trace line (without the time and the line end), for the trace and its tests.
std::string traceLine(int lineIndex, WireDirection direction, const std::uint8_t* bytes, std::size_t count,
                      bool failed);

}  // namespace lumo
