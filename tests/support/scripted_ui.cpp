#include "support/scripted_ui.h"

#include "base/ui_port.h"

namespace lumo::test {

void ScriptedUi::install() {
    UiPort port;
    port.showMessage = [this](std::string_view caption, std::string_view text, MessageIcon) {
        record("message " + std::string(caption) + "|" + std::string(text));
    };
    port.askYesNo = [this](std::string_view caption, std::string_view text, MessageIcon) {
        record("ask " + std::string(caption) + "|" + std::string(text));
        std::lock_guard lock(mutex_);
        if (answers.empty()) return false;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    };
    port.askYesNoCancel = [this](std::string_view caption, std::string_view text, MessageIcon) {
        record("ask3 " + std::string(caption) + "|" + std::string(text));
        std::lock_guard lock(mutex_);
        if (replies.empty()) return Reply::No;
        const Reply r = replies.front();
        replies.pop_front();
        return r;
    };
    port.setStatusText = [this](std::string_view text) { record("status " + std::string(text)); };
    port.destroyActiveWindow = [this] { record("destroy"); };
    port.refreshTree = [this](int line, int module) {
        record("refresh " + std::to_string(line) + "/" + std::to_string(module));
    };
    port.updateTreeItem = [this](unsigned key, const std::optional<std::string>& label, int image) {
        record("update " + std::to_string(key) + " " + (label ? *label : std::to_string(image)));
    };
    port.showReport = [this](std::string_view text) { record("report " + std::string(text)); };
    port.progressShow = [this](std::string_view text) { record("progress show " + std::string(text)); };
    port.progressSetRange = [this](int count) { record("progress range " + std::to_string(count)); };
    port.progressStep = [this] { record("progress step"); };
    port.progressHide = [this] { record("progress hide"); };
    installUiPort(std::move(port));
}

void ScriptedUi::record(std::string call) {
    std::lock_guard lock(mutex_);
    calls.push_back(std::move(call));
}

std::vector<std::string> ScriptedUi::callsOf(const std::string& kind) const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> out;
    for (const auto& c : calls) {
        if (c.compare(0, kind.size() + 1, kind + " ") == 0) out.push_back(c.substr(kind.size() + 1));
    }
    return out;
}

}  // namespace lumo::test
