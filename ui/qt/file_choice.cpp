// The file and folder choices of the panel's dialogs.
#include <QFileDialog>
#include <QStringList>

#include "actions/config_actions.h"
#include "base/error_report.h"
#include "platform/file_io.h"
#include "ui/qt/dialogs.h"

namespace lumo::gui {
namespace {

// "Name (*.a, *.b)|*.a;*.b|All(*.*)|*.*|" as Qt's "Name (*.a *.b);;All (*)".
QString qtFilter(const char* filter) {
    const QStringList parts = QString::fromUtf8(filter).split('|', Qt::SkipEmptyParts);
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        if (patterns == "*.*") patterns = "*";
        // Programs: "*.exe" where programs carry that ending, else every file (a Linux program
        // has no ending).
        if (patterns == "*.exe") patterns = QString::fromStdString("*" + platform::programFileSuffix());
        const QString name = parts[i].left(parts[i].indexOf('(')).trimmed();
        out << QString("%1 (%2)").arg(name, patterns);
    }
    return out.join(";;");
}

}  // namespace

int chooseFile(QWidget* owner, std::string& result, int mode) {
    const FileChoiceMode& m = fileChoiceMode(mode);
    const QString start = QString::fromStdString(fileDialogStartFolder());
    QString chosen;
    if (m.save) {
        QFileDialog dialog(owner, QString(), start, qtFilter(m.filter));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(m.defaultExtension);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) chosen = dialog.selectedFiles().first();
    } else {
        chosen = QFileDialog::getOpenFileName(owner, QString(), start, qtFilter(m.filter));
    }
    if (chosen.isEmpty()) return 0;  // cancelled: the last folder stays
    result = chosen.toStdString();  // whole: a shortened path would name another file
    if (rememberChosenFile(result) != 0) reportError();
    return 1;
}

int chooseFolder(QWidget* owner, const std::string& root, std::string& result) {
    const QString chosen = QFileDialog::getExistingDirectory(
        owner, QString::fromUtf8("Vyberte adresář kam budou umístěny datové soubory"), QString::fromStdString(root));
    if (chosen.isEmpty()) return 0;
    result = chosen.toStdString();
    return 1;
}

}  // namespace lumo::gui
