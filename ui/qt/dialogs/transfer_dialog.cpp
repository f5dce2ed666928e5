// "Odeslaní dat": the widgets of TransferForm (ui/transfer_form.h).
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ui/qt/dialogs.h"
#include "ui/transfer_form.h"

namespace lumo::gui {

int runTransferDialog(QWidget* owner, int lineIndex, int moduleNumber, bool send) {
    TransferForm form;
    if (!form.open(lineIndex, moduleNumber, send)) return 0;
    QDialog dialog(owner);
    dialog.setWindowTitle(QString::fromUtf8("Odeslaní dat"));
    auto* grid = new QGridLayout(&dialog);
    auto* instruction = new QLineEdit(&dialog);
    instruction->setObjectName("instruction");
    auto* fileName = new QLineEdit(&dialog);
    fileName->setObjectName("file");
    auto* browse = new QPushButton("..", &dialog);
    browse->setAutoDefault(false);
    browse->setFixedWidth(32);
    grid->addWidget(new QLabel("Instrukce DLL:", &dialog), 0, 0);
    grid->addWidget(instruction, 0, 1);
    grid->addWidget(new QLabel(QString::fromUtf8("pouze číslo podinstrukce (0,1,3,5)"), &dialog), 0, 2, 1, 2);
    grid->addWidget(new QLabel("Soubor:", &dialog), 1, 0);
    grid->addWidget(fileName, 1, 1, 1, 2);
    grid->addWidget(browse, 1, 3);
    auto* help = new QLabel(QString::fromUtf8("Zdrojový soubor musí obsahovat jednotlivé struktury oddělené na konci znakem "
                                              "'+' za posledním záznamem bude znak '*' \nnebo mohou být struktury jako "
                                              "jednotlivé řádky ukončené CR+LF"),
                            &dialog);
    help->setWordWrap(true);
    grid->addWidget(help, 2, 0, 1, 4);
    auto* buttons = new QHBoxLayout;
    auto* go = new QPushButton("Odeslat", &dialog);
    go->setDefault(true);
    auto* cancel = new QPushButton("Cancel", &dialog);
    cancel->setAutoDefault(false);
    buttons->addStretch();
    buttons->addWidget(go);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 3, 0, 1, 4);

    auto show = [&] {
        showField(instruction, form.instruction);
        showField(fileName, form.file);
    };
    show();
    form.chooseFile = [&](std::string& chosen, int mode) { return chooseFile(&dialog, chosen, mode); };
    QObject::connect(instruction, &QLineEdit::textChanged, &dialog, [&](const QString& t) { form.instruction.text = t.toStdString(); });
    QObject::connect(fileName, &QLineEdit::textChanged, &dialog, [&](const QString& t) { form.file.text = t.toStdString(); });
    QObject::connect(browse, &QPushButton::clicked, &dialog, [&] {
        form.pressBrowse();
        show();
    });
    QObject::connect(go, &QPushButton::clicked, &dialog, [&] {
        if (const int result = form.pressSend(); result != kFormStaysOpen) dialog.done(result);
    });
    QObject::connect(cancel, &QPushButton::clicked, &dialog, [&] { dialog.done(form.pressCancel()); });
    finishDialog(&dialog);
    return execDialog(dialog);
}

}  // namespace lumo::gui
