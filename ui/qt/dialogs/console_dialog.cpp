// "Odeslat příkaz": the widgets of ConsoleForm (ui/console_form.h).
#include <QDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <array>

#include "ui/console_form.h"
#include "ui/qt/dialogs.h"

namespace lumo::gui {

int runConsoleDialog(QWidget* owner, int lineIndex, int moduleNumber) {
    ConsoleForm form;
    if (!form.open(lineIndex, moduleNumber)) return 0;
    QDialog dialog(owner);
    dialog.setWindowTitle(QString::fromUtf8("Odeslat příkaz"));
    auto* grid = new QGridLayout(&dialog);
    grid->addWidget(new QLabel(QString::fromUtf8("Vložte příkaz, který bude odeslán"), &dialog), 0, 0, 1, 2);
    constexpr int kRows = CommandFile::kConsoleLines;
    std::array<QLineEdit*, kRows> fields{};
    std::array<QPushButton*, kRows> sends{};
    auto* answer = new QPlainTextEdit(&dialog);
    answer->setObjectName("answer");
    answer->setReadOnly(form.answer.readOnly);
    answer->setMaximumHeight(80);
    for (int k = 0; k < kRows; ++k) {
        auto* field = new QLineEdit(&dialog);
        field->setObjectName(QString("line%1").arg(k + 1));
        field->setMinimumWidth(360);
        auto* send = new QPushButton("Odeslat", &dialog);
        send->setObjectName(QString("send%1").arg(k + 1));
        send->setAutoDefault(false);
        grid->addWidget(field, k + 1, 0);
        grid->addWidget(send, k + 1, 1);
        fields[static_cast<std::size_t>(k)] = field;
        sends[static_cast<std::size_t>(k)] = send;
        QObject::connect(field, &QLineEdit::returnPressed, send, &QPushButton::click);
    }
    grid->addWidget(answer, kRows + 1, 0, 1, 2);
    auto* help = new QLabel(QString::fromUtf8(
                                "Zadejte příkaz dle komunikačního protokolu ve formátu INSTR SUBINSTR DATA případné řídící "
                                "znaky budou odstraněny, koncové CRC bude doplněno automaticky\n"
                                "Příklad instrukce: CFG 8 P203+P318, nebo: INF 8"),
                            &dialog);
    help->setWordWrap(true);
    grid->addWidget(help, kRows + 2, 0, 1, 2);
    auto* closeButton = new QPushButton(QString::fromUtf8("Zavřít"), &dialog);
    closeButton->setAutoDefault(false);
    grid->addWidget(closeButton, kRows + 3, 1);

    auto show = [&] {
        for (std::size_t k = 0; k < fields.size(); ++k) showField(fields[k], form.lines[k]);
        const QString text = QString::fromStdString(form.answer.text);
        if (answer->toPlainText() != text) answer->setPlainText(text);
    };
    show();
    form.showNow = show;
    for (int k = 0; k < kRows; ++k) {
        const auto row = static_cast<std::size_t>(k);
        QObject::connect(fields[row], &QLineEdit::textChanged, &dialog,
                         [&form, row](const QString& t) { form.lines[row].text = t.toStdString(); });
        QObject::connect(sends[row], &QPushButton::clicked, &dialog, [&, k] {
            const int result = form.pressSend(k);
            show();
            if (result != kFormStaysOpen) dialog.done(result);
        });
    }
    QObject::connect(closeButton, &QPushButton::clicked, &dialog, [&] { dialog.done(form.pressClose()); });
    finishDialog(&dialog);
    return execDialog(dialog);
}

}  // namespace lumo::gui
