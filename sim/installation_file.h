#pragma once
// The simulator's installation file: one module per line,
//
//   <serial|tcp> <id> <type> [serial=DDDDDDTTSSSS] [version=1.23] [text=...] [mark=KO]
//                            [history=N] [c1=N ... c5=N] [fault ...]
//
// faults: silent, garbage, badcrc, trailing, endless, drop=N (silent after N instructions),
// slow=MS. `mark` is what a tunnelled answer starts with. history=N starts the module with N
// history records (its counter C5); c1=N ... c5=N set a counter (-1: the module has none).
// '#' starts a comment; blank lines are skipped.

#include <cstddef>
#include <string>
#include <vector>

#include "sim/sim_module.h"

namespace lumo::sim {

struct Installation {
    std::vector<SimModule> serial;
    std::vector<SimModule> tcp;
};

// An installation file is a regular file of at most this many bytes.
inline constexpr std::size_t kMaxInstallationFile = 1024 * 1024;

// False with a message naming the line when the file cannot be read or a line is wrong.
bool loadInstallation(const std::string& path, Installation& out, std::string& error);
// The same for the file's text.
bool parseInstallation(const std::string& text, Installation& out, std::string& error);
bool parseInstallationLine(const std::string& line, Installation& out, std::string& error);

}  // namespace lumo::sim
