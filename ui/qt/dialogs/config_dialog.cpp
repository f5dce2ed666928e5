// "Konfigurace parametrů programu": the data directory, the hex editor and the network adapter.
#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <vector>

#include "base/app_state.h"
#include "actions/config_actions.h"
#include "base/error_report.h"
#include "model/program_config.h"
#include "platform/network_adapters.h"
#include "platform/system_error.h"
#include "ui/qt/dialogs.h"

namespace lumo::gui {

int runConfigDialog(QWidget* owner) {
    platform::setLastSystemError(0);
    ProgramConfig scratch = programConfig();
    QDialog dialog(owner);
    dialog.setWindowTitle(QString::fromUtf8("Konfigurace parametrů programu"));
    auto* grid = new QGridLayout(&dialog);

    // A caption, then a path field with its ".." button.
    auto pathRow = [&](int row, const char* caption, const std::string& value, const char* name) {
        grid->addWidget(new QLabel(QString::fromUtf8(caption), &dialog), row, 0, 1, 2);
        auto* field = new QLineEdit(QString::fromStdString(value), &dialog);
        field->setObjectName(name);
        auto* browse = new QPushButton("..", &dialog);
        browse->setObjectName(std::string(name).append("Browse").c_str());
        browse->setFixedWidth(32);
        browse->setAutoDefault(false);  // Enter in the field is no click of ".."
        grid->addWidget(field, row + 1, 0);
        grid->addWidget(browse, row + 1, 1);
        return std::pair{field, browse};
    };
    auto [dataDir, dataBrowse] = pathRow(0, "Adresář ve kterém jsou umístěny datové soubory:", scratch.dataDirectory(), "dataDir");
    auto [hexEditor, hexBrowse] = pathRow(2, "Cesta k externímu HEX editoru:", scratch.hexEditorPath(), "hexEditor");

    grid->addWidget(new QLabel(QString::fromUtf8("Používat síťový adaptér:"), &dialog), 4, 0, 1, 2);
    auto* adapters = new QComboBox(&dialog);
    adapters->setObjectName("adapter");
    adapters->addItem(QString::fromUtf8("Vyberte adaptér"), QVariant::fromValue<uint>(0));
    std::vector<std::string> addresses{""};  // one slot per list entry
    std::vector<platform::NetworkAdapter> list;
    if (!platform::listNetworkAdapters(list)) {
        setError(err::kNetAdapter);
    } else {
        for (const auto& a : list) {
            // An adapter without an IPv4 address cannot carry a TCP line: it is not offered.
            if (a.ipv4.empty()) continue;
            const std::string address = a.ipv4.front().substr(0, 17);
            addresses.push_back(address);
            adapters->addItem(QString::fromStdString(a.description + " (" + address + ")"), QVariant::fromValue<uint>(a.index));
            // A later adapter with the same address wins.
            if (!address.empty() && address == scratch.adapterAddress()) adapters->setCurrentIndex(adapters->count() - 1);
        }
    }
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

    // A chosen path is taken whole: saving refuses one that the configuration cannot hold.
    QObject::connect(dataBrowse, &QPushButton::clicked, &dialog, [&] {
        std::string chosen;
        if (chooseFolder(&dialog, "/", chosen) == 1) dataDir->setText(QString::fromStdString(chosen));
    });
    QObject::connect(hexBrowse, &QPushButton::clicked, &dialog, [&] {
        std::string chosen;
        if (chooseFile(&dialog, chosen, 2) == 1) hexEditor->setText(QString::fromStdString(chosen));
    });
    QObject::connect(save, &QPushButton::clicked, &dialog, [&] {
        ProgramSettings settings;
        settings.dataDirectory = dataDir->text().toStdString();
        settings.hexEditorPath = hexEditor->text().toStdString();
        const int i = adapters->currentIndex();
        settings.adapter = std::optional<AdapterChoice>();
        if (i > 0)
            settings.adapter = AdapterChoice{adapters->itemData(i).toUInt(), addresses[static_cast<std::size_t>(i)]};
        if (actionDone(saveProgramSettings(settings))) dialog.done(1);
    });
    QObject::connect(closeButton, &QPushButton::clicked, &dialog, [&] { dialog.done(0); });
    dialog.setMinimumWidth(460);
    finishDialog(&dialog);
    return dialog.exec() == 1 ? 1 : 0;
}

}  // namespace lumo::gui
