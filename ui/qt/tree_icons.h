#pragma once
// The 14 pictures of the installation tree (image indexes 0-7 lines, 10-13 modules), drawn
// here so that they stay sharp at any scale.

#include <QIcon>

namespace lumo::gui {

// The size the tree shows its pictures at; each picture is drawn for it (and for twice it).
inline constexpr int kTreeIconSize = 20;

QIcon treeIcon(int imageIndex);
// The picture of the about box and the window.
QIcon programIcon();
// Toolbar button images 0-8.
QIcon toolbarIcon(int imageIndex);

}  // namespace lumo::gui
