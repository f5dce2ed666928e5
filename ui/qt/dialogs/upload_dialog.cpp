// "Upload segment": the segment, its start and size chosen; then "Upload" (into a file, as the
// background job) or "memory DUMP" (into the editor and back).
#include <QDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "actions/memory_actions.h"
#include "platform/system_error.h"
#include "service/memory_transfer.h"
#include "ui/qt/dialogs.h"

namespace lumo::gui {
namespace {

struct SegmentChoice {
    int segment = -1;
    std::uint32_t start = 0, size = 0;
};

// A field as a hexadecimal number; what is not one reads as 0. Nine digits may exceed 32 bits:
// such a number stays out of range (the largest), never wraps to a small one.
std::uint32_t fieldNumber(const QLineEdit* field) {
    bool ok = false;
    const qulonglong value = field->text().toULongLong(&ok, 16);
    if (!ok) return 0;
    return value > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<std::uint32_t>(value);
}

// The dialog; false when closed with "Zavřít".
bool chooseSegment(QWidget* owner, SegmentChoice& choice) {
    QDialog dialog(owner);
    dialog.setWindowTitle("Upload segment");
    auto* layout = new QVBoxLayout(&dialog);
    auto* list = new QTreeWidget(&dialog);
    list->setObjectName("segments");
    list->setRootIsDecorated(false);
    list->setHeaderLabels({"Segment    ", "start          ", "velikost    "});
    for (const MemorySegment& s : memorySegments()) {
        list->addTopLevelItem(new QTreeWidgetItem(
            {s.name, QString("0x%1").arg(s.start, 0, 16).toUpper().replace("0X", "0x"),
             QString("0x%1").arg(s.size, 0, 16).toUpper().replace("0X", "0x")}));
    }
    list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list->setMinimumHeight(260);
    layout->addWidget(list);
    auto* form = new QFormLayout;
    auto* start = new QLineEdit(&dialog);
    auto* bytes = new QLineEdit(&dialog);
    start->setObjectName("start");
    bytes->setObjectName("bytes");
    for (QLineEdit* e : {start, bytes}) e->setMaxLength(9);
    form->addRow("Start", start);
    form->addRow("Bytes", bytes);
    layout->addLayout(form);
    const auto buttons = addButtonRow(dialog, layout, {"Spustit", "Zavřít"});
    QPushButton* run = buttons[0];
    QPushButton* close = buttons[1];
    // A request without its segment's head means nothing to a device: a row first.
    run->setEnabled(false);
    QObject::connect(list, &QTreeWidget::currentItemChanged, &dialog, [&](QTreeWidgetItem* item) {
        const int row = item ? list->indexOfTopLevelItem(item) : -1;
        run->setEnabled(row >= 0);
        if (row < 0) return;
        const MemorySegment& s = memorySegments()[static_cast<std::size_t>(row)];
        start->setText(QString::number(s.start, 16).toUpper());
        bytes->setText(QString::number(s.size, 16).toUpper());
    });
    QObject::connect(run, &QPushButton::clicked, &dialog, [&] {
        choice.segment = list->currentItem() ? list->indexOfTopLevelItem(list->currentItem()) : -1;
        choice.start = fieldNumber(start);
        choice.size = fieldNumber(bytes);
        dialog.accept();
    });
    QObject::connect(close, &QPushButton::clicked, &dialog, &QDialog::reject);
    finishDialog(&dialog);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace

int runUploadDialog(QWidget* owner, int lineIndex, int moduleNumber) {
    platform::setLastSystemError(0);
    if (!actionDone(uploadApplies(lineIndex, moduleNumber))) return 0;
    SegmentChoice choice;
    if (!chooseSegment(owner, choice)) return 0;
    std::string path;
    if (chooseFile(owner, path, 0) != 1) return 0;
    // The job tells its own outcome ("Upload").
    return actionDone(startUpload(lineIndex, moduleNumber, choice.segment, choice.start, choice.size, path, {})) ? 1 : 0;
}

int runMemoryDumpDialog(QWidget* owner, int lineIndex, int moduleNumber) {
    platform::setLastSystemError(0);
    if (!actionDone(memoryDumpApplies(lineIndex, moduleNumber))) return 0;
    SegmentChoice choice;
    if (!chooseSegment(owner, choice)) return 0;
    return actionDone(memoryDump(lineIndex, moduleNumber, choice.segment, choice.start, choice.size)) ? 1 : 0;
}

}  // namespace lumo::gui
