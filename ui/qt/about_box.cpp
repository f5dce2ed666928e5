// The about box: the program's version texts, looked up by the keys its labels start with.
#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>

#include "base/version_info.h"
#include "ui/qt/dialogs.h"
#include "ui/qt/tree_icons.h"

namespace lumo::gui {

int runAboutBox(QWidget* owner) {
    QDialog box(owner);
    box.setObjectName("AboutBox");
    box.setWindowTitle("About Lumo_hw");
    auto* grid = new QGridLayout(&box);
    auto* picture = new QLabel(&box);
    picture->setPixmap(programIcon().pixmap(48, 48));
    grid->addWidget(picture, 0, 0, 5, 1, Qt::AlignTop);
    int row = 0;
    for (const char* key : {"CompanyName", "FileDescription", "FileVersion", "LegalCopyright", "LegalTrademarks"}) {
        auto* text = new QLabel(QString::fromLatin1(key), &box);
        text->setObjectName(key);
        // The label's own text is the key; the version information replaces it when it has one.
        if (const auto value = versionText(text->text().toStdString())) text->setText(QString::fromStdString(*value));
        grid->addWidget(text, row++, 1);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &box);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, [&box] { box.done(1); });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &box, [&box] { box.done(1); });
    grid->addWidget(buttons, row, 0, 1, 2);
    finishDialog(&box);
    box.exec();
    return 1;
}

}  // namespace lumo::gui
