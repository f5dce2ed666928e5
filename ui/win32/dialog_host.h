#pragma once
// A modal dialog from a template of the resource script, bound to its form: the host routes
// the controls' notifications to the functions a dialog gives it, and copies the form's values
// (ui/form_field.h) into the controls. It holds no rule of its own: every decision is the form's.

#include <windows.h>

#include <functional>
#include <map>
#include <string>

#include "ui/form_field.h"

namespace lumo::win32 {

class DialogHost {
public:
    using Handler = std::function<void()>;

    // Runs the template `templateId` over `owner` (the main window when null and there is one)
    // and returns what end() was given.
    int run(HWND owner, int templateId);
    HWND window() const { return window_; }
    HWND item(int id) const { return GetDlgItem(window_, id); }

    // Before the dialog shows: the controls exist, the values may be shown.
    Handler onInit;
    // A button pressed (also a check box or radio button clicked, and Enter on the default
    // button, IDOK).
    void onClick(int id, Handler handler) { clicks_[id] = std::move(handler); }
    // The user typed into an edit (not a text the dialog set itself), or chose in a list.
    void onEdit(int id, Handler handler) { edits_[id] = std::move(handler); }
    // Any change of an edit's text, whoever made it.
    void onTextChange(int id, Handler handler) { changes_[id] = std::move(handler); }
    // The focus left an edit.
    void onLeave(int id, Handler handler) { leaves_[id] = std::move(handler); }
    // The frame's close box or Escape: the result to end with, or kFormStaysOpen. Without a
    // handler the dialog ends with 0.
    std::function<int()> onClose;
    // Called every `milliseconds` while the dialog is open.
    void every(unsigned milliseconds, Handler handler);
    // Any other message (WM_NOTIFY of a list, say); returns whether it was handled.
    std::function<bool(UINT message, WPARAM, LPARAM, INT_PTR& result)> onMessage;

    void end(int result);
    // A form's button function returned `result`: the dialog ends unless it stays open.
    void finish(int result) {
        if (result != kFormStaysOpen) end(result);
    }

    // The form's values into the controls; a text is set only when it differs, so that the
    // caret stays where the user types, and a read-only field stays so once it was.
    void showField(int id, const FormField& field);
    void showButton(int id, const FormField& field);
    // A drop-down list: its items rebuilt only when they differ, the chosen one, enabled.
    void showChoice(int id, const FormChoice& choice);
    void showCheck(int id, bool checked);
    void showText(int id, const std::string& text);
    // A control disabled while it has the focus hands the focus to the next control first: the
    // keyboard (Escape, Tab) still reaches the dialog.
    void enable(int id, bool enabled);

    std::string text(int id) const;
    bool checked(int id) const;
    int chosen(int id) const;
    // Typing or pasting into the edit is refused where `takes` refuses the text it would make.
    void limitTyping(int id, std::function<bool(const std::string&)> takes);
    // The focus into a control, an edit's text selected.
    void focus(int id);

private:
    static INT_PTR CALLBACK procedure(HWND window, UINT message, WPARAM first, LPARAM second);
    INT_PTR handle(UINT message, WPARAM first, LPARAM second);
    void command(int id, int code);

    HWND window_ = nullptr;
    bool setting_ = false;  // the host sets a control: its notification is not the user's
    std::map<int, Handler> clicks_, edits_, changes_, leaves_;
    std::map<int, std::function<bool(const std::string&)>> limits_;
    unsigned timerPeriod_ = 0;
    Handler timer_;
};

// The same for a control that is not a dialog host's own (the property sheet's pages).
void showFieldIn(HWND control, const FormField& field);
void showChoiceIn(HWND control, const FormChoice& choice);
void showTextIn(HWND control, const std::string& text);
// A control enabled or disabled; one disabled with the focus hands it to the next control.
void enableControl(HWND control, bool enabled);
// Typing or pasting into an edit is refused where `takes` refuses the text it would make;
// `takes` lives as long as the control.
void limitTypingIn(HWND control, const std::function<bool(const std::string&)>* takes);

// What every dialog does as it opens: the system's last error cleared, its place centred over
// the main window, never beyond the screen's top-left corner.
void CenterOverMainWindow(HWND dialog);

}  // namespace lumo::win32
