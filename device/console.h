#pragma once
// The command console: a typed protocol command, cleaned up, split and sent to a module.

#include <string>

#include "base/app_state.h"
#include "comm/transaction.h"

namespace lumo {

// A leading '#' goes; then every '#', '$' and '*' becomes a blank, and so does a '+' that stands
// less than three characters after the last '#' or '$' (or the start). A pasted frame
// "#CFG$8+P203+P318*" becomes "CFG 8 P203+P318 ".
std::string ConsoleLineClean(const std::string& text);

// "INSTR SUBINSTR DATA": the name (first three characters), the sub-instruction as written on
// the wire (none without a blank after the name), and the data text after the second blank.
struct ConsoleCommand {
    std::string name;
    SubInstruction subInstruction = sub::kNone;  // the number written is the wire digit
    std::string data;
};
ConsoleCommand splitConsoleLine(const std::string& text);

// Sends a console command to module record `moduleNumber` of a line: with data no answer is
// awaited, without data the answer (at most 256 bytes) comes back in `answer`; after a failed
// exchange `answer` holds the bytes that came with the failure. The transaction's result (an
// ErrorCode when its top byte is set).
std::uint32_t consoleSend(int lineIndex, int moduleNumber, const std::string& text, std::string& answer);

// An answer as text: bytes below 0x20 or above 0x7e as \xNN.
std::string escapeNonPrintable(const std::string& bytes);

}  // namespace lumo
