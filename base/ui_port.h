#pragma once
// The one way core operations reach the user: message boxes, questions, status-bar texts, the
// progress bar, the wait cursor, file choice, the installation tree and the report pane. Each
// front end installs its own table at start; a function left empty does nothing (a question
// left empty answers No).

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumo {

enum class MessageIcon { None, Information, Warning, Error, Question };
enum class Reply { Yes, No, Cancel };

struct UiPort {
    std::function<void(std::string_view caption, std::string_view text, MessageIcon icon)> showMessage;
    std::function<bool(std::string_view caption, std::string_view text, MessageIcon icon)> askYesNo;
    // A question with the buttons Yes, No and Cancel.
    std::function<Reply(std::string_view caption, std::string_view text, MessageIcon icon)> askYesNoCancel;
    // The first panel of the status bar carries progress texts and verdicts.
    std::function<void(std::string_view text)> setStatusText;
    std::function<void(bool busy)> setWaitCursor;
    // A fatal report closes the active window (the main window ends the program).
    std::function<void()> destroyActiveWindow;
    // Full rebuild of the installation tree, selecting (line index, module number).
    std::function<void(int lineIndex, int moduleNumber)> refreshTree;
    // One tree item, found by its key among the items shown: a new label when `label` is set,
    // else the image index `image` (-1: neither, only select); then the item is selected.
    std::function<void(unsigned key, const std::optional<std::string>& label, int image)> updateTreeItem;
    std::function<void(std::string_view text)> showReport;
    std::function<void(std::string_view text)> progressShow;
    std::function<void(int count)> progressSetRange;
    std::function<void()> progressStep;
    std::function<void()> progressHide;
    // The small "přiložte identifikátor...." window of a reader check: shown (true) or closed
    // (false). Returns false when it cannot be shown.
    std::function<bool(bool visible)> readerPrompt;
    // The MAC entry dialog: shows `mac`, and on OK stores the entered address there.
    std::function<bool(std::array<std::uint8_t, 6>& mac)> enterMacAddress;
    // Lets the window repaint during a long wait; returns false when the program is to quit.
    std::function<bool()> pumpMessages;
    // Runs an operation that waits on a line so that the user interface stays alive: the
    // desktop runs it on a worker thread while its own thread keeps handling events (the
    // window repaints, the clock ticks, the wait cursor shows, input to the main window is
    // held off) and marshals the operation's calls of this port to it. Returns the
    // operation's result. Left empty, the operation runs in the caller's thread.
    std::function<int(const std::function<int()>& operation)> runWaiting;
};

void installUiPort(UiPort port);

// While one lives, the message boxes and status texts of this thread's work are kept here and
// do not reach the port: a whole-installation run tells each item's texts in its row at the
// end, and its lines' threads never write over one another.
struct UiTextsOnThisThread {
    UiTextsOnThisThread();
    ~UiTextsOnThisThread();
    UiTextsOnThisThread(const UiTextsOnThisThread&) = delete;
    UiTextsOnThisThread& operator=(const UiTextsOnThisThread&) = delete;

    std::vector<std::string> messages;  // the message boxes' texts, in order
    std::string status;                 // the last status text

private:
    UiTextsOnThisThread* replaced_;
};
// True while this thread's texts are kept: its progress bar is then shown nowhere either.
bool uiTextsKeptOnThisThread();
const UiPort& uiPort();

// Convenience wrappers that tolerate empty slots.
void uiMessage(std::string_view caption, std::string_view text, MessageIcon icon);
bool uiAsk(std::string_view caption, std::string_view text, MessageIcon icon = MessageIcon::Question);
Reply uiAskYesNoCancel(std::string_view caption, std::string_view text);
void uiStatus(std::string_view text);
void uiRefreshTree(int lineIndex, int moduleNumber);
void uiUpdateTreeItemImage(unsigned key, int image);
void uiUpdateTreeItemLabel(unsigned key, const std::string& label);
void uiShowReport(std::string_view text);
void uiWaitCursor(bool busy);
bool uiPumpMessages();
int uiRunWaiting(const std::function<int()>& operation);

}  // namespace lumo
