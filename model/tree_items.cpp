#include "model/tree_items.h"

#include "base/app_state.h"
#include "model/installation.h"
#include "model/record_file.h"

namespace lumo {

int lineImage(const LineRecord& line) {
    int base = 0;
    switch (line.headType()) {
        case 11: base = 2; break;
        case 12: base = 4; break;
        case 13:
        case 16: base = 6; break;
        default: base = 0; break;
    }
    return base + (line.flags() != 0 ? 1 : 0);
}

int moduleImage(std::uint8_t f) {
    if (f & flags::kModuleOff) return 13;
    if (f == flags::kNotResponding) return 11;
    return f == 0 ? 10 : 12;
}

int recordImage(const RecordImage& record) {
    if (record.secondByte() != 0) return moduleImage(record.flags());
    LineRecord line;
    line.bytes = record.bytes;
    return lineImage(line);
}

namespace {

// After a failed read: the message of a file that is there but cannot be read is kept.
bool noteUnreadable(const std::string& path, std::vector<std::string>* problems) {
    const bool unreadable = readFailureOf(path) == ReadFailure::Unreadable;
    if (unreadable && problems != nullptr) problems->push_back(unreadableFileText(path));
    clearError();
    return unreadable;
}

}  // namespace

std::vector<TreeItem> buildTreeItems(bool activeOnly, std::vector<std::string>* problems) {
    std::vector<TreeItem> items;
    for (int n = 1; n <= kMaxLines; ++n) {
        const int lineIndex = n - 1;
        LineRecord line;
        if (!readLineRecord(lineIndex, line)) {
            noteUnreadable(lineConfigPath(n), problems);
            continue;
        }
        if (!line.exists()) continue;
        if (activeOnly && line.flags() != 0) continue;
        items.push_back({itemKey(lineIndex, 0), lineIndex, 0, line.description(), lineImage(line),
                         line.headType(), 0, line.flags()});
        for (int k = 1; k <= kMaxModulesShown; ++k) {
            ModuleRecord module;
            if (!readModuleRecord(lineIndex, k, module)) {
                if (noteUnreadable(moduleFilePath(n), problems)) break;
                continue;
            }
            if (!module.used()) continue;
            if (activeOnly && module.flags() >= 2) continue;
            items.push_back({itemKey(lineIndex, k), lineIndex, k, module.description(),
                             moduleImage(module.flags()), module.type(), module.id(), module.flags()});
        }
    }
    return items;
}

}  // namespace lumo
