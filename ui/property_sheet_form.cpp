#include "ui/property_sheet_form.h"

#include "base/ui_port.h"
#include "model/cp1250.h"
#include "model/device_catalog.h"
#include "model/installation.h"
#include "platform/system_error.h"

namespace lumo {
namespace {

constexpr std::size_t kNameLength = 15;

bool showsChoice(ControlKind kind) { return kind == ControlKind::Check || kind == ControlKind::List || kind == ControlKind::Radio; }
bool showsField(ControlKind kind) { return kind == ControlKind::Number || kind == ControlKind::Time || kind == ControlKind::Text; }

}  // namespace

PropertySheetForm::PropertySheetForm() {
    for (FormField* f : {&serialNumber, &productionDate, &version, &idMedium}) f->readOnly = true;
    refresh.text = "Obnova";
    apply.text = "Použít";
    close.text = "Zavřít";
    rename.text = "Přejmenovat";
}

bool PropertySheetForm::open(int lineIndex, int moduleNumber) {
    platform::setLastSystemError(0);
    if (!sheet_.open(lineIndex, moduleNumber)) {
        ModuleRecord module;
        if (readModuleRecord(lineIndex, moduleNumber, module))
            uiMessage("Vlastnosti", "Zařízení " + modelName(module.type()) + " nemá nastavitelné parametry. ",
                      MessageIcon::Information);
        return false;
    }
    title = sheet_.title();
    pages.clear();
    for (const SheetPage& page : sheet_.layout().pages) {
        SheetFormPage& shown = pages.emplace_back();
        shown.title = page.title;
        for (const SheetControl& row : page.controls) {
            SheetFormControl& control = shown.controls.emplace_back();
            control.row = &row;
            if (row.kind == ControlKind::Radio) control.choice.items = row.items;
            if (row.kind == ControlKind::Text) control.field.maxLength = row.maxLength;
        }
    }
    show();
    return true;
}

bool PropertySheetForm::takes(const SheetFormControl& control, const std::string& text) {
    if (control.row == nullptr || control.row->kind != ControlKind::Text) return true;
    for (const char c : text)
        if (c == '*' || (static_cast<unsigned char>(c) < 0x20)) return false;
    return true;
}

void PropertySheetForm::show() {
    const GeneralFacts f = sheet_.facts();
    typeName = f.typeName;
    moduleName = f.moduleName;
    picture = f.picture;
    serialNumber.text = f.serialNumber;
    productionDate.text = f.productionDate;
    version.text = f.version;
    idMedium.text = f.idMedium;
    for (std::size_t p = 0; p < pages.size(); ++p) {
        for (std::size_t i = 0; i < pages[p].controls.size(); ++i) {
            SheetFormControl& control = pages[p].controls[i];
            const ControlState& s = sheet_.states[p][i];
            const ControlKind kind = control.row->kind;
            control.choice.enabled = control.field.enabled = s.enabled;
            if (kind == ControlKind::List) control.choice.items = s.items;
            if (showsChoice(kind)) {
                // What the controls can show: a check box ticked or not, an entry they have or
                // none.
                const int entries = static_cast<int>(control.choice.items.size());
                if (kind == ControlKind::Check) control.choice.chosen = s.selection == 1 ? 1 : 0;
                else control.choice.chosen = s.selection >= 0 && s.selection < entries ? s.selection : -1;
            } else if (showsField(kind)) {
                const std::size_t length = static_cast<std::size_t>(control.field.maxLength);
                control.field.text = length > 0 ? utf8Prefix(s.text, length) : s.text;
            }
        }
    }
}

void PropertySheetForm::handOn() {
    for (std::size_t p = 0; p < pages.size(); ++p) {
        for (std::size_t i = 0; i < pages[p].controls.size(); ++i) {
            const SheetFormControl& control = pages[p].controls[i];
            ControlState& s = sheet_.states[p][i];
            if (showsChoice(control.row->kind)) s.selection = control.choice.chosen;
            else if (showsField(control.row->kind)) s.text = control.field.text;
        }
    }
}

void PropertySheetForm::enable(bool enabled) {
    for (FormField* b : {&refresh, &apply, &close, &rename}) b->enabled = enabled;
    pagesEnabled = enabled;
}

template <class Operation>
int PropertySheetForm::waiting(Operation operation) {
    if (busy_) return kFormStaysOpen;
    handOn();
    busy_ = true;
    enable(false);
    if (showNow) showNow();
    operation();
    enable(true);
    busy_ = false;
    show();
    return closeAsked_ ? pressClose() : kFormStaysOpen;
}

int PropertySheetForm::pressRefresh() {
    return waiting([this] { sheet_.refresh(); });
}

int PropertySheetForm::pressApply() {
    return waiting([this] { stored_ = sheet_.apply() || stored_; });
}

int PropertySheetForm::pressClose() {
    closeAsked_ = busy_;
    if (busy_) return kFormStaysOpen;
    handOn();
    const PropertySheet::Closing closing = sheet_.close();
    if (closing == PropertySheet::Closing::Stay) return kFormStaysOpen;
    if (closing == PropertySheet::Closing::Stored) stored_ = true;
    return stored_ ? 1 : 0;
}

int PropertySheetForm::pressRename() {
    if (busy_) return kFormStaysOpen;
    handOn();  // the rename fills the pages again: the changes made on them go along
    FormField name;
    name.text = sheet_.working().description();
    name.maxLength = static_cast<int>(kNameLength);
    if (askName && askName(name)) sheet_.rename(utf8Prefix(name.text, kNameLength));
    show();
    return kFormStaysOpen;
}

}  // namespace lumo
