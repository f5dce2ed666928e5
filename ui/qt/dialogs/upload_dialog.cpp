// "Upload segment": the widgets of UploadForm (ui/upload_form.h), before "Upload" and "memory DUMP".
#include <QDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ui/qt/dialogs.h"
#include "ui/upload_form.h"

namespace lumo::gui {
namespace {

int runSegmentDialog(QWidget* owner, int lineIndex, int moduleNumber, bool dump) {
    UploadForm form;
    if (!form.open(lineIndex, moduleNumber, dump)) return 0;
    QDialog dialog(owner);
    dialog.setWindowTitle("Upload segment");
    auto* layout = new QVBoxLayout(&dialog);
    auto* list = new QTreeWidget(&dialog);
    list->setObjectName("segments");
    list->setRootIsDecorated(false);
    list->setHeaderLabels({"Segment    ", "start          ", "velikost    "});
    for (const auto& row : form.segments) {
        list->addTopLevelItem(new QTreeWidgetItem(
            {QString::fromStdString(row[0]), QString::fromStdString(row[1]), QString::fromStdString(row[2])}));
    }
    list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list->setMinimumHeight(260);
    layout->addWidget(list);
    auto* rows = new QFormLayout;
    auto* start = new QLineEdit(&dialog);
    auto* bytes = new QLineEdit(&dialog);
    start->setObjectName("start");
    bytes->setObjectName("bytes");
    rows->addRow("Start", start);
    rows->addRow("Bytes", bytes);
    layout->addLayout(rows);
    const auto buttons = addButtonRow(dialog, layout, {"Spustit", "Zavřít"});
    QPushButton* run = buttons[0];
    QPushButton* close = buttons[1];

    auto show = [&] {
        showField(start, form.start);
        showField(bytes, form.bytes);
        showButton(run, form.run);
    };
    show();
    form.reselect = [&](const FormField& f) {
        QLineEdit* e = &f == &form.start ? start : bytes;
        e->setFocus();
        e->selectAll();
    };
    QObject::connect(start, &QLineEdit::textChanged, &dialog, [&](const QString& t) { form.start.text = t.toStdString(); });
    QObject::connect(bytes, &QLineEdit::textChanged, &dialog, [&](const QString& t) { form.bytes.text = t.toStdString(); });
    QObject::connect(list, &QTreeWidget::currentItemChanged, &dialog, [&](QTreeWidgetItem* item) {
        form.chooseSegment(item ? list->indexOfTopLevelItem(item) : -1);
        show();
    });
    QObject::connect(run, &QPushButton::clicked, &dialog, [&] {
        if (const int result = form.pressRun(); result != kFormStaysOpen) dialog.done(result);
    });
    QObject::connect(close, &QPushButton::clicked, &dialog, [&] { dialog.done(form.pressClose()); });
    finishDialog(&dialog);
    if (execDialog(dialog) != 1) return 0;
    form.chooseFile = [owner](std::string& chosen, int mode) { return chooseFile(owner, chosen, mode); };
    return form.finish();
}

}  // namespace

int runUploadDialog(QWidget* owner, int lineIndex, int moduleNumber) { return runSegmentDialog(owner, lineIndex, moduleNumber, false); }

int runMemoryDumpDialog(QWidget* owner, int lineIndex, int moduleNumber) {
    return runSegmentDialog(owner, lineIndex, moduleNumber, true);
}

}  // namespace lumo::gui
