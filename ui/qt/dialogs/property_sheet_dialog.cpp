// "Vlastnosti": the widgets of PropertySheetForm (ui/property_sheet_form.h), a tab per page.
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
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

#include "ui/property_sheet_form.h"
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
    SheetDialog(QWidget* owner, PropertySheetForm& form) : QDialog(owner), form_(form) {
        setWindowTitle(qt(form.title));
        auto* layout = new QVBoxLayout(this);
        tabs_ = new QTabWidget(this);
        tabs_->setObjectName("tabs");
        layout->addWidget(tabs_);
        widgets_.resize(form.pages.size());
        for (std::size_t p = 0; p < form.pages.size(); ++p) tabs_->addTab(buildPage(p), qt(form.pages[p].title));
        auto* buttons = new QHBoxLayout;
        buttons->addStretch();
        refresh_ = addButton(buttons, "refresh");
        apply_ = addButton(buttons, "apply");
        close_ = addButton(buttons, "close");
        apply_->setDefault(true);
        layout->addLayout(buttons);
        connect(refresh_, &QPushButton::clicked, this, [this] { finish(form_.pressRefresh()); });
        connect(apply_, &QPushButton::clicked, this, [this] { finish(form_.pressApply()); });
        connect(close_, &QPushButton::clicked, this, [this] { finish(form_.pressClose()); });
        form_.showNow = [this] { showForm(); };
        form_.askName = [this](FormField& name) { return askName(name); };
        showForm();
    }

protected:
    void closeEvent(QCloseEvent* event) override {
        event->ignore();
        finish(form_.pressClose());
    }
    void reject() override { finish(form_.pressClose()); }

private:
    QPushButton* addButton(QHBoxLayout* row, const char* name) {
        auto* b = new QPushButton(this);
        b->setObjectName(name);
        row->addWidget(b);
        return b;
    }

    // What a button returned, shown; the sheet closes when the form says so.
    void finish(int result) {
        showForm();
        if (result != kFormStaysOpen) done(result);
    }

    // A page's controls on a grid of four columns: a caption and its widget, and beside them the
    // control that goes with it (a relay's delay, the seconds of a door alarm) or a second
    // check box.
    QWidget* buildPage(std::size_t p) {
        SheetFormPage& page = form_.pages[p];
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
            SheetFormControl& control = page.controls[i];
            const SheetControl& c = *control.row;
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
            const bool partnered = i + 1 < page.controls.size() && page.controls[i + 1].row->sameRow;
            const bool secondCheck = c.kind == ControlKind::Check && loneCheck && !partnered;
            if (!beside && !secondCheck) ++row;
            loneCheck = false;
            switch (c.kind) {
                case ControlKind::Check:
                    cw.check = new QCheckBox(qt(c.label), widget);
                    cw.check->setObjectName(qt(c.name));
                    grid->addWidget(cw.check, row, secondCheck ? 2 : 0, 1, 2);
                    loneCheck = !secondCheck;
                    connect(cw.check, &QCheckBox::toggled, this, [&control](bool checked) { control.choice.chosen = checked ? 1 : 0; });
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
                    connect(cw.list, &QComboBox::currentIndexChanged, this, [&control](int index) { control.choice.chosen = index; });
                    break;
                }
                case ControlKind::Radio: {
                    auto* group = new QGroupBox(qt(c.label), widget);
                    group->setObjectName(qt(c.name));
                    auto* buttons = new QHBoxLayout(group);
                    cw.radios = new QButtonGroup(group);
                    for (std::size_t b = 0; b < control.choice.items.size(); ++b) {
                        auto* r = new QRadioButton(qt(control.choice.items[b]), group);
                        r->setObjectName(qt(c.name + std::to_string(b)));
                        cw.radios->addButton(r, static_cast<int>(b));
                        buttons->addWidget(r);
                    }
                    grid->addWidget(group, row, 0, 1, 4);
                    connect(cw.radios, &QButtonGroup::idToggled, this, [&control](int id, bool checked) {
                        if (checked) control.choice.chosen = id;
                    });
                    break;
                }
                case ControlKind::Number:
                case ControlKind::Time:
                case ControlKind::Text: {
                    cw.field = new QLineEdit(widget);
                    cw.field->setObjectName(qt(c.name));
                    if (c.kind == ControlKind::Text)
                        limitTyping(cw.field, [&control](const std::string& text) { return PropertySheetForm::takes(control, text); });
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
                    connect(cw.field, &QLineEdit::textChanged, this, [&control](const QString& text) { control.field.text = text.toStdString(); });
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
            facts->addRow(QString::fromUtf8(captions[i]), facts_[i]);
        }
        layout->addLayout(facts);
        rename_ = new QPushButton(page);
        rename_->setObjectName("rename");
        connect(rename_, &QPushButton::clicked, this, [this] { finish(form_.pressRename()); });
        auto* row = new QHBoxLayout;
        row->addStretch();
        row->addWidget(rename_);
        layout->addLayout(row);
    }

    bool askName(FormField& name) {
        QDialog d(this);
        d.setWindowTitle(QString::fromUtf8("Přejmenování"));
        auto* layout = new QVBoxLayout(&d);
        layout->addWidget(new QLabel(QString::fromUtf8("Nové jméno pro identifikaci zařízení:"), &d));
        auto* edit = new QLineEdit(&d);
        edit->setObjectName("name");
        showField(edit, name);
        layout->addWidget(edit);
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
        if (d.exec() != QDialog::Accepted) return false;
        name.text = edit->text().toStdString();
        return true;
    }

    void showForm() {
        picture_->setPixmap(devicePicture(form_.picture));
        typeName_->setText(qt(form_.typeName));
        moduleName_->setText(qt(form_.moduleName));
        const FormField* facts[] = {&form_.serialNumber, &form_.productionDate, &form_.version, &form_.idMedium};
        for (int i = 0; i < 4; ++i) showField(facts_[i], *facts[i]);
        for (std::size_t p = 0; p < form_.pages.size(); ++p) {
            for (std::size_t i = 0; i < form_.pages[p].controls.size(); ++i) {
                const SheetFormControl& c = form_.pages[p].controls[i];
                const ControlWidgets& w = widgets_[p][i];
                if (w.check) {
                    w.check->setChecked(c.choice.chosen == 1);
                    w.check->setEnabled(c.choice.enabled);
                } else if (w.list) {
                    showChoice(w.list, c.choice);
                } else if (w.radios) {
                    // No button checked is a state of its own.
                    w.radios->setExclusive(false);
                    for (QAbstractButton* b : w.radios->buttons()) b->setChecked(w.radios->id(b) == c.choice.chosen);
                    w.radios->setExclusive(true);
                    for (QAbstractButton* b : w.radios->buttons()) b->setEnabled(c.choice.enabled);
                } else if (w.field) {
                    showField(w.field, c.field);
                }
            }
        }
        showButton(refresh_, form_.refresh);
        showButton(apply_, form_.apply);
        showButton(close_, form_.close);
        showButton(rename_, form_.rename);
        tabs_->setEnabled(form_.pagesEnabled);
    }

    PropertySheetForm& form_;
    QTabWidget* tabs_ = nullptr;
    QPushButton *refresh_ = nullptr, *apply_ = nullptr, *close_ = nullptr, *rename_ = nullptr;
    QLabel *picture_ = nullptr, *typeName_ = nullptr, *moduleName_ = nullptr;
    QLineEdit* facts_[4] = {};
    std::vector<std::vector<ControlWidgets>> widgets_;
};

}  // namespace

int runPropertySheet(QWidget* owner, int lineIndex, int moduleNumber) {
    PropertySheetForm form;
    if (!form.open(lineIndex, moduleNumber)) return 0;
    SheetDialog dialog(owner, form);
    finishDialog(&dialog);
    return execDialog(dialog);
}

}  // namespace lumo::gui
