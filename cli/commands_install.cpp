// lumo-ctl list, report, scan, line add, module add, remove, toggle
#include <cstdio>
#include <iostream>

#include "actions/device_actions.h"
#include "actions/install_actions.h"
#include "app/startup.h"
#include "base/error_report.h"
#include "cli/cli_ui_port.h"
#include "cli/commands.h"
#include "device/status_report.h"
#include "model/device_catalog.h"
#include "base/ui_port.h"
#include "model/installation.h"
#include "model/record_file.h"
#include "model/tree_items.h"

namespace lumo::cli {
namespace {

std::string hexByte(unsigned v) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02x", v & 0xffu);
    return text;
}

std::string twoDigits(unsigned v) {
    char text[8];
    std::snprintf(text, sizeof text, "%02u", v & 0xffu);
    return text;
}

DeviceTypeCode parseLineType(const std::string& text) {
    static const std::pair<const char*, DeviceTypeCode> names[] = {
        {"general", head::kGeneral}, {"tcp", head::kTcpConverter}, {"usb", head::kUsbConverter},
        {"dv3x", head::kDeskReader}, {"ydv3x", head::kUsbReader}};
    for (const auto& [name, code] : names) {
        if (text == name) return code;
    }
    const long code = parseNumber(text, 0, 255, "the line type");
    if (!isInList(LineHeadTypes, static_cast<DeviceTypeCode>(code)))
        throw UsageError("the line type must be general, tcp, usb, dv3x, ydv3x or 0, 11, 12, 13, 16");
    return static_cast<DeviceTypeCode>(code);
}

}  // namespace

DeviceTypeCode parseModuleType(const std::string& text) {
    const long code = parseNumber(text, 0, 255, "the module type");
    for (const auto& choice : moduleTypeChoices()) {
        if (choice.code == code) return choice.code;
    }
    std::string codes;
    for (const auto& choice : moduleTypeChoices()) codes += " " + std::to_string(choice.code);
    throw UsageError("the module type must be one of" + codes);
}

std::string itemText(const ItemRef& item) {
    std::string text = std::to_string(item.lineIndex + 1);
    if (item.moduleNumber != 0) text += "/" + std::to_string(item.moduleNumber);
    return text;
}

namespace {

// A record that could not be read: false after saying why when its file is there all the same
// (it cannot be read, or another program holds it), true when the file is missing (no item).
bool missingRecordFile(const std::string& path) {
    switch (readFailureOf(path)) {
        case ReadFailure::Missing: clearError(); return true;
        case ReadFailure::Busy: reportError(); return false;
        case ReadFailure::Unreadable: reportUnreadableFile(path); return false;
    }
    return false;
}

}  // namespace

bool itemExists(const ItemRef& item) {
    LineRecord line;
    bool exists = false;
    if (!readLineRecord(item.lineIndex, line)) {
        if (!missingRecordFile(lineConfigPath(item.lineIndex + 1))) return false;
    } else if (line.exists() && item.moduleNumber != 0) {
        ModuleRecord module;
        if (!readModuleRecord(item.lineIndex, item.moduleNumber, module)) {
            if (!missingRecordFile(moduleFilePath(item.lineIndex + 1))) return false;
        } else {
            exists = module.used();
        }
    } else {
        exists = line.exists();
    }
    clearError();
    if (!exists) std::cerr << "lumo-ctl: the installation has no item " << itemText(item) << '\n';
    return exists;
}

int cmdList(Args& args) {
    args.expectEnd();
    std::vector<std::string> problems;
    for (const TreeItem& item : buildTreeItems(false, &problems)) {
        std::cout << itemText({item.lineIndex, item.moduleNumber}) << '\t' << item.label << '\t'
                  << modelName(item.type) << '\t' << (item.moduleNumber != 0 ? twoDigits(item.id) : "-")
                  << '\t' << hexByte(item.flags) << '\n';
    }
    // What could not be read is not left out without a word.
    for (const std::string& problem : problems) uiMessage("CHYBA !", problem, MessageIcon::Error);
    return problems.empty() ? kDone : kFailed;
}

int cmdReport(Args& args) {
    const ItemRef item = parseItem(args.next("the item L or L/K"));
    args.expectEnd();
    if (!itemExists(item)) return kFailed;
    std::string text;
    if (!statusReportText(item.lineIndex, item.moduleNumber, text)) {
        reportError();
        return kFailed;
    }
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += text[i];
    }
    std::cout << out;
    return kDone;
}

int cmdCheck(Args& args) {
    if (args.flag("--all")) {
        RunOptions options;
        while (runOption(args, options)) {
        }
        args.expectEnd();
        return checkAll(options);
    }
    const ItemRef item = parseItem(args.next("the item L or L/K"));
    args.expectEnd();
    if (!itemExists(item)) return kFailed;
    if (!actionDone(checkItem(item.lineIndex, item.moduleNumber))) return kFailed;
    std::cout << lastStatusText() << '\n';
    return kDone;
}

int cmdScan(Args& args) {
    args.expectEnd();
    return exitStatus(scanLines());
}

int cmdLine(Args& args) {
    const std::string sub = args.next("line add|set");
    if (sub == "set") return lineSet(args);
    if (sub != "add") throw UsageError("unknown line command '" + sub + "'");
    const DeviceTypeCode type = parseLineType(args.next("the line type"));
    args.expectEnd();
    const int line = addLine(type);
    if (line <= 0) return kFailed;
    std::cout << line << '\n';
    return kDone;
}

// An ID address 1-31 (0 is the PC's own, never a module's).
int parseModuleId(const std::string& text) {
    const int id = static_cast<int>(parseNumber(text, 0, 31, "the ID address"));
    if (id == 0) throw UsageError("the ID address 0 is reserved for the PC; a module has 1-31");
    return id;
}

int moduleChange(Args& args, ChangeMode mode) {
    const ItemRef item = parseItem(args.next("the module L/K"));
    const std::string value = args.next(mode == ChangeMode::Type ? "the type CODE" : "the ID");
    args.expectEnd();
    const char* verb = mode == ChangeMode::Type ? "module type" : "module id";
    if (item.moduleNumber == 0) throw UsageError(std::string(verb) + " takes a module L/K, not a line");
    const int chosen = mode == ChangeMode::Type ? parseModuleType(value) : parseModuleId(value);
    if (!itemExists(item)) return kFailed;
    return exitStatus(changeModuleSetting(item.lineIndex, item.moduleNumber, mode, chosen));
}

int cmdModule(Args& args) {
    const std::string sub = args.next("module add|type|id");
    if (sub == "type") return moduleChange(args, ChangeMode::Type);
    if (sub == "id") return moduleChange(args, ChangeMode::IdAddress);
    if (sub != "add") throw UsageError("unknown module command '" + sub + "'");
    const int lineIndex = parseLine(args.next("the line"));
    std::string typeText, idText;
    bool haveType = false, haveId = false;
    while (!args.empty()) {
        if (args.option("--type", typeText)) haveType = true;
        else if (args.option("--id", idText)) haveId = true;
        else throw UsageError("unknown option '" + args.peek() + "'");
    }
    if (!haveType || !haveId) throw UsageError("module add needs --type CODE and --id ID");
    const DeviceTypeCode type = parseModuleType(typeText);
    const int id = parseModuleId(idText);
    const int record = addModule(lineIndex, type, std::to_string(id));
    if (record <= 0) return kFailed;
    std::cout << record << '\n';
    return kDone;
}

int cmdRemove(Args& args) {
    const ItemRef item = parseItem(args.next("the item L or L/K"));
    args.expectEnd();
    if (!itemExists(item)) return kFailed;
    return exitStatus(removeItem(item.lineIndex, item.moduleNumber));
}

int cmdToggle(Args& args) {
    const ItemRef item = parseItem(args.next("the item L or L/K"));
    args.expectEnd();
    if (!itemExists(item)) return kFailed;
    return exitStatus(toggleItem(item.lineIndex, item.moduleNumber));
}

}  // namespace lumo::cli
