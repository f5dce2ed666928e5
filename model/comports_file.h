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

std::string comportsFilePath(const std::string& folder);

// "comports.cfg" of the folder, read whole; a missing file is an empty one. False, with `file`
// empty, when it is there but cannot be read (not a regular file, a symbolic link, no
// permission) or is longer than platform::kMaxComportsFile: an entry cut at the limit would
// name another device. `problem` (when given) then gets the message that names the file.
bool loadComports(const std::string& folder, ComportsFile& file, std::string* problem = nullptr);
// Replaces the file whole: a reader never meets a torn entry, and a failure leaves it as it was.
bool saveComports(const std::string& folder, const ComportsFile& file);

// The device COM<n> names: the file's entry, else the system's own name for it. When the file
// is there but cannot be read, no device: empty, after a message that names the file (the
// system's name could be another device than the one the file gives).
std::string comportsDevicePath(int comNumber, const std::string& folder);

}  // namespace lumo
