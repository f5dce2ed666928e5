#pragma once
// "Upload" and "memory DUMP": a module's memory read into a file, and a dump written back.
// Results as base/action_result.h says.

#include <cstdint>
#include <functional>
#include <string>

#include "base/action_result.h"

namespace lumo {

// A start or a size beyond four hexadecimal digits (FFFF), which the messages carry, is refused
// before the line is opened ("Upload"); the dump's size is first cut to its 128 bytes.

// "Upload", before its dialogs: refused on a line and for the LOQ3, LOQ4 and PX700/ZB40E.
int uploadApplies(int lineIndex, int moduleNumber);
// The upload of `size` bytes from `start` of segment row `segment` into the file, as the
// background job; returns at once. `ended` gets the outcome on the job's thread. Its messages
// name no module: where other modules are recorded on the line the user is asked first (as
// for the dump and its write-back).
int startUpload(int lineIndex, int moduleNumber, int segment, std::uint32_t start, std::uint32_t size,
                const std::string& fileName, std::function<void(bool)> ended);

// "memory DUMP", before its dialog: refused on a line, without an editor in the configuration,
// and for the LOQ3 and LOQ4.
int memoryDumpApplies(int lineIndex, int moduleNumber, bool needsEditor = true);
// The dump's read: at most 128 bytes into "dump.$$$" of the data directory (its path in
// `dumpPath`), waited for.
int memoryDumpRead(int lineIndex, int moduleNumber, int segment, std::uint32_t start, std::uint32_t size,
                   std::string& dumpPath);
// The write-back of the first `size` bytes (at most 128) of the file, at the same start.
int memoryDumpWrite(int lineIndex, int moduleNumber, int segment, std::uint32_t start, std::uint32_t size,
                    const std::string& fileName);
// "memory DUMP" whole, after the dialog: the question of the line's other modules (once), the
// read, the configured editor started on the dump file (without a shell), the question
// "Zapsat změněná data ?", the write-back on Yes.
int memoryDump(int lineIndex, int moduleNumber, int segment, std::uint32_t start, std::uint32_t size);

}  // namespace lumo
