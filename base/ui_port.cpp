#include "base/ui_port.h"

#include <utility>

namespace lumo {
namespace {
UiPort& installed() {
    static UiPort port;
    return port;
}
thread_local UiTextsOnThisThread* textsOfThisThread = nullptr;
}  // namespace

UiTextsOnThisThread::UiTextsOnThisThread() : replaced_(textsOfThisThread) { textsOfThisThread = this; }

UiTextsOnThisThread::~UiTextsOnThisThread() { textsOfThisThread = replaced_; }

bool uiTextsKeptOnThisThread() { return textsOfThisThread != nullptr; }

void installUiPort(UiPort port) { installed() = std::move(port); }

const UiPort& uiPort() { return installed(); }

void uiMessage(std::string_view caption, std::string_view text, MessageIcon icon) {
    if (textsOfThisThread != nullptr) {
        textsOfThisThread->messages.emplace_back(text);
        return;
    }
    if (uiPort().showMessage) uiPort().showMessage(caption, text, icon);
}

bool uiAsk(std::string_view caption, std::string_view text, MessageIcon icon) {
    return uiPort().askYesNo ? uiPort().askYesNo(caption, text, icon) : false;
}

Reply uiAskYesNoCancel(std::string_view caption, std::string_view text) {
    return uiPort().askYesNoCancel ? uiPort().askYesNoCancel(caption, text, MessageIcon::Question) : Reply::No;
}

void uiStatus(std::string_view text) {
    if (textsOfThisThread != nullptr) {
        textsOfThisThread->status = text;
        return;
    }
    if (uiPort().setStatusText) uiPort().setStatusText(text);
}

void uiRefreshTree(int lineIndex, int moduleNumber) {
    if (uiPort().refreshTree) uiPort().refreshTree(lineIndex, moduleNumber);
}

void uiUpdateTreeItemImage(unsigned key, int image) {
    if (uiPort().updateTreeItem) uiPort().updateTreeItem(key, std::nullopt, image);
}

void uiUpdateTreeItemLabel(unsigned key, const std::string& label) {
    if (uiPort().updateTreeItem) uiPort().updateTreeItem(key, label, -1);
}

void uiShowReport(std::string_view text) {
    if (uiPort().showReport) uiPort().showReport(text);
}

void uiWaitCursor(bool busy) {
    if (uiPort().setWaitCursor) uiPort().setWaitCursor(busy);
}

bool uiPumpMessages() { return uiPort().pumpMessages ? uiPort().pumpMessages() : true; }

int uiRunWaiting(const std::function<int()>& operation) {
    return uiPort().runWaiting ? uiPort().runWaiting(operation) : operation();
}

}  // namespace lumo
