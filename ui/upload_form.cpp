#include "ui/upload_form.h"

#include <cstdio>

#include "actions/memory_actions.h"
#include "platform/system_error.h"
#include "service/memory_transfer.h"
#include "ui/field_rules.h"

namespace lumo {
namespace {

// 0xC00 as the list shows it: upper-case digits after a lower-case "0x".
std::string listHex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
    return text;
}

std::string fieldHex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(value));
    return text;
}

}  // namespace

UploadForm::UploadForm() {
    for (const MemorySegment& s : memorySegments()) segments.push_back({s.name, listHex(s.start), listHex(s.size)});
}

bool UploadForm::open(int lineIndex, int moduleNumber, bool dump) {
    lineIndex_ = lineIndex;
    moduleNumber_ = moduleNumber;
    dump_ = dump;
    platform::setLastSystemError(0);
    return actionDone(dump ? memoryDumpApplies(lineIndex, moduleNumber) : uploadApplies(lineIndex, moduleNumber));
}

void UploadForm::chooseSegment(int row) {
    segment = row >= 0 && row < static_cast<int>(segments.size()) ? row : -1;
    run.enabled = segment >= 0;
    if (segment < 0) return;
    const MemorySegment& s = memorySegments()[static_cast<std::size_t>(segment)];
    start.text = fieldHex(s.start);
    bytes.text = fieldHex(s.size);
}

int UploadForm::pressRun() {
    for (FormField* field : {&start, &bytes}) {
        const auto value = readHexField(field == &start ? "Start" : "Bytes", field->text);
        if (!value) {
            if (reselect) reselect(*field);
            return kFormStaysOpen;
        }
        (field == &start ? startValue_ : sizeValue_) = *value;
    }
    return 1;
}

int UploadForm::finish() {
    if (dump_) return actionDone(memoryDump(lineIndex_, moduleNumber_, segment, startValue_, sizeValue_)) ? 1 : 0;
    std::string path;
    if (!chooseFile || chooseFile(path, 0) != 1) return 0;
    // The job tells its own outcome ("Upload").
    return actionDone(startUpload(lineIndex_, moduleNumber_, segment, startValue_, sizeValue_, path, {})) ? 1 : 0;
}

}  // namespace lumo
