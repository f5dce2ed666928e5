#pragma once
// The desktop panel's user-interface port: real message boxes, the status bar, the tree and
// the report pane of the main window. Calls from another thread are carried over to the
// window's thread and wait there for their answer. Operations that wait on a line run on a
// worker thread while this thread keeps handling events.

namespace lumo::gui {

class MainWindow;

void installQtUiPort(MainWindow* window);

// The program is closing: from now on calls from other threads return at once (a question
// answers No) instead of waiting for an event loop that has stopped, and the start-up scan
// ends at its next line.
void setUiQuitting(bool quitting);
bool uiQuitting();

// Asks the operation on a line that runs now to stop: its waits end at their next step (the
// reader prompt's attempts, the scan's lines).
void cancelOperation();

}  // namespace lumo::gui
