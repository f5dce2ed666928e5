// "Dekodóvání výrobního čísla": a serial number taken apart, and a MAC part turned back into
// the sequence it carries.
#include <QDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "base/ui_port.h"
#include "model/device_catalog.h"
#include "serial/serial_number.h"
#include "ui/qt/dialogs.h"

namespace lumo::gui {

int runSerialDecodeDialog(QWidget* owner) {
    QDialog dialog(owner);
    dialog.setWindowTitle(QString::fromUtf8("Dekodóvání výrobního čísla"));
    auto* grid = new QGridLayout(&dialog);
    auto field = [&dialog](const char* name, bool readOnly = true) {
        auto* e = new QLineEdit(&dialog);
        e->setObjectName(name);
        if (readOnly) markReadOnly(e);
        return e;
    };
    grid->addWidget(new QLabel(QString::fromUtf8("Zadej 12 znaků výrobního čísla a stiskni tlačítko >>"), &dialog), 0, 0, 1, 4);
    QLineEdit* number = field("number", false);
    number->setMaxLength(12);
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
    QLineEdit* type = field("type", false);
    QLineEdit* model = field("model");
    QLineEdit* kind = field("kind");
    QLineEdit* sequence = field("sequence");
    QLineEdit* mac = field("mac", false);
    mac->setMaxLength(4);
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
    QObject::connect(number, &QLineEdit::returnPressed, decode, &QPushButton::click);
    QObject::connect(mac, &QLineEdit::returnPressed, fromMac, &QPushButton::click);

    QObject::connect(decode, &QPushButton::clicked, &dialog, [&] {
        const SerialParts p = SerialDecode(number->text().left(12).toStdString());
        // A number that decodes to no day of the calendar: its date digits, said to be no date.
        date->setText(QString::fromStdString(productionDateText(p.date)));
        type->setText(QString::asprintf("%02d", p.typeCode));
        const auto code = static_cast<DeviceTypeCode>(p.typeCode);
        model->setText(QString::fromStdString(modelName(code)));
        kind->setText(QString::fromStdString(kindName(code)));
        sequence->setText(QString::asprintf("%04d", p.sequence));
        mac->setText(p.typeCode >= models::kFirstBusModel ? QString::fromStdString(macPartOfSequence(p.sequence)) : QString());
    });
    QObject::connect(fromMac, &QPushButton::clicked, &dialog, [&] {
        if (type->text().toInt() < 48) {
            uiMessage("Chyba zadání", "Neplatný typ zařízení", MessageIcon::Error);
            return;
        }
        // The sequence the four MAC characters carry.
        if (const auto s = sequenceFromMacPart(mac->text().toStdString())) sequence->setText(QString::asprintf("%04d", *s));
    });
    QObject::connect(closeButton, &QPushButton::clicked, &dialog, [&] { dialog.done(0); });
    dialog.setMinimumWidth(420);
    finishDialog(&dialog);
    dialog.exec();
    return 0;
}

}  // namespace lumo::gui
