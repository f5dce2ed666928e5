#include <QApplication>
#include <QDialog>
#include <QBoxLayout>
#include <QLayout>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QWidget>

#include "ui/qt/dialogs.h"

namespace lumo::gui {

void CenterOverMainWindow(QWidget* dialog) {
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

void finishDialog(QDialog* dialog) {
    // A fixed frame with a title and a close button only, as the panel's dialogs have.
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                           Qt::MSWindowsFixedSizeDialogHint);
    if (QLayout* layout = dialog->layout()) layout->setSizeConstraint(QLayout::SetFixedSize);
    CenterOverMainWindow(dialog);
}

void markReadOnly(QLineEdit* field) {
    field->setReadOnly(true);
    // Reached by a click (to copy from it), never by the first focus or the tab key.
    field->setFocusPolicy(Qt::ClickFocus);
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    field->setPalette(palette);
}

std::vector<QPushButton*> addButtonRow(QDialog& dialog, QBoxLayout* layout, std::initializer_list<const char*> captions) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    std::vector<QPushButton*> buttons;
    for (const char* caption : captions) {
        buttons.push_back(new QPushButton(QString::fromUtf8(caption), &dialog));
        row->addWidget(buttons.back());
    }
    layout->addLayout(row);
    return buttons;
}

}  // namespace lumo::gui
