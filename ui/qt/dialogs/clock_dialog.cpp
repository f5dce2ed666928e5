// "Nastavení času": the PC's clock shown, and the module's clock set to it or to typed values.
#include <memory>
#include <string>

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "actions/device_actions.h"
#include "base/ui_port.h"
#include "device/clock_setting.h"
#include "platform/clock.h"
#include "platform/system_error.h"
#include "ui/field_rules.h"
#include "ui/qt/dialogs.h"

namespace lumo::gui {

namespace {

// The text a field held before its latest change, whichever of textChanged and textEdited
// comes first. The field's own text is read, not the signal's: a change made inside the
// textEdited handler is followed by the textChanged of the keystroke with the older text.
class FieldHistory {
public:
    explicit FieldHistory(QLineEdit* field) : last_(field->text().toStdString()) {
        QObject::connect(field, &QLineEdit::textChanged, field, [this, field] {
            std::string now = field->text().toStdString();
            if (now == last_) return;
            previous_ = std::move(last_);
            last_ = std::move(now);
        });
    }
    std::string before(const QString& edited) const { return last_ == edited.toStdString() ? previous_ : last_; }

private:
    std::string previous_, last_;
};

}  // namespace

int runClockDialog(QWidget* owner, int lineIndex, int moduleNumber) {
    platform::setLastSystemError(0);
    if (!actionDone(clockSettingApplies(lineIndex, moduleNumber))) return 0;
    QDialog dialog(owner);
    dialog.setWindowTitle(QString::fromUtf8("Nastavení času"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* grid = new QGridLayout;
    layout->addLayout(grid);
    grid->addWidget(new QLabel("datum", &dialog), 0, 1);
    grid->addWidget(new QLabel(QString::fromUtf8("čas"), &dialog), 0, 2);
    grid->addWidget(new QLabel("den", &dialog), 0, 3);
    grid->addWidget(new QLabel(QString::fromUtf8("Systém"), &dialog), 1, 0);
    grid->addWidget(new QLabel("Nastavit", &dialog), 2, 0);
    auto field = [&dialog](const char* name) {
        auto* e = new QLineEdit(&dialog);
        e->setObjectName(name);
        return e;
    };
    QLineEdit* systemDate = field("systemDate");
    QLineEdit* systemTime = field("systemTime");
    QLineEdit* systemDay = field("systemDay");
    for (QLineEdit* e : {systemDate, systemTime, systemDay}) markReadOnly(e);
    QLineEdit* date = field("date");
    QLineEdit* time = field("time");
    auto* day = new QComboBox(&dialog);
    day->setObjectName("day");
    for (int i = 0; i < 7; ++i) day->addItem(QString::fromStdString(weekdayName(i)));
    grid->addWidget(systemDate, 1, 1);
    grid->addWidget(systemTime, 1, 2);
    grid->addWidget(systemDay, 1, 3);
    grid->addWidget(date, 2, 1);
    grid->addWidget(time, 2, 2);
    grid->addWidget(day, 2, 3);
    auto* system = new QCheckBox(QString::fromUtf8("Systémový čas"), &dialog);
    system->setObjectName("system");
    system->setChecked(true);
    layout->addWidget(system);
    auto* buttons = new QHBoxLayout;
    auto* set = new QPushButton("Nastavit", &dialog);
    set->setObjectName("set");
    auto* closeButton = new QPushButton(QString::fromUtf8("Zavřít"), &dialog);
    buttons->addStretch();
    buttons->addWidget(set);
    buttons->addWidget(closeButton);
    layout->addLayout(buttons);

    // The PC's clock, every second.
    auto tick = [=] {
        const platform::LocalTime now = platform::localTime();
        systemDate->setText(QString::fromStdString(DateFieldShow(packClockDate(now.day, now.month, now.year))));
        systemTime->setText(QString::fromStdString(TimeFieldShow(packClockTime(now.hour, now.minute, now.second))));
        systemDay->setText(QString::fromStdString(weekdayName(now.weekday)));
    };
    tick();
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, &dialog, tick);
    timer.start(1000);

    // The editable row follows the check box; cleared, it starts from the PC's values.
    auto editable = [=](bool on) {
        date->setEnabled(on);
        time->setEnabled(on);
        day->setEnabled(on);
    };
    editable(false);
    QObject::connect(system, &QCheckBox::toggled, &dialog, [=](bool checked) {
        editable(!checked);
        if (!checked) {
            date->setText(systemDate->text());
            time->setText(systemTime->text());
            day->setCurrentIndex(day->findText(systemDay->text()));
        }
    });
    // What each field held before the user's change: the typing rules look at what was typed.
    const auto dateHistory = std::make_shared<FieldHistory>(date);
    const auto timeHistory = std::make_shared<FieldHistory>(time);
    QObject::connect(date, &QLineEdit::textEdited, &dialog, [date, day, dateHistory](const QString& text) {
        const QString typed = QString::fromStdString(DateFieldTyping(text.toStdString(), dateHistory->before(text)));
        if (typed != text) date->setText(typed);
        // A whole date typed selects its weekday (the list can still be changed).
        std::string whole = typed.toStdString();
        std::uint32_t value = kNoDate;
        if (whole.size() >= 8 && DateFieldRead(whole, value) && value != kNoDate) {
            if (const int weekday = weekdayOfDate(value); weekday >= 0) day->setCurrentIndex(weekday);
        }
    });
    QObject::connect(time, &QLineEdit::textEdited, &dialog, [time, timeHistory](const QString& text) {
        const QString typed = QString::fromStdString(TimeFieldTyping(text.toStdString(), timeHistory->before(text)));
        if (typed != text) time->setText(typed);
    });
    // Leaving a field with an invalid value puts the focus back with the text selected, and the
    // status bar says which rule the field breaks; a field put right clears that text again.
    auto readDate = [date](std::uint32_t& value) {
        std::string text = date->text().toStdString();
        value = kNoDate;
        if (!DateFieldRead(text, value) || value == kNoDate) return false;
        date->setText(QString::fromStdString(text));
        return true;
    };
    auto readTime = [time](std::uint32_t& value) {
        std::string text = time->text().toStdString();
        if (!TimeFieldRead(text, value) || value == kNoTime) return false;
        time->setText(QString::fromStdString(text));
        return true;
    };
    auto reselect = [](QLineEdit* e) {
        e->setFocus();
        e->selectAll();
    };
    // The field whose refusal the status bar shows: only that field, put right, clears it.
    // The focus put back makes the other field leave in its turn: that is no leaving of the user's.
    const auto refusalShown = std::make_shared<QLineEdit*>(nullptr);
    const auto puttingBack = std::make_shared<bool>(false);
    auto leaving = [refusalShown, puttingBack, reselect](QLineEdit* e, const std::string& refusal) {
        if (!e->isEnabled() || *puttingBack) return;
        if (!refusal.empty()) {
            uiStatus(refusal);
            *refusalShown = e;
            *puttingBack = true;
            reselect(e);
            *puttingBack = false;
        } else if (*refusalShown == e) {
            uiStatus("");
            *refusalShown = nullptr;
        }
    };
    QObject::connect(date, &QLineEdit::editingFinished, &dialog, [=] {
        std::uint32_t v = 0;
        if (date->text().isEmpty() || readDate(v)) leaving(date, {});
        else leaving(date, dateFieldRefusal(date->text().toStdString()));
    });
    QObject::connect(time, &QLineEdit::editingFinished, &dialog, [=] {
        std::uint32_t v = 0;
        if (time->text().isEmpty() || readTime(v)) leaving(time, {});
        else leaving(time, timeFieldRefusal(time->text().toStdString()));
    });

    // "Nastavit" with a field that holds no date or time says why and sends nothing.
    auto refuse = [reselect](QLineEdit* e, const std::string& refusal) {
        uiMessage("Upozornění", refusal, MessageIcon::Error);
        reselect(e);
    };
    QObject::connect(set, &QPushButton::clicked, &dialog, [&] {
        ClockChoice choice;
        choice.system = system->isChecked();
        if (!choice.system) {
            if (!readDate(choice.date)) return refuse(date, dateFieldRefusal(date->text().toStdString()));
            if (!readTime(choice.time)) return refuse(time, timeFieldRefusal(time->text().toStdString()));
            choice.weekday = day->currentIndex();
        }
        timer.stop();
        *refusalShown = nullptr;  // the set puts its own outcome into the status bar
        dialog.done(actionDone(setModuleClock(lineIndex, moduleNumber, choice)) ? 1 : 0);
    });
    QObject::connect(closeButton, &QPushButton::clicked, &dialog, [&] {
        timer.stop();
        if (*refusalShown != nullptr) uiStatus("");
        dialog.done(1);
    });
    finishDialog(&dialog);
    return dialog.exec();
}

}  // namespace lumo::gui
