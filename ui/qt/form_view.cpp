// Widgets showing the values of a dialog's form.
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QValidator>

#include <utility>

#include "ui/form_field.h"
#include "ui/qt/dialogs.h"

namespace lumo::gui {
namespace {

class TypingLimit : public QValidator {
public:
    TypingLimit(std::function<bool(const std::string&)> takes, QObject* parent)
        : QValidator(parent), takes_(std::move(takes)) {}
    State validate(QString& input, int&) const override { return takes_(input.toStdString()) ? Acceptable : Invalid; }

private:
    std::function<bool(const std::string&)> takes_;
};

}  // namespace

void showField(QLineEdit* widget, const FormField& field) {
    if (field.maxLength > 0 && widget->maxLength() != field.maxLength) widget->setMaxLength(field.maxLength);
    const QString text = QString::fromStdString(field.text);
    if (widget->text() != text) widget->setText(text);
    widget->setEnabled(field.enabled);
    if (field.readOnly && !widget->isReadOnly()) markReadOnly(widget);
}

void showButton(QPushButton* widget, const FormField& field) {
    const QString text = QString::fromStdString(field.text);
    if (widget->text() != text) widget->setText(text);
    widget->setEnabled(field.enabled);
}

void showChoice(QComboBox* widget, const FormChoice& choice) {
    bool same = widget->count() == static_cast<int>(choice.items.size());
    for (int i = 0; same && i < widget->count(); ++i)
        same = widget->itemText(i).toStdString() == choice.items[static_cast<std::size_t>(i)];
    if (!same) {
        const QSignalBlocker quiet(widget);  // the items in between are no choice of the user's
        widget->clear();
        for (const auto& item : choice.items) widget->addItem(QString::fromStdString(item));
        widget->setCurrentIndex(-1);
    }
    if (widget->currentIndex() != choice.chosen) widget->setCurrentIndex(choice.chosen);
    widget->setEnabled(choice.enabled);
}

int execDialog(QDialog& dialog) {
    const int result = dialog.exec();
    for (QObject* child : dialog.findChildren<QObject*>()) QObject::disconnect(child, nullptr, &dialog, nullptr);
    return result;
}

void limitTyping(QLineEdit* widget, std::function<bool(const std::string&)> takes) {
    widget->setValidator(new TypingLimit(std::move(takes), widget));
}

}  // namespace lumo::gui
