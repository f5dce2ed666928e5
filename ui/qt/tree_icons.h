#pragma once
// The 14 pictures of the installation tree (image indexes 0-7 lines, 10-13 modules), drawn
// here so that they stay sharp at any scale.

#include <QIcon>

namespace lumo::gui {

QIcon treeIcon(int imageIndex);
// The picture of the about box and the window.
QIcon programIcon();
// Toolbar button images 0-8.
QIcon toolbarIcon(int imageIndex);

}  // namespace lumo::gui
