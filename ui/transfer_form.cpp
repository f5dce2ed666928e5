#include "ui/transfer_form.h"

#include "actions/device_actions.h"
#include "model/program_config.h"
#include "platform/system_error.h"

namespace lumo {

bool TransferForm::open(int lineIndex, int moduleNumber, bool send) {
    if (moduleNumber == 0) {
        startFileTransfer(lineIndex, 0, send, "", "", {});
        return false;
    }
    lineIndex_ = lineIndex;
    moduleNumber_ = moduleNumber;
    send_ = send;
    platform::setLastSystemError(0);
    loadConsoleLines();  // "cmd.dat": its instruction field holds no more than the field takes
    instruction.text = commandFile().dllInstruction();
    if (instruction.text.empty()) instruction.text = "0";
    file.text = commandFile().transferFileName();
    if (file.text.empty()) file.text = "data.txt";
    return true;
}

void TransferForm::pressBrowse() {
    std::string chosen;
    if (chooseFile && chooseFile(chosen, 3) == 1) file.text = chosen;
}

int TransferForm::pressSend() {
    return actionDone(startFileTransfer(lineIndex_, moduleNumber_, send_, instruction.text, file.text, {})) ? 1
                                                                                                          : kFormStaysOpen;
}

}  // namespace lumo
