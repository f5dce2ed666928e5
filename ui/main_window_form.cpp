#include "ui/main_window_form.h"

#include <cstdio>

#include "base/error_record.h"
#include "model/device_catalog.h"
#include "model/installation.h"
#include "model/records.h"
#include "ui/command_ids.h"

namespace lumo {
namespace {

// Commands the window stays open to while busy.
bool keptWhileBusy(int id, bool stoppable) {
    return id == cmd::kExit || id == cmd::kAbout || (stoppable && id == cmd::kToolStopJob);
}

// The "Servis" items whose operations are built follow the selection's record.
bool followsServisRule(int id) {
    return id == cmd::kResetApplication || id == cmd::kResetMaster || id == cmd::kTest || id == cmd::kUpload ||
           id == cmd::kMemoryDump;
}

}  // namespace

void MainWindowForm::select(int lineIndex, int moduleNumber) {
    line_ = lineIndex;
    module_ = moduleNumber;
    hasSelection_ = true;
    reread();
}

void MainWindowForm::reread() {
    std::uint8_t byte132 = 0;
    if (module_ == 0) {
        LineRecord line;
        if (readLineRecord(line_, line)) byte132 = line.u8(132);
    } else {
        ModuleRecord module;
        if (readModuleRecord(line_, module_, module)) byte132 = module.u8(132);
    }
    clearError();  // a record that cannot be read leaves the submenu grayed, nothing more
    servis_ = servisMenuState(module_ != 0, byte132);
}

void MainWindowForm::setBusy(bool busy, bool stoppable) {
    busy_ = busy;
    stoppable_ = busy && stoppable;
}

bool MainWindowForm::commandEnabled(int id) const {
    if (busy_) return keptWhileBusy(id, stoppable_);
    if (id == cmd::kBackup) return false;  // not built
    if (followsServisRule(id)) return servis_.memoryItems;
    return true;
}

MainWindowForm::Properties MainWindowForm::propertiesFor() const {
    if (!hasSelection_) return Properties::None;
    if (module_ != 0) return Properties::Sheet;
    LineRecord line;
    if (!readLineRecord(line_, line)) {
        clearError();
        return Properties::None;
    }
    return line.headType() == head::kTcpConverter ? Properties::TcpLine : Properties::Line;
}

bool MainWindowForm::commandRuns(int id) const { return !busy_ || keptWhileBusy(id, stoppable_); }

std::string MainWindowForm::clockText(int hour, int minute, int second) {
    char text[16];
    std::snprintf(text, sizeof text, "%2d:%02d:%02d", hour % 100, minute % 100, second % 100);
    return text;
}

}  // namespace lumo
