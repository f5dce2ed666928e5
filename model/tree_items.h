#pragma once
// The items of the installation tree, built from the record files: one root per existing line,
// one child per module record 1-32. The desktop tree and `lumo-ctl list` both show these.

#include <string>
#include <vector>

#include "model/records.h"

namespace lumo {

struct TreeItem {
    unsigned key = 0;      // line index x 256 + module record number (0 = the line)
    int lineIndex = 0;
    int moduleNumber = 0;  // 0 = the line itself
    std::string label;     // the record's description
    int image = 0;         // index into the tree's image list
    DeviceTypeCode type = 0;  // head type of a line, type of a module
    std::uint8_t id = 0;      // ID address of a module
    std::uint8_t flags = 0;
};

// Image indexes: a line 0/2/4/6 by head type (+1 with any flag), a module 10 ok, 11 not
// responding, 12 other flags, 13 switched off.
int lineImage(const LineRecord& line);
int moduleImage(std::uint8_t flags);
// The image of either record kind (a module record has a non-zero second byte).
int recordImage(const RecordImage& record);

// With `activeOnly`, a line with any flag is left out with all its modules, and a module shows
// only while its flags are below 2 (a not-responding module stays). A missing "line.cfg" is no
// line and a missing "terminal.dat" no modules; a file that is there but cannot be read is left
// out too, and `problems` (when given) gets the message that names it.
std::vector<TreeItem> buildTreeItems(bool activeOnly, std::vector<std::string>* problems = nullptr);

}  // namespace lumo
