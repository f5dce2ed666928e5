#pragma once
// "comports.cfg" in the working directory: which device each COM number of the panel names
// ("COM3=/dev/ttyUSB0", one a line). This module alone reads and writes its format; lines it
// does not understand are kept as they are.

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace lumo {

struct ComportsFile {
    std::map<int, std::string> ports;  // COM number -> device path
    std::vector<std::string> otherLines;

    // The number of the entry that names `device`, or 0.
    int numberOf(const std::string& device) const;
    // The lowest COM number from 1 on that neither the file nor `taken` uses.
    int freeNumber(const std::vector<int>& taken = {}) const;
};

ComportsFile parseComports(std::string_view text);
std::string formatComports(const ComportsFile& file);

// "comports.cfg" of the folder; a missing file is an empty one. False when it cannot be read.
bool loadComports(const std::string& folder, ComportsFile& file);
// Replaces the file whole: a reader never meets a torn entry, and a failure leaves it as it was.
bool saveComports(const std::string& folder, const ComportsFile& file);

// The device COM<n> names: the file's entry, else the system's own name for it.
std::string comportsDevicePath(int comNumber, const std::string& folder);

}  // namespace lumo
