#pragma once
// The Windows panel's user-interface port: message boxes with Czech buttons, the status bar,
// the tree and the report pane of the main window. Calls from another thread are sent to the
// window's thread and wait there for their answer. Operations that wait on a line run on a
// worker thread while this thread keeps handling messages.

#include <windows.h>

#include <functional>

namespace lumo::win32 {

class MainWindow;

// Installs the port on the calling thread, which becomes the window's thread; `window` may be
// null (before the main window exists).
void installWin32UiPort(MainWindow* window);

// The program is closing: from now on calls from other threads return at once (a question
// answers No) instead of waiting for a message loop that has stopped, and the start-up scan
// ends at its next line.
void setUiQuitting(bool quitting);
bool uiQuitting();

// Asks the operation on a line that runs now to stop: its waits end at their next step (the
// reader prompt's attempts, the scan's lines).
void cancelOperation();

// An operation's wait cursor is up: the windows show it over their client areas.
bool showingWaitCursor();

// What the window's thread does with a message before dispatching it: the main window's
// accelerators, a dialog's keyboard navigation. True when the message was used up.
bool translateMessage(MSG& message);

// Handles the window messages of this thread until `done` is signalled.
void pumpUntil(HANDLE done);

}  // namespace lumo::win32

namespace lumo::win32 {

// Runs `f` on the window's thread later, without waiting (from a worker that ends).
void postToWindowThread(std::function<void()> f);

}  // namespace lumo::win32
