// "Download": the image chosen, the warning passed, then the download runs as the background job.
#include <QCheckBox>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "actions/download_actions.h"
#include "platform/system_error.h"
#include "ui/qt/dialogs.h"
#include "model/device_catalog.h"

namespace lumo::gui {

int runDownloadDialog(QWidget* owner, int lineIndex, int moduleNumber) {
    platform::setLastSystemError(0);
    DeviceTypeCode type = 0;
    if (!actionDone(downloadApplies(lineIndex, moduleNumber, type))) return 0;
    std::string path;
    if (chooseFile(owner, path, 1) != 1) return 0;

    QDialog warning(owner);
    warning.setWindowTitle("Download");
    auto* layout = new QVBoxLayout(&warning);
    for (const QString& text :
         {QString::fromUtf8("POZOR: při této operaci může dojít ke ztrátě dat paměti terminálu."),
          QString::fromUtf8("Přesvěčte se, že máte načteny a uloženy všechny údaje ! "),
          QString::fromUtf8("Připravte zařízení %1 pro downoad a stikněte pokračovat.").arg(QString::fromStdString(modelName(type)))})
        layout->addWidget(new QLabel(text, &warning));
    // Only the TQ300 and TQ310 come with older hardware that loads 0x8000 higher.
    const bool versionChoice = isInList(HardwareVersionTypes, type);
    auto* version = new QCheckBox(versionChoice ? QString::fromUtf8("verze HW starší než 8 ") : QString("Verze"), &warning);
    version->setObjectName("version");
    version->setEnabled(versionChoice);
    layout->addWidget(version);
    const auto buttons = addButtonRow(warning, layout, {"Pokračovat", "Návrat"});
    QPushButton* go = buttons[0];
    QPushButton* back = buttons[1];
    QObject::connect(go, &QPushButton::clicked, &warning, &QDialog::accept);
    QObject::connect(back, &QPushButton::clicked, &warning, &QDialog::reject);
    finishDialog(&warning);
    if (warning.exec() != QDialog::Accepted) return 0;
    // The job tells its own outcome ("Download").
    return actionDone(startDownload(lineIndex, moduleNumber, path, version->isChecked(), {})) ? 1 : 0;
}

}  // namespace lumo::gui
