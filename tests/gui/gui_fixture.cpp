#include "gui/gui_fixture.h"

namespace lumo::test {

QPushButton* button(QWidget* w, const char* text) {
    for (QPushButton* b : w->findChildren<QPushButton*>()) {
        if (b->text() == QString::fromUtf8(text)) return b;
    }
    return nullptr;
}

}  // namespace lumo::test
