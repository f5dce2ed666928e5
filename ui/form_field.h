#pragma once
// What a dialog shows, as plain values: a form holds them and its rules, and each front end's
// window copies them into its widgets after every change of the form and hands the user's edits
// back. A button of the window calls the form's function for it.

#include <string>
#include <vector>

namespace lumo {

// A text field, or a button (its caption in `text`). A read-only field only shows a value; a
// field with a `maxLength` takes at most that many characters (0: no limit of its own).
struct FormField {
    std::string text;
    bool enabled = true;
    bool readOnly = false;
    int maxLength = 0;
};

// A list to choose from; `chosen` is an index into `items`, -1 when nothing is chosen.
struct FormChoice {
    std::vector<std::string> items;
    int chosen = 0;
    bool enabled = true;
};

// What a button's function returns when the dialog stays open; otherwise it returns the
// dialog's result (1 done, 0 closed).
inline constexpr int kFormStaysOpen = -1;

}  // namespace lumo
