#pragma once
// The pictures of the main window, drawn at start: the tree's 16 x 16 image list (indexes 0-7
// lines, 10-13 modules; 8 and 9 unused) and the toolbar's strip of 9 images of 18 x 17.

#include <windows.h>
#include <commctrl.h>

namespace lumo::win32 {

HIMAGELIST treeImages();
HIMAGELIST toolbarImages();

}  // namespace lumo::win32
