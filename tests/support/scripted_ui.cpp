#include "support/scripted_ui.h"

#include "base/ui_port.h"

namespace lumo::test {

void ScriptedUi::install() {
    UiPort port;
    port.showMessage = [this](std::string_view caption, std::string_view text, MessageIcon) {
        calls.push_back("message " + std::string(caption) + "|" + std::string(text));
    };
    port.askYesNo = [this](std::string_view caption, std::string_view text, MessageIcon) {
        calls.push_back("ask " + std::string(caption) + "|" + std::string(text));
        if (answers.empty()) return false;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    };
    port.setStatusText = [this](std::string_view text) { calls.push_back("status " + std::string(text)); };
    port.destroyActiveWindow = [this] { calls.push_back("destroy"); };
    port.refreshTree = [this](int line, int module) {
        calls.push_back("refresh " + std::to_string(line) + "/" + std::to_string(module));
    };
    port.updateTreeItem = [this](unsigned key, const std::optional<std::string>& label, int image) {
        calls.push_back("update " + std::to_string(key) + " " + (label ? *label : std::to_string(image)));
    };
    port.showReport = [this](std::string_view text) { calls.push_back("report " + std::string(text)); };
    installUiPort(std::move(port));
}

std::vector<std::string> ScriptedUi::callsOf(const std::string& kind) const {
    std::vector<std::string> out;
    for (const auto& c : calls) {
        if (c.compare(0, kind.size() + 1, kind + " ") == 0) out.push_back(c.substr(kind.size() + 1));
    }
    return out;
}

}  // namespace lumo::test
