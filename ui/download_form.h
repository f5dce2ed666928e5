#pragma once
// "Download" as a form: the image file chosen, then the warning with the hardware version where
// the type has older hardware, passed by "Pokračovat".

#include <array>
#include <functional>
#include <string>

#include "ui/form_field.h"

namespace lumo {

class DownloadForm {
public:
    // Before the warning shows: refused where a download does not apply (told); the image file
    // chosen (none: the warning is not shown either). Then the warning's three lines.
    bool open(int lineIndex, int moduleNumber);

    // "Pokračovat" closes the warning, and `finish` goes on; "Návrat" ends the download.
    int pressContinue() { return 1; }
    int pressBack() { return 0; }
    // After "Pokračovat": the download started as the background job, which tells its own
    // outcome ("Download"). 1 when it started.
    int finish();

    // The window's choice of a file by its mode (actions/config_actions.h): 1 and the path, or 0.
    std::function<int(std::string& chosen, int mode)> chooseFile;

    std::array<std::string, 3> warning;
    // Only the TQ300 and TQ310 come with older hardware that loads 0x8000 higher: "verze HW
    // starší než 8 ", enabled; for the others a disabled "Verze".
    FormField version;
    bool olderHardware = false;

private:
    int lineIndex_ = 0, moduleNumber_ = 0;
    std::string path_;
};

}  // namespace lumo
