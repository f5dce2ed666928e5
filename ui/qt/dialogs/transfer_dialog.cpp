// "Odeslaní dat": the DLL sub-instruction and the file of a transfer, before either direction.
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "actions/device_actions.h"
#include "model/program_config.h"
#include "platform/system_error.h"
#include "ui/qt/dialogs.h"

namespace lumo::gui {

int runTransferDialog(QWidget* owner, int lineIndex, int moduleNumber, bool send) {
    platform::setLastSystemError(0);
    loadConsoleLines();  // "cmd.dat" with the remembered instruction and file
    QDialog dialog(owner);
    dialog.setWindowTitle(QString::fromUtf8("Odeslaní dat"));
    auto* grid = new QGridLayout(&dialog);
    auto* instruction = new QLineEdit(QString::fromStdString(commandFile().dllInstruction()), &dialog);
    instruction->setObjectName("instruction");
    instruction->setMaxLength(9);
    if (instruction->text().isEmpty()) instruction->setText("0");
    auto* fileName = new QLineEdit(QString::fromStdString(commandFile().transferFileName()), &dialog);
    // The whole path, however long: the job uses it as chosen (only "cmd.dat" keeps it shorter).
    fileName->setObjectName("file");
    if (fileName->text().isEmpty()) fileName->setText("data.txt");
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
    QObject::connect(browse, &QPushButton::clicked, &dialog, [&] {
        std::string chosen;
        if (chooseFile(&dialog, chosen, 3) == 1) fileName->setText(QString::fromStdString(chosen));
    });
    // The job reports its own outcome; the dialog is done once it has started.
    QObject::connect(go, &QPushButton::clicked, &dialog, [&] {
        if (actionDone(startFileTransfer(lineIndex, moduleNumber, send, instruction->text().toStdString(),
                                         fileName->text().toStdString(), {})))
            dialog.done(1);
    });
    QObject::connect(cancel, &QPushButton::clicked, &dialog, [&] { dialog.done(0); });
    finishDialog(&dialog);
    return dialog.exec();
}

}  // namespace lumo::gui
