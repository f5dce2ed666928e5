#pragma once
// An installation for a program without a test fixture (the benchmarks): the working and data
// directory in `dir`, no user (the UI port answers nothing), and line 1 on the simulator's COM3
// at 19200 bit/s, its record written and its port set up.

#include <filesystem>

namespace lumo::test {

void useSimulatedSerialLine(const std::filesystem::path& dir);
// A module record with its ID address and type at slot `k` of the line.
bool addModuleRecord(int lineIndex, int k, int id, int type);

}  // namespace lumo::test
