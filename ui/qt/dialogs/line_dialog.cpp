// "Komunikační linka": the widgets of LineForm (ui/line_form.h).
#include <QComboBox>
#include <QDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

#include "ui/line_form.h"
#include "ui/qt/dialogs.h"
#include "actions/action_errors.h"

namespace lumo::gui {

int runLineDialog(QWidget* owner, int lineIndex) {
    LineForm form;
    if (!form.open(lineIndex)) return 0;
    QDialog dialog(owner);
    dialog.setWindowTitle(QString::fromUtf8("Komunikační linka"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* rows = new QFormLayout;
    layout->addLayout(rows);
    auto choice = [&](const char* caption, const char* name) {
        auto* c = new QComboBox(&dialog);
        c->setObjectName(name);
        rows->addRow(QString::fromUtf8(caption), c);
        return c;
    };
    auto field = [&](const char* caption, const char* name) {
        auto* e = new QLineEdit(&dialog);
        e->setObjectName(name);
        rows->addRow(QString::fromUtf8(caption), e);
        return e;
    };
    QComboBox* port = choice("Komunikační port", "port");
    QComboBox* speed = choice("Přenosová rychlost", "speed");
    QComboBox* kind = choice("Typ komunikace", "kind");
    QComboBox* parity = choice("Parita", "parity");
    QLineEdit* ip = field("IP adresa", "ip");
    QLineEdit* tcpPort = field("TCP port", "tcpPort");
    QLineEdit* description = field("Popis", "description");
    auto* buttons = new QHBoxLayout;
    auto* apply = new QPushButton(QString::fromUtf8("Použít"), &dialog);
    apply->setObjectName("apply");
    auto* closeButton = new QPushButton(QString::fromUtf8("Zavřít"), &dialog);
    buttons->addStretch();
    buttons->addWidget(apply);
    buttons->addWidget(closeButton);
    layout->addLayout(buttons);

    const std::pair<QComboBox*, FormChoice*> choices[] = {
        {port, &form.port}, {speed, &form.speed}, {kind, &form.kind}, {parity, &form.parity}};
    const std::pair<QLineEdit*, FormField*> fields[] = {{ip, &form.ip}, {tcpPort, &form.tcpPort}, {description, &form.description}};
    auto show = [&] {
        for (const auto& [widget, value] : choices) showChoice(widget, *value);
        for (const auto& [widget, value] : fields) showField(widget, *value);
    };
    show();
    form.reselect = [&](const FormField& f) {
        QLineEdit* e = &f == &form.ip ? ip : &f == &form.tcpPort ? tcpPort : description;
        e->setFocus();
        e->selectAll();
    };
    QObject::connect(port, &QComboBox::currentIndexChanged, &dialog, [&](int i) {
        form.choosePort(i);
        show();
    });
    for (const auto& [widget, value] : choices) {
        if (widget == port) continue;
        QObject::connect(widget, &QComboBox::currentIndexChanged, &dialog, [f = value](int i) { f->chosen = i; });
    }
    for (const auto& [widget, value] : fields)
        QObject::connect(widget, &QLineEdit::textChanged, &dialog, [f = value](const QString& t) { f->text = t.toStdString(); });
    QObject::connect(apply, &QPushButton::clicked, &dialog, [&] {
        if (const int result = form.pressApply(); result != kFormStaysOpen) dialog.done(result);
    });
    QObject::connect(closeButton, &QPushButton::clicked, &dialog, [&] { dialog.done(form.pressClose()); });
    finishDialog(&dialog);
    return execDialog(dialog) == 1 ? 1 : 0;
}

}  // namespace lumo::gui
