// "Konfigurace parametrů programu": the widgets of ConfigForm (ui/config_form.h).
#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ui/config_form.h"
#include "ui/qt/dialogs.h"

namespace lumo::gui {

int runConfigDialog(QWidget* owner) {
    ConfigForm form;
    form.open();
    QDialog dialog(owner);
    dialog.setWindowTitle(QString::fromUtf8("Konfigurace parametrů programu"));
    auto* grid = new QGridLayout(&dialog);

    // A caption, then a path field with its ".." button.
    auto pathRow = [&](int row, const char* caption, const char* name) {
        grid->addWidget(new QLabel(QString::fromUtf8(caption), &dialog), row, 0, 1, 2);
        auto* field = new QLineEdit(&dialog);
        field->setObjectName(name);
        auto* browse = new QPushButton("..", &dialog);
        browse->setObjectName(std::string(name).append("Browse").c_str());
        browse->setFixedWidth(32);
        browse->setAutoDefault(false);  // Enter in the field is no click of ".."
        grid->addWidget(field, row + 1, 0);
        grid->addWidget(browse, row + 1, 1);
        return std::pair{field, browse};
    };
    auto [dataDir, dataBrowse] = pathRow(0, "Adresář ve kterém jsou umístěny datové soubory:", "dataDir");
    auto [hexEditor, hexBrowse] = pathRow(2, "Cesta k externímu HEX editoru:", "hexEditor");
    grid->addWidget(new QLabel(QString::fromUtf8("Používat síťový adaptér:"), &dialog), 4, 0, 1, 2);
    auto* adapters = new QComboBox(&dialog);
    adapters->setObjectName("adapter");
    grid->addWidget(adapters, 5, 0, 1, 2);

    auto* buttons = new QHBoxLayout;
    auto* save = new QPushButton(QString::fromUtf8("Uložit"), &dialog);
    save->setDefault(true);
    auto* closeButton = new QPushButton(QString::fromUtf8("Zavřít"), &dialog);
    closeButton->setAutoDefault(false);
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(closeButton);
    grid->addLayout(buttons, 6, 0, 1, 2);

    auto show = [&] {
        showField(dataDir, form.dataDir);
        showField(hexEditor, form.hexEditor);
        showChoice(adapters, form.adapter);
    };
    show();
    form.chooseFolder = [&](const std::string& root, std::string& chosen) { return gui::chooseFolder(&dialog, root, chosen); };
    form.chooseFile = [&](std::string& chosen, int mode) { return gui::chooseFile(&dialog, chosen, mode); };
    QObject::connect(dataDir, &QLineEdit::textChanged, &dialog, [&](const QString& t) { form.dataDir.text = t.toStdString(); });
    QObject::connect(hexEditor, &QLineEdit::textChanged, &dialog, [&](const QString& t) { form.hexEditor.text = t.toStdString(); });
    QObject::connect(adapters, &QComboBox::currentIndexChanged, &dialog, [&](int i) { form.adapter.chosen = i; });
    QObject::connect(dataBrowse, &QPushButton::clicked, &dialog, [&] {
        form.pressDataDirBrowse();
        show();
    });
    QObject::connect(hexBrowse, &QPushButton::clicked, &dialog, [&] {
        form.pressHexEditorBrowse();
        show();
    });
    QObject::connect(save, &QPushButton::clicked, &dialog, [&] {
        if (const int result = form.pressSave(); result != kFormStaysOpen) dialog.done(result);
    });
    QObject::connect(closeButton, &QPushButton::clicked, &dialog, [&] { dialog.done(form.pressClose()); });
    dialog.setMinimumWidth(460);
    finishDialog(&dialog);
    return execDialog(dialog) == 1 ? 1 : 0;
}

}  // namespace lumo::gui
