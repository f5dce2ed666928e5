// "Odeslat příkaz": five remembered protocol commands, each sent with its "Odeslat", and the
// module's answer.
#include <QDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <array>

#include "actions/device_actions.h"
#include "device/console.h"
#include "model/cp1250.h"
#include "model/program_config.h"
#include "platform/system_error.h"
#include "ui/qt/dialogs.h"

namespace lumo::gui {

int runConsoleDialog(QWidget* owner, int lineIndex, int moduleNumber) {
    platform::setLastSystemError(0);
    if (moduleNumber == 0) {
        std::string none;
        sendConsoleCommand(lineIndex, 0, "", none);  // its refusal: "Pro toto zařízení nelze nastavovat !  "
        return 0;
    }
    loadConsoleLines();
    QDialog dialog(owner);
    dialog.setWindowTitle(QString::fromUtf8("Odeslat příkaz"));
    auto* grid = new QGridLayout(&dialog);
    grid->addWidget(new QLabel(QString::fromUtf8("Vložte příkaz, který bude odeslán"), &dialog), 0, 0, 1, 2);
    std::array<QLineEdit*, CommandFile::kConsoleLines> fields{};
    auto* answer = new QPlainTextEdit(&dialog);
    answer->setObjectName("answer");
    answer->setReadOnly(true);
    answer->setMaximumHeight(80);
    for (int k = 0; k < CommandFile::kConsoleLines; ++k) {
        auto* field = new QLineEdit(QString::fromStdString(commandFile().consoleLine(k)), &dialog);
        field->setObjectName(QString("line%1").arg(k + 1));
        field->setMaxLength(89);
        field->setMinimumWidth(360);
        auto* send = new QPushButton("Odeslat", &dialog);
        send->setObjectName(QString("send%1").arg(k + 1));
        send->setAutoDefault(false);
        grid->addWidget(field, k + 1, 0);
        grid->addWidget(send, k + 1, 1);
        fields[static_cast<std::size_t>(k)] = field;
        QObject::connect(field, &QLineEdit::returnPressed, send, &QPushButton::click);
        QObject::connect(send, &QPushButton::clicked, &dialog, [&dialog, field, answer, k, lineIndex, moduleNumber] {
            // The cleaned line goes back into its field and is remembered in "cmd.dat".
            const std::string cleaned = rememberConsoleLine(k, field->text().toStdString());
            field->setText(QString::fromStdString(cleaned));
            std::string received;
            const int sent = sendConsoleCommand(lineIndex, moduleNumber, cleaned, received);
            if (sent < 0) {  // the line failed: the console closes
                dialog.done(0);
                return;
            }
            if (sent == 0) return;  // refused (an empty row): the other rows stay as typed
            answer->setPlainText(received.empty() ? QString::fromUtf8("žádná odpověď...")
                                                  : QString::fromStdString(cp1250ToUtf8(received)));
        });
    }
    grid->addWidget(answer, CommandFile::kConsoleLines + 1, 0, 1, 2);
    auto* help = new QLabel(QString::fromUtf8(
                                "Zadejte příkaz dle komunikačního protokolu ve formátu INSTR SUBINSTR DATA případné řídící "
                                "znaky budou odstraněny, koncové CRC bude doplněno automaticky\n"
                                "Příklad instrukce: CFG 8 P203+P318, nebo: INF 8"),
                            &dialog);
    help->setWordWrap(true);
    grid->addWidget(help, CommandFile::kConsoleLines + 2, 0, 1, 2);
    auto* closeButton = new QPushButton(QString::fromUtf8("Zavřít"), &dialog);
    closeButton->setAutoDefault(false);
    grid->addWidget(closeButton, CommandFile::kConsoleLines + 3, 1);
    QObject::connect(closeButton, &QPushButton::clicked, &dialog, [&] { dialog.done(1); });
    finishDialog(&dialog);
    return dialog.exec();
}

}  // namespace lumo::gui
