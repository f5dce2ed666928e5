#include <QApplication>
#include <QMainWindow>
#include <QWidget>

#include "ui/qt/dialogs.h"

namespace lumo::gui {

void centreOverMainWindow(QWidget* dialog) {
    dialog->adjustSize();
    QWidget* main = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMainWindow*>(w) != nullptr && w->isVisible()) main = w;
    }
    if (main == nullptr) return;
    const QRect m = main->frameGeometry();
    const int x = std::max(0, m.left() + (m.width() - dialog->width()) / 2);
    const int y = std::max(0, m.top() + (m.height() - dialog->height()) / 2);
    dialog->move(x, y);
}

}  // namespace lumo::gui
