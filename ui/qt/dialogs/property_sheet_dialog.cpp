// The property sheet of a module: a page per tab, built from the family's table; the sheet's
// rules and its working copy live in PropertySheet.
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QTabWidget>
#include <QVBoxLayout>

#include <vector>

#include "actions/property_sheet.h"
#include "base/ui_port.h"
#include "model/device_catalog.h"
#include "model/installation.h"
#include "platform/system_error.h"
#include "ui/qt/dialogs.h"

namespace lumo::gui {
namespace {

QString qt(const std::string& s) { return QString::fromStdString(s); }

// The widgets of one control; which are set depends on its kind.
struct ControlWidgets {
    QCheckBox* check = nullptr;
    QComboBox* list = nullptr;
    QButtonGroup* radios = nullptr;
    QLineEdit* field = nullptr;
};

// A drawing of the device for the page "Obecné": a housing, and a display, keys or relays as
// the family has them.
QPixmap devicePicture(const std::string& picture) {
    QPixmap pixmap(96, 120);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 70), 2));
    const bool terminal = picture == "tq300" || picture == "mn600";
    p.setBrush(picture == "mn600" ? QColor(70, 80, 95) : terminal ? QColor(210, 214, 220) : QColor(235, 235, 225));
    p.drawRoundedRect(QRectF(8, 4, 80, 112), 8, 8);
    if (terminal) {
        p.setBrush(QColor(120, 170, 120));
        p.drawRect(QRectF(18, 14, 60, 22));
        p.setBrush(QColor(250, 250, 250));
        for (int row = 0; row < 4; ++row)
            for (int col = 0; col < 3; ++col) p.drawRoundedRect(QRectF(22 + col * 18, 46 + row * 16, 14, 11), 2, 2);
    } else if (picture == "loq3") {
        p.setBrush(QColor(60, 90, 160));
        p.drawEllipse(QPointF(48, 48), 22, 22);
        p.setBrush(QColor(40, 200, 80));
        p.drawEllipse(QPointF(48, 96), 5, 5);
    } else {
        const int relays = picture == "zb40" ? 4 : 2;
        p.setBrush(QColor(40, 120, 60));
        for (int r = 0; r < relays; ++r) p.drawRect(QRectF(18, 14 + r * 24, 60, 16));
        p.setBrush(QColor(230, 60, 40));
        p.drawEllipse(QPointF(48, 108), 4, 4);
    }
    return pixmap;
}

class SheetDialog : public QDialog {
public:
    SheetDialog(QWidget* owner, PropertySheet& sheet) : QDialog(owner), sheet_(sheet) {
        setWindowTitle(qt(sheet.title()));
        auto* layout = new QVBoxLayout(this);
        tabs_ = new QTabWidget(this);
        tabs_->setObjectName("tabs");
        layout->addWidget(tabs_);
        const SheetLayout& l = sheet.layout();
        widgets_.resize(l.pages.size());
        for (std::size_t p = 0; p < l.pages.size(); ++p) tabs_->addTab(buildPage(p), qt(l.pages[p].title));
        auto* buttons = new QHBoxLayout;
        buttons->addStretch();
        refresh_ = addButton(buttons, "Obnova", "refresh");
        apply_ = addButton(buttons, "Použít", "apply");
        close_ = addButton(buttons, "Zavřít", "close");
        apply_->setDefault(true);
        layout->addLayout(buttons);
        connect(refresh_, &QPushButton::clicked, this, [this] {
            // What the user changed stays on the controls "Obnova" does not fill again.
            takeStates();
            run([this] { sheet_.refresh(); });
        });
        connect(apply_, &QPushButton::clicked, this, [this] {
            takeStates();
            run([this] { stored_ = sheet_.apply() || stored_; });
        });
        connect(close_, &QPushButton::clicked, this, [this] { tryClose(); });
        showStates();
    }

    bool stored() const { return stored_; }

protected:
    void closeEvent(QCloseEvent* event) override {
        event->ignore();
        tryClose();
    }
    void reject() override { tryClose(); }

private:
    QPushButton* addButton(QHBoxLayout* row, const char* text, const char* name) {
        auto* b = new QPushButton(QString::fromUtf8(text), this);
        b->setObjectName(name);
        row->addWidget(b);
        return b;
    }

    // An operation that may wait on the line: nothing else in the sheet meanwhile (the window
    // stays alive and may be asked to close; it closes only when the operation is over).
    template <class F>
    void run(F operation) {
        if (busy_) return;
        busy_ = true;
        for (QWidget* w : std::initializer_list<QWidget*>{refresh_, apply_, close_, tabs_}) w->setEnabled(false);
        operation();
        for (QWidget* w : std::initializer_list<QWidget*>{refresh_, apply_, close_, tabs_}) w->setEnabled(true);
        busy_ = false;
        showStates();
        if (closeAsked_) tryClose();
    }

    void tryClose() {
        // Asked while the line is busy: the sheet closes once the operation is over.
        closeAsked_ = busy_;
        if (busy_) return;
        takeStates();
        const PropertySheet::Closing closing = sheet_.close();
        if (closing == PropertySheet::Closing::Stay) return;
        if (closing == PropertySheet::Closing::Stored) stored_ = true;
        done(stored_ ? 1 : 0);
    }

    // A page's controls on a grid of four columns: a caption and its widget, and beside them the
    // control that goes with it (a relay's delay, the seconds of a door alarm) or a second
    // check box.
    QWidget* buildPage(std::size_t p) {
        const SheetPage& page = sheet_.layout().pages[p];
        auto* widget = new QWidget(tabs_);
        widget->setObjectName(qt(page.title));
        auto* layout = new QVBoxLayout(widget);
        if (p == 0) buildGeneral(widget, layout);
        auto* grid = new QGridLayout;
        layout->addLayout(grid);
        int row = -1;
        bool loneCheck = false;  // the current row holds one check box, in its left half
        std::string frameCaption;  // the caption of the frame the grid sits in
        const auto caption = [widget](const std::string& text) { return new QLabel(qt(text), widget); };
        for (std::size_t i = 0; i < page.controls.size(); ++i) {
            const SheetControl& c = page.controls[i];
            if (c.group != frameCaption) {
                // A frame of its own for the controls that share its caption, then the page's
                // grid again.
                frameCaption = c.group;
                if (frameCaption.empty()) {
                    grid = new QGridLayout;
                    layout->addLayout(grid);
                } else {
                    auto* frame = new QGroupBox(qt(frameCaption), widget);
                    layout->addWidget(frame);
                    grid = new QGridLayout(frame);
                }
                row = -1;
                loneCheck = false;
            }
            ControlWidgets cw;
            const bool beside = c.sameRow && row >= 0;
            // A check box with a control beside it keeps its row to itself.
            const bool partnered = i + 1 < page.controls.size() && page.controls[i + 1].sameRow;
            const bool secondCheck = c.kind == ControlKind::Check && loneCheck && !partnered;
            if (!beside && !secondCheck) ++row;
            loneCheck = false;
            switch (c.kind) {
                case ControlKind::Check:
                    cw.check = new QCheckBox(qt(c.label), widget);
                    cw.check->setObjectName(qt(c.name));
                    grid->addWidget(cw.check, row, secondCheck ? 2 : 0, 1, 2);
                    loneCheck = !secondCheck;
                    break;
                case ControlKind::List: {
                    cw.list = new QComboBox(widget);
                    cw.list->setObjectName(qt(c.name));
                    // Wide enough for its longest entry before it is filled (the sheet's size is fixed).
                    int longest = 0;
                    for (const auto& item : c.items) longest = std::max<int>(longest, static_cast<int>(qt(item).size()));
                    cw.list->setMinimumContentsLength(longest);
                    cw.list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
                    grid->addWidget(caption(c.label), row, 0);
                    grid->addWidget(cw.list, row, 1);
                    break;
                }
                case ControlKind::Radio: {
                    auto* group = new QGroupBox(qt(c.label), widget);
                    group->setObjectName(qt(c.name));
                    auto* buttons = new QHBoxLayout(group);
                    cw.radios = new QButtonGroup(group);
                    for (std::size_t b = 0; b < c.items.size(); ++b) {
                        auto* r = new QRadioButton(qt(c.items[b]), group);
                        r->setObjectName(qt(c.name + std::to_string(b)));
                        cw.radios->addButton(r, static_cast<int>(b));
                        buttons->addWidget(r);
                    }
                    grid->addWidget(group, row, 0, 1, 4);
                    break;
                }
                case ControlKind::Number:
                case ControlKind::Time:
                case ControlKind::Text: {
                    cw.field = new QLineEdit(widget);
                    cw.field->setObjectName(qt(c.name));
                    if (c.kind == ControlKind::Text) {
                        cw.field->setMaxLength(c.maxLength);
                        // '*' would end the data piece on the wire.
                        cw.field->setValidator(new QRegularExpressionValidator(QRegularExpression("[^*\\x00-\\x1f]*"), cw.field));
                    }
                    const bool captionFirst = !c.label.empty() && c.label.back() == ':';
                    const int column = beside ? 2 : 0;
                    if (!beside && c.kind == ControlKind::Text) {
                        grid->addWidget(caption(c.label), row, 0);
                        grid->addWidget(cw.field, row, 1, 1, 3);
                    } else if (captionFirst || !beside) {
                        grid->addWidget(caption(c.label), row, column);
                        grid->addWidget(cw.field, row, column + 1);
                    } else {
                        cw.field->setMaximumWidth(60);
                        grid->addWidget(cw.field, row, column);
                        grid->addWidget(caption(c.label), row, column + 1);
                    }
                    break;
                }
                case ControlKind::Label: {
                    auto* note = caption(c.label);
                    note->setObjectName(qt(c.name));
                    note->setWordWrap(true);
                    grid->addWidget(note, row, 0, 1, 4);
                    break;
                }
            }
            widgets_[p].push_back(cw);
        }
        grid->setColumnStretch(1, 1);
        grid->setColumnStretch(3, 1);
        layout->addStretch();
        return widget;
    }

    void buildGeneral(QWidget* page, QVBoxLayout* layout) {
        auto* top = new QHBoxLayout;
        picture_ = new QLabel(page);
        picture_->setObjectName("picture");
        top->addWidget(picture_);
        auto* names = new QVBoxLayout;
        QFont large("Arial");
        large.setBold(true);
        large.setPixelSize(27);
        typeName_ = new QLabel(page);
        typeName_->setObjectName("typeName");
        moduleName_ = new QLabel(page);
        moduleName_->setObjectName("moduleName");
        for (QLabel* l : {typeName_, moduleName_}) {
            l->setFont(large);
            names->addWidget(l);
        }
        names->addStretch();
        top->addLayout(names, 1);
        layout->addLayout(top);
        auto* facts = new QFormLayout;
        const char* captions[] = {"Vyrobní číslo:", "Datum výroby:", "Verze SW:", "ID médium:"};
        const char* fieldNames[] = {"serialNumber", "productionDate", "version", "idMedium"};
        for (int i = 0; i < 4; ++i) {
            facts_[i] = new QLineEdit(page);
            facts_[i]->setObjectName(fieldNames[i]);
            markReadOnly(facts_[i]);
            facts->addRow(QString::fromUtf8(captions[i]), facts_[i]);
        }
        layout->addLayout(facts);
        auto* rename = new QPushButton(QString::fromUtf8("Přejmenovat"), page);
        rename->setObjectName("rename");
        connect(rename, &QPushButton::clicked, this, [this] { renameModule(); });
        auto* row = new QHBoxLayout;
        row->addStretch();
        row->addWidget(rename);
        layout->addLayout(row);
    }

    void renameModule() {
        takeStates();  // the rename fills the pages again: the changes made on them go along
        QDialog d(this);
        d.setWindowTitle(QString::fromUtf8("Přejmenování"));
        auto* layout = new QVBoxLayout(&d);
        layout->addWidget(new QLabel(QString::fromUtf8("Nové jméno pro identifikaci zařízení:"), &d));
        auto* name = new QLineEdit(qt(sheet_.working().description()), &d);
        name->setObjectName("name");
        name->setMaxLength(15);
        layout->addWidget(name);
        auto* row = new QHBoxLayout;
        auto* ok = new QPushButton("OK", &d);
        auto* cancel = new QPushButton("Cancel", &d);
        ok->setDefault(true);
        row->addStretch();
        row->addWidget(ok);
        row->addWidget(cancel);
        layout->addLayout(row);
        connect(ok, &QPushButton::clicked, &d, &QDialog::accept);
        connect(cancel, &QPushButton::clicked, &d, &QDialog::reject);
        finishDialog(&d);
        d.move(frameGeometry().topLeft() + QPoint(40, 70));
        if (d.exec() == QDialog::Accepted) sheet_.rename(name->text().left(15).toStdString());
        showStates();
    }

    void showStates() {
        const GeneralFacts f = sheet_.facts();
        picture_->setPixmap(devicePicture(f.picture));
        typeName_->setText(qt(f.typeName));
        moduleName_->setText(qt(f.moduleName));
        const std::string values[] = {f.serialNumber, f.productionDate, f.version, f.idMedium};
        for (int i = 0; i < 4; ++i) facts_[i]->setText(qt(values[i]));
        const SheetLayout& l = sheet_.layout();
        for (std::size_t p = 0; p < l.pages.size(); ++p) {
            for (std::size_t i = 0; i < l.pages[p].controls.size(); ++i) {
                const ControlState& s = sheet_.states[p][i];
                const ControlWidgets& w = widgets_[p][i];
                if (w.check) {
                    w.check->setChecked(s.selection == 1);
                    w.check->setEnabled(s.enabled);
                } else if (w.list) {
                    w.list->clear();
                    for (const auto& item : s.items) w.list->addItem(qt(item));
                    w.list->setCurrentIndex(s.selection);
                    w.list->setEnabled(s.enabled);
                } else if (w.radios) {
                    // No button checked is a state of its own (the value 3).
                    w.radios->setExclusive(false);
                    for (QAbstractButton* b : w.radios->buttons()) b->setChecked(w.radios->id(b) == s.selection);
                    w.radios->setExclusive(true);
                    for (QAbstractButton* b : w.radios->buttons()) b->setEnabled(s.enabled);
                } else if (w.field) {
                    w.field->setText(qt(s.text));
                    w.field->setEnabled(s.enabled);
                }
            }
        }
    }

    void takeStates() {
        const SheetLayout& l = sheet_.layout();
        for (std::size_t p = 0; p < l.pages.size(); ++p) {
            for (std::size_t i = 0; i < l.pages[p].controls.size(); ++i) {
                ControlState& s = sheet_.states[p][i];
                const ControlWidgets& w = widgets_[p][i];
                if (w.check) s.selection = w.check->isChecked() ? 1 : 0;
                else if (w.list) s.selection = w.list->currentIndex();
                else if (w.radios) s.selection = w.radios->checkedId();
                else if (w.field) s.text = w.field->text().toStdString();
            }
        }
    }

    PropertySheet& sheet_;
    QTabWidget* tabs_ = nullptr;
    QPushButton *refresh_ = nullptr, *apply_ = nullptr, *close_ = nullptr;
    QLabel *picture_ = nullptr, *typeName_ = nullptr, *moduleName_ = nullptr;
    QLineEdit* facts_[4] = {};
    std::vector<std::vector<ControlWidgets>> widgets_;
    bool busy_ = false, closeAsked_ = false;
    bool stored_ = false;
};

}  // namespace

int runPropertySheet(QWidget* owner, int lineIndex, int moduleNumber) {
    platform::setLastSystemError(0);
    PropertySheet sheet;
    if (!sheet.open(lineIndex, moduleNumber)) {
        ModuleRecord module;
        if (readModuleRecord(lineIndex, moduleNumber, module))
            uiMessage("Vlastnosti", "Zařízení " + modelName(module.type()) + " nemá nastavitelné parametry. ",
                      MessageIcon::Information);
        return 0;
    }
    SheetDialog dialog(owner, sheet);
    finishDialog(&dialog);
    return dialog.exec();
}

}  // namespace lumo::gui
