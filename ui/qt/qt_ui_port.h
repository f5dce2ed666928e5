#pragma once
// The desktop panel's user-interface port: real message boxes, the status bar, the tree and
// the report pane of the main window. Calls from another thread are carried over to the
// window's thread and wait there for their answer.

namespace lumo::gui {

class MainWindow;

void installQtUiPort(MainWindow* window);

}  // namespace lumo::gui
