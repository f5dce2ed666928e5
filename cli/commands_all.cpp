// lumo-ctl check --all, clock --all, params --all, download --all: the whole installation, its
// lines at once.
#include <algorithm>
#include <cstdio>
#include <functional>
#include <iostream>
#include <map>
#include <string>

#include "actions/installation_run.h"
#include "base/action_result.h"
#include "cli/cli_ui_port.h"
#include "cli/commands.h"
#include "model/cp1250.h"
#include "model/device_catalog.h"
#include "platform/terminal.h"

namespace lumo::cli {
namespace {

const char* resultWord(ItemResult result) {
    switch (result) {
        case ItemResult::Done: return "ok";
        case ItemResult::Failed: return "failed";
        case ItemResult::Stopped: return "stopped";
        case ItemResult::NotDone: return "not done";
        case ItemResult::Off: return "off";
        case ItemResult::Skipped: return "skipped";
    }
    return "?";
}

std::string twoDigits(unsigned v) {
    char text[8];
    std::snprintf(text, sizeof text, "%02u", v);
    return text;
}

std::string itemColumns(const RunItem& item) {
    return itemText({item.lineIndex, item.moduleNumber}) + '\t' + twoDigits(item.id) + '\t' + modelName(item.type);
}

// The message, first saying where a download left its device: a device in its loader runs no
// program until it gets a whole image.
std::string messageColumn(const RunItem& item) {
    if (!item.inLoader) return item.message;
    return "in its loader" + (item.message.empty() ? std::string() : " / " + item.message);
}

// "1,3-5": the lines 1 to 16 named one by one or as ranges.
LineSet parseLines(const std::string& text) {
    LineSet lines = 0;
    std::size_t at = 0;
    while (at <= text.size()) {
        const std::size_t comma = std::min(text.find(',', at), text.size());
        const std::string piece = text.substr(at, comma - at);
        const std::size_t dash = piece.find('-');
        const int first = parseLine(piece.substr(0, dash));
        const int last = dash == std::string::npos ? first : parseLine(piece.substr(dash + 1));
        if (last < first) throw UsageError("--lines takes ranges from low to high, not '" + piece + "'");
        for (int i = first; i <= last; ++i) lines = static_cast<LineSet>(lines | lineSetOf(i));
        at = comma + 1;
    }
    return lines;
}

// The lines named with --lines must be there: a run that quietly skips one would look whole.
bool namedLinesExist(const RunOptions& options) {
    if (!options.linesNamed) return true;
    for (int i = 0; i < kMaxLines; ++i) {
        if ((options.choice.lines & lineSetOf(i)) != 0 && !itemExists({i, 0})) return false;
    }
    return true;
}

// Progress on stderr: on a terminal one row per line, redrawn in place; elsewhere a line for
// each module started and ended.
class Progress {
public:
    Progress() : terminal_(platform::isTerminal(platform::StandardStream::Error)) {}

    void operator()(const RunItem& item, bool started) {
        const std::string what = itemColumns(item);
        if (!terminal_) {
            std::cerr << what << (started ? " ..." : std::string(" ") + resultWord(item.result) + ": " + messageColumn(item))
                      << '\n';
            return;
        }
        Row& row = rows_[item.lineIndex];
        if (started) {
            row.text = what + " ...";
        } else {
            ++row.ended;
            row.text = what + " " + resultWord(item.result) + ": " + messageColumn(item);
        }
        draw();
    }

private:
    struct Row {
        int ended = 0;
        std::string text;
    };

    void draw() {
        std::string out;
        if (drawn_ > 0) out += "\x1b[" + std::to_string(drawn_) + "A";
        for (const auto& [line, row] : rows_) {
            std::string text = "L" + std::to_string(line + 1) + " [" + std::to_string(row.ended) + "] " + row.text;
            for (char& c : text) {
                if (c == '\t') c = ' ';
            }
            out += "\r\x1b[K" + utf8Prefix(text, 118) + "\n";
        }
        drawn_ = static_cast<int>(rows_.size());
        std::cerr << out << std::flush;
    }

    bool terminal_;
    std::map<int, Row> rows_;
    int drawn_ = 0;
};

// The table of every item on stdout; 1 when any item is not done.
int finishRun(int result, const std::vector<RunItem>& items) {
    if (result == kActionRefused && items.empty()) return kFailed;
    std::cout << "item\tID\ttype\tresult\tmessage\n";
    for (const RunItem& item : items)
        std::cout << itemColumns(item) << '\t' << resultWord(item.result) << '\t' << messageColumn(item) << '\n';
    return exitStatus(result);
}

// A run over one type that found no module of it on the lines chosen did nothing: said, and
// not taken for done.
int finishTypedRun(int result, const std::vector<RunItem>& items, DeviceTypeCode type) {
    if (actionDone(result) && items.empty()) {
        std::cerr << "lumo-ctl: no module of type " << int(type) << " (" << modelName(type) << ") on the lines chosen\n";
        return kFailed;
    }
    return finishRun(result, items);
}

}  // namespace

bool runOption(Args& args, RunOptions& options) {
    std::string value;
    if (args.option("--lines", value)) {
        options.choice.lines = parseLines(value);
        options.linesNamed = true;
        return true;
    }
    if (args.option("--max-lines", value)) {
        options.choice.maxAtOnce = static_cast<int>(parseNumber(value, 1, kMaxLines, "--max-lines"));
        return true;
    }
    return false;
}

int checkAll(const RunOptions& options) {
    if (!namedLinesExist(options)) return kFailed;
    std::vector<RunItem> items;
    Progress progress;
    const int result = checkInstallation(options.choice, std::ref(progress), items);
    return finishRun(result, items);
}

int clockAll(const RunOptions& options, const ClockChoice& clock) {
    if (!namedLinesExist(options)) return kFailed;
    std::vector<RunItem> items;
    Progress progress;
    const int result = setInstallationClocks(options.choice, clock, std::ref(progress), items);
    return finishRun(result, items);
}

int paramsAll(const RunOptions& options, DeviceTypeCode type, const std::vector<std::string>& assignments) {
    if (!namedLinesExist(options)) return kFailed;
    std::vector<RunItem> items;
    Progress progress;
    const int result = setInstallationParameters(options.choice, type, assignments, std::ref(progress), items);
    return finishTypedRun(result, items, type);
}

int downloadAll(const RunOptions& options, DeviceTypeCode type, const std::string& file, bool oldHardware) {
    if (!namedLinesExist(options)) return kFailed;
    std::vector<RunItem> items;
    Progress progress;
    const int result = downloadInstallation(options.choice, type, file, oldHardware, std::ref(progress), items);
    return finishTypedRun(result, items, type);
}

}  // namespace lumo::cli
