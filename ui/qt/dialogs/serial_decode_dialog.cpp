// "Dekodóvání výrobního čísla": the widgets of SerialDecodeForm (ui/serial_decode_form.h).
#include <QDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <utility>

#include "ui/qt/dialogs.h"
#include "ui/serial_decode_form.h"

namespace lumo::gui {

int runSerialDecodeDialog(QWidget* owner) {
    SerialDecodeForm form;
    QDialog dialog(owner);
    dialog.setWindowTitle(QString::fromUtf8("Dekodóvání výrobního čísla"));
    auto* grid = new QGridLayout(&dialog);
    auto field = [&dialog](const char* name) {
        auto* e = new QLineEdit(&dialog);
        e->setObjectName(name);
        return e;
    };
    grid->addWidget(new QLabel(QString::fromUtf8("Zadej 12 znaků výrobního čísla a stiskni tlačítko >>"), &dialog), 0, 0, 1, 4);
    QLineEdit* number = field("number");
    // Each ">>" answers the Enter of its own field, and neither is the dialog's default.
    auto arrow = [&dialog](const char* name) {
        auto* b = new QPushButton(">>", &dialog);
        b->setObjectName(name);
        b->setAutoDefault(false);
        b->setFixedWidth(b->fontMetrics().horizontalAdvance(">>") + 24);
        return b;
    };
    QPushButton* decode = arrow("decode");
    grid->addWidget(number, 1, 0, 1, 3);
    grid->addWidget(decode, 1, 3, Qt::AlignLeft);
    QLineEdit* date = field("date");
    QLineEdit* type = field("type");
    QLineEdit* model = field("model");
    QLineEdit* kind = field("kind");
    QLineEdit* sequence = field("sequence");
    QLineEdit* mac = field("mac");
    grid->addWidget(new QLabel(QString::fromUtf8("Datum výroby:"), &dialog), 2, 0);
    grid->addWidget(date, 2, 1);
    grid->addWidget(new QLabel("#", &dialog), 2, 2);
    grid->addWidget(type, 2, 3);
    grid->addWidget(new QLabel(QString::fromUtf8("Typ zařízení:"), &dialog), 3, 0);
    grid->addWidget(model, 3, 1, 1, 3);
    grid->addWidget(kind, 4, 1, 1, 3);
    grid->addWidget(new QLabel(QString::fromUtf8("Kód typu:"), &dialog), 5, 0);
    grid->addWidget(sequence, 5, 1);
    grid->addWidget(new QLabel(QString::fromUtf8("Zadej 4 znaky + Kód typu a stiskni >>"), &dialog), 6, 0, 1, 4);
    grid->addWidget(new QLabel(QString::fromUtf8("MAC adresa:"), &dialog), 7, 0);
    grid->addWidget(mac, 7, 1);
    QPushButton* fromMac = arrow("fromMac");
    grid->addWidget(fromMac, 7, 2, Qt::AlignLeft);
    auto* closeButton = new QPushButton(QString::fromUtf8("Zavřít"), &dialog);
    closeButton->setAutoDefault(false);
    grid->addWidget(closeButton, 8, 3);

    const std::pair<QLineEdit*, FormField*> fields[] = {{number, &form.number}, {date, &form.date},   {type, &form.type},
                                                        {model, &form.model},   {kind, &form.kind},   {sequence, &form.sequence},
                                                        {mac, &form.mac}};
    auto show = [&] {
        for (const auto& [widget, value] : fields) showField(widget, *value);
    };
    show();
    for (const auto& [widget, value] : fields)
        QObject::connect(widget, &QLineEdit::textChanged, &dialog, [f = value](const QString& t) { f->text = t.toStdString(); });
    QObject::connect(number, &QLineEdit::returnPressed, decode, &QPushButton::click);
    QObject::connect(mac, &QLineEdit::returnPressed, fromMac, &QPushButton::click);
    QObject::connect(decode, &QPushButton::clicked, &dialog, [&] {
        form.pressDecode();
        show();
    });
    QObject::connect(fromMac, &QPushButton::clicked, &dialog, [&] {
        form.pressFromMac();
        show();
    });
    QObject::connect(closeButton, &QPushButton::clicked, &dialog, [&] { dialog.done(form.pressClose()); });
    dialog.setMinimumWidth(420);
    finishDialog(&dialog);
    execDialog(dialog);
    return 0;
}

}  // namespace lumo::gui
