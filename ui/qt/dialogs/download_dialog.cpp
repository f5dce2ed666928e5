// "Download": the widgets of DownloadForm (ui/download_form.h); the download runs as the
// background job.
#include <QCheckBox>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/download_form.h"
#include "ui/qt/dialogs.h"

namespace lumo::gui {

int runDownloadDialog(QWidget* owner, int lineIndex, int moduleNumber) {
    DownloadForm form;
    form.chooseFile = [owner](std::string& chosen, int mode) { return chooseFile(owner, chosen, mode); };
    if (!form.open(lineIndex, moduleNumber)) return 0;

    QDialog warning(owner);
    warning.setWindowTitle("Download");
    auto* layout = new QVBoxLayout(&warning);
    for (const std::string& text : form.warning) layout->addWidget(new QLabel(QString::fromStdString(text), &warning));
    auto* version = new QCheckBox(QString::fromStdString(form.version.text), &warning);
    version->setObjectName("version");
    version->setEnabled(form.version.enabled);
    version->setChecked(form.olderHardware);
    layout->addWidget(version);
    const auto buttons = addButtonRow(warning, layout, {"Pokračovat", "Návrat"});
    QPushButton* go = buttons[0];
    QPushButton* back = buttons[1];
    QObject::connect(version, &QCheckBox::toggled, &warning, [&](bool checked) { form.olderHardware = checked; });
    QObject::connect(go, &QPushButton::clicked, &warning, [&] { warning.done(form.pressContinue()); });
    QObject::connect(back, &QPushButton::clicked, &warning, [&] { warning.done(form.pressBack()); });
    finishDialog(&warning);
    if (execDialog(warning) != 1) return 0;
    return form.finish();
}

}  // namespace lumo::gui
