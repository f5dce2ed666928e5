#pragma once
// "Upload segment" as a form: the memory segment, its start and the number of bytes chosen for
// "Upload" (read into a file, as the background job) or "memory DUMP" (into the configured
// editor and back).

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "ui/form_field.h"

namespace lumo {

class UploadForm {
public:
    UploadForm();

    // Before the dialog shows: refused where "Upload" (`dump` false) or "memory DUMP" does not
    // apply, the refusal told. False: the dialog is not shown.
    bool open(int lineIndex, int moduleNumber, bool dump);
    // A row of `segments` chosen (-1: none): its start and size into the fields. A request
    // without its segment's head means nothing to a device: "Spustit" only with a row.
    void chooseSegment(int row);

    // "Spustit": "Start" and "Bytes" each need a hexadecimal number (ui/field_rules.h); the first
    // that holds none is refused in a box naming the field, with the focus back, and nothing is
    // sent. Otherwise the dialog closes, and `finish` goes on.
    int pressRun();
    int pressClose() { return 0; }
    // After the dialog closed by "Spustit": the upload's file chosen and the upload started as the
    // background job, which tells its own outcome; or the dump whole. 1 when it went.
    int finish();

    // The window's ways of putting the focus back into a field, its text selected, and of
    // choosing a file by its mode (actions/config_actions.h): 1 and the path, or 0.
    std::function<void(const FormField&)> reselect;
    std::function<int(std::string& chosen, int mode)> chooseFile;

    std::vector<std::array<std::string, 3>> segments;  // per row: name, start and size ("0xC00")
    int segment = -1;
    FormField start{{}, true, false, 9}, bytes{{}, true, false, 9};
    FormField run{"Spustit", false};

private:
    int lineIndex_ = 0, moduleNumber_ = 0;
    bool dump_ = false;
    std::uint32_t startValue_ = 0, sizeValue_ = 0;
};

}  // namespace lumo
