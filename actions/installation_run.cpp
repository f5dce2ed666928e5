#include "actions/installation_run.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <exception>
#include <mutex>
#include <thread>

#include "base/action_result.h"
#include "base/app_state.h"
#include "base/error_report.h"
#include "base/ui_port.h"
#include "comm/line_buses.h"
#include "actions/download_actions.h"
#include "actions/property_sheet.h"
#include "model/installation.h"
#include "model/tree_items.h"
#include "service/firmware_download.h"

namespace lumo {
namespace {

// One line of text: line ends and tabs become blanks, a run of blanks one, blanks at the ends go.
std::string oneLine(const std::string& text) {
    std::string line;
    for (char c : text) {
        if (c == '\r' || c == '\n' || c == '\t') c = ' ';
        if (c == ' ' && (line.empty() || line.back() == ' ')) continue;
        line += c;
    }
    if (!line.empty() && line.back() == ' ') line.pop_back();
    return line;
}

std::string messageOf(const UiTextsOnThisThread& texts) {
    std::string message;
    for (const std::string& m : texts.messages) {
        const std::string line = oneLine(m);
        if (!line.empty()) message += (message.empty() ? "" : " / ") + line;
    }
    return message.empty() ? oneLine(texts.status) : message;
}

// One module's work, on a thread that holds its line.
// It may mark the item (a download's device left in its loader); its texts become the message.
using ItemWork = std::function<ItemResult(RunItem& item)>;

constexpr int kAnyType = -1;

// The items of the chosen lines (of one type, or any), in line and record order; switched-off
// ones marked so.
std::vector<RunItem> plannedItems(LineSet lines, int onlyType) {
    std::vector<std::string> problems;
    std::vector<RunItem> items;
    bool lineOff = false;
    for (const TreeItem& t : buildTreeItems(false, &problems)) {
        if ((lineSetOf(t.lineIndex) & lines) == 0) continue;
        if (t.moduleNumber == 0) {
            lineOff = (t.flags & flags::kLineOff) != 0;
            continue;
        }
        if (onlyType != kAnyType && t.type != onlyType) continue;
        RunItem item;
        item.lineIndex = t.lineIndex;
        item.moduleNumber = t.moduleNumber;
        item.id = t.id;
        item.type = t.type;
        if (lineOff || (t.flags & flags::kModuleOff) != 0) item.result = ItemResult::Off;
        items.push_back(item);
    }
    // What could not be read is not left out without a word.
    for (const std::string& problem : problems) uiMessage("CHYBA !", problem, MessageIcon::Error);
    return items;
}

int runOverInstallation(const RunChoice& choice, const ItemWork& work, const RunProgress& progress,
                        std::vector<RunItem>& items, int onlyType = kAnyType) {
    const LineLease whole = takeLineLease();
    if (!whole) return kActionRefused;
    items = plannedItems(choice.lines, onlyType);
    LineSet busy = 0;  // the lines with work to do
    for (const RunItem& item : items) {
        if (item.result != ItemResult::Off) busy = static_cast<LineSet>(busy | lineSetOf(item.lineIndex));
    }
    const std::vector<std::vector<int>> groups = lineGroups(busy);
    std::mutex told;
    const auto tell = [&](const RunItem& item, bool started) {
        if (!progress) return;
        const std::lock_guard lock(told);
        progress(item, started);
    };
    std::atomic<std::size_t> nextGroup{0};
    const auto worker = [&] {
        for (std::size_t g; (g = nextGroup++) < groups.size();) {
            LineSet set = 0;
            for (const int line : groups[g]) set = static_cast<LineSet>(set | lineSetOf(line));
            const LineLease part = whole.part(set);
            if (!part) continue;  // never: the groups share no line
            const LeaseOnThisThread bound(part);
            for (const int line : groups[g]) {
                for (RunItem& item : items) {
                    if (item.lineIndex != line || item.result == ItemResult::Off) continue;
                    // No further module once the run is stopped: the rest stay not done.
                    if (!operationContinues()) break;
                    tell(item, true);
                    RunItem done = item;
                    {
                        const UiTextsOnThisThread texts;
                        // A fault in one module's work is that item's, not the end of the
                        // program: the thread goes on with the line's next module.
                        try {
                            done.result = work(done);
                            done.message = messageOf(texts);
                        } catch (const std::exception& e) {
                            done.result = ItemResult::Failed;
                            done.message = e.what();
                        }
                    }
                    item = done;
                    tell(item, false);
                }
            }
        }
    };
    const std::size_t atOnce =
        std::min(groups.size(), static_cast<std::size_t>(std::clamp(choice.maxAtOnce, 1, kMaxLines)));
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < atOnce; ++i) threads.emplace_back(worker);
    for (std::thread& t : threads) t.join();
    const bool allDone = std::all_of(items.begin(), items.end(), [](const RunItem& item) {
        return item.result == ItemResult::Done || item.result == ItemResult::Off;
    });
    return allDone ? kActionDone : kActionFailed;
}

// An action's result as the item's: a refusal after a stop is the stop's.
ItemResult resultOf(int actionResult) {
    if (actionDone(actionResult)) return ItemResult::Done;
    return actionResult == kActionRefused && !operationContinues() ? ItemResult::Stopped : ItemResult::Failed;
}

}  // namespace

int checkInstallation(const RunChoice& choice, const RunProgress& progress, std::vector<RunItem>& items) {
    return runOverInstallation(
        choice,
        [](const RunItem& item) {
            const ItemResult result = resultOf(checkItemOnHeldLine(item.lineIndex, item.moduleNumber));
            if (result != ItemResult::Done) return result;
            // The check is done whatever the module said; the run asks whether it works.
            ModuleRecord module;
            if (!readModuleRecord(item.lineIndex, item.moduleNumber, module)) {
                reportError();
                return ItemResult::Failed;
            }
            return (module.flags() & (flags::kNotResponding | flags::kOtherType)) != 0 ? ItemResult::Failed
                                                                                      : ItemResult::Done;
        },
        progress, items);
}

int setInstallationClocks(const RunChoice& choice, const ClockChoice& clock, const RunProgress& progress,
                          std::vector<RunItem>& items) {
    return runOverInstallation(
        choice,
        [&clock](const RunItem& item) {
            const ItemResult asked = resultOf(clockSettingAppliesOnHeldLine(item.lineIndex, item.moduleNumber));
            if (asked != ItemResult::Done) return asked;
            if (!operationContinues()) return ItemResult::Stopped;
            return resultOf(setModuleClockOnHeldLine(item.lineIndex, item.moduleNumber, clock));
        },
        progress, items);
}

int setInstallationParameters(const RunChoice& choice, DeviceTypeCode type, const std::vector<std::string>& assignments,
                              const RunProgress& progress, std::vector<RunItem>& items) {
    return runOverInstallation(
        choice,
        [&assignments](const RunItem& item) {
            // The device is read first: its feature level decides what the write sends, and the
            // settings not named stay as the device has them.
            ModuleRecord record;
            const ItemResult read =
                resultOf(readModuleParametersIntoRecordOnHeldLine(item.lineIndex, item.moduleNumber, record));
            if (read != ItemResult::Done) return read;
            for (const std::string& assignment : assignments) {
                std::string error;
                if (!setParameter(record, assignment, error)) {
                    uiMessage("Vlastnosti", error, MessageIcon::Error);
                    return ItemResult::Failed;
                }
            }
            if (!operationContinues()) return ItemResult::Stopped;
            return resultOf(applyModuleParametersOnHeldLine(item.lineIndex, item.moduleNumber, record));
        },
        progress, items, type);
}

int downloadInstallation(const RunChoice& choice, DeviceTypeCode type, const std::string& fileName, bool oldHardware,
                         const RunProgress& progress, std::vector<RunItem>& items) {
    items.clear();
    // Once, before any line starts: a type that takes no download, or an image that cannot be
    // loaded whole, stops the run before anything is sent.
    if (!isInList(DownloadTypes, type)) {
        uiMessage("Download", "Zařízení typu " + modelName(type) + " \nneumožňuje download.", MessageIcon::Information);
        return kActionRefused;
    }
    if (const std::string fault = downloadImageFault(type, fileName); !fault.empty()) {
        uiMessage("Download", "Soubor " + fileName + " nelze zavést: \n" + fault, MessageIcon::Error);
        return kActionRefused;
    }
    std::string warning;
    for (const std::string& line : downloadWarning(type)) warning += (warning.empty() ? "" : "\n") + line;
    if (!uiAsk("Download", warning, MessageIcon::Warning)) return kActionRefused;
    return runOverInstallation(
        choice,
        [&](RunItem& item) {
            // Never asked in the middle of the run: a device whose MAC address would be asked
            // for is passed over before anything is sent.
            if (downloadAsksForMac(item.lineIndex, item.moduleNumber)) {
                uiMessage("Download", kNoOwnMacText, MessageIcon::Information);
                return ItemResult::Skipped;
            }
            const int result = downloadOnHeldLine(item.lineIndex, item.moduleNumber, fileName, oldHardware, item.inLoader);
            return resultOf(result);
        },
        progress, items, type);
}

}  // namespace lumo
