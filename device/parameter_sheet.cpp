#include "device/parameter_sheet.h"

#include <cstdio>

#include "device/module_parameters.h"
#include "serial/serial_number.h"
#include "model/device_catalog.h"

namespace lumo {
namespace {

// Offsets of the parameter area's bytes that the sheets gather.
constexpr std::size_t kFlagsByte = 32, kP1 = 58, kP2 = 59, kP3 = 60, kP4 = 61, kSwitches = 62, kDelays = 64;
constexpr std::size_t kFrom = 68, kTo = 70, kHoldOpen = 72, kDeviceFlags = 99, kDoorTime = 100, kReader1 = 104,
                      kReader2 = 105, kDisplayText = 41;

FieldRef bits(BitGroup g) { return {FieldKind::Bits, g.offset, g.shift, g.width}; }

SheetControl check(const char* name, const char* label, FieldRef field, int shown, int enabled) {
    SheetControl c;
    c.name = name;
    c.label = label;
    c.kind = ControlKind::Check;
    c.field = field;
    c.shownLevel = shown;
    c.enabledLevel = enabled;
    return c;
}

SheetControl number(const char* name, const char* label, FieldRef field, int shown, int enabled) {
    SheetControl c = check(name, label, field, shown, enabled);
    c.kind = ControlKind::Number;
    return c;
}

SheetControl timeField(const char* name, const char* label, std::size_t offset) {
    SheetControl c = check(name, label, {FieldKind::Time, offset}, 1, 1);
    c.kind = ControlKind::Time;
    c.maxLength = 9;
    return c;
}

SheetControl list(const char* name, const char* label, FieldRef field, std::vector<std::string> items, int shown,
                  int enabled) {
    SheetControl c = check(name, label, field, shown, enabled);
    c.kind = ControlKind::List;
    c.items = std::move(items);
    return c;
}

const std::vector<std::string> kRelayModes = {"nespíná", "spínací", "hlídání dveří", "přepínací"};

SheetControl relay(const char* name, const char* label, BitGroup mode) {
    SheetControl c = list(name, label, bits(mode), kRelayModes, 0, 0);
    c.clampToLast = true;
    return c;
}

SheetControl beside(SheetControl c) {
    c.sameRow = true;
    return c;
}

SheetControl delay(const char* name, int relayNumber) {
    return beside(number(name, "zpoždění (s):", {FieldKind::Byte, kDelays + static_cast<std::size_t>(relayNumber - 1)}, 0, 0));
}

SheetControl doorTime(const char* label, int shown, int enabled) {
    return number("doorTime", label, {FieldKind::Int32, kDoorTime}, shown, enabled);
}

// The seconds of "Alarm při nezavření dveří po ... vteřinách", beside its check box.
SheetControl doorSeconds() { return beside(doorTime("vteřinách", 1, 1)); }

SheetControl note(const char* name, const char* text) {
    SheetControl c = check(name, text, {}, kNever, 0);
    c.kind = ControlKind::Label;
    return c;
}

SheetPage generalPage() {
    return {"Obecné",
            {list("usage", "Využití zařízení",
                  bits(param::kSwitchedOffByUser), {"používat toto zařízení (povoleno)", "nepoužívat toto zařízení (zakázáno)"}, 0, 0)}};
}

SheetPage operationsPage(std::vector<std::string> externalDevices, int externalEnabled, std::vector<SheetControl> holdOpen) {
    SheetPage page{"Provozní...",
                   {list("externalDevice", "Externí zařízení:", bits(param::kExternalDevice), std::move(externalDevices), 1,
                         externalEnabled),
                    number("reader1Operation", "Operace pro 1. snímač:", {FieldKind::Byte, kReader1}, 1, 1),
                    number("reader2Operation", "Operace pro 2. snímač:", {FieldKind::Byte, kReader2}, 1, 1),
                    timeField("intervalFrom", "OD:", kFrom), beside(timeField("intervalTo", "DO:", kTo))}};
    for (auto& c : holdOpen) page.controls.push_back(std::move(c));
    return page;
}

SheetLayout tq300Layout(const char* title) {
    SheetControl displayText = check("displayText", "Uvodní text na display", {FieldKind::Text, kDisplayText}, 0, 0);
    displayText.kind = ControlKind::Text;
    displayText.maxLength = 16;
    SheetControl backlight = check("backlight", "Podvícení displaye", bits(param::kBacklight), 1, 1);
    backlight.kind = ControlKind::Radio;
    backlight.items = {"Nikdy", "Stále", "Automaticky"};
    return {title,
            {generalPage(),
             {"Parametry",
              {displayText, check("presets", "Předvolby", bits(param::kPresets), 0, 0),
               check("pin", "PIN", bits(param::kPin), 0, 0), check("records", "Evidence", bits(param::kRecords), 0, 0),
               check("keySound", "Zvuk klávesnice", bits(param::kKeySound), 1, 1),
               check("readSound", "Zvuk při čtení", bits(param::kReadSound), 1, 1),
               check("operationByNumber", "Výběr operace číslem", bits(param::kOperationByNumber), 1, 1),
               check("menuPassword", "Heslo do menu", bits(param::kMenuPassword), 1, 1),
               check("forcedOperation", "Vynucená volba operace", bits(param::kForcedOperation), 1, 1),
               check("peopleCounting", "Počítání lidí", bits(param::kPeopleCounting), 1, 1),
               check("antiPassBack", "Anti-pass-back", bits(param::kAntiPassBack), 2, 2),
               check("rightsOnMtrOnly", "Práva pouze na MTR", bits(param::kRightsOnMtrOnly), 4, 4)}},
             {"Nastaveni",
              {relay("relay1", "Relé č. 1", param::kRelay1Mode), delay("delay1", 1), relay("relay2", "Relé č. 2", param::kRelay2Mode),
               delay("delay2", 2), check("alarmOpened", "Alarm při otevření dveří", bits(param::kAlarmOpened), 1, 1),
               check("alarmNotClosed", "Alarm při nezavření dveří po", bits(param::kAlarmNotClosed), 1, 1), doorSeconds(), backlight}},
             operationsPage({"nepoužito", "snímač MTR1", "snímač MTR2", "výstup EZS"}, 1,
                            {check("holdOpen1", "Trvale otevřít Relé 1", bits(param::kHoldOpenRelay1), 2, 2),
                             check("holdOpen2", "Trvale otevřít Relé 2", bits(param::kHoldOpenRelay2), 2, 2)})},
            {kSwitches, kDeviceFlags, kP1, kP2, kP3, kHoldOpen}};
}

SheetLayout loq3Layout() {
    std::vector<SheetControl> holdOpen = {
        check("holdOpen", "Trvale otevřít relé v nastavené intervalu", bits(param::kHoldOpenInInterval), 2, 2)};
    const char* days[] = {"Ne", "Po", "Ut", "St", "Ct", "Pa", "So"};
    const char* dayNames[] = {"sunday", "monday", "tuesday", "wednesday", "thursday", "friday", "saturday"};
    for (int d = 0; d < 7; ++d) holdOpen.push_back(check(dayNames[d], days[d], bits(param::holdOpenDay(d)), 3, 3));
    return {"LOQ3 - ID %d",
            {generalPage(),
             {"Nastaveni",
              {relay("relay1", "Relé č. 1", param::kRelay1Mode), delay("delay1", 1),
               check("closedAtRest", "v klidu sepnuté relé", bits(param::kClosedAtRest), 1, 0),
               check("alarmOpened", "Alarm při otevření dveří", bits(param::kAlarmOpened), 1, 1),
               check("alarmNotClosed", "Alarm při nezavření dveří", bits(param::kAlarmNotClosed), 1, 1),
               doorTime("Doba pro zavření dveří: (0-90 s)", 0, 1), check("records", "Evidence", bits(param::kRecords), 1, 1),
               check("history", "Zápis historie", bits(param::kHistory), 1, 1),
               check("readSound", "Zvuk při čtení", {}, kNever, kNever)}},
             operationsPage({"nepoužito", "snímač MTR1", "snímač MTR2"}, kNever, std::move(holdOpen))},
            {kP3, kSwitches, kP2, kP1, kDeviceFlags, kHoldOpen}};
}

SheetPage zbParameters() {
    return {"Parametry",
            {check("pin", "PIN", bits(param::kPin), 0, 0), check("records", "Evidence", bits(param::kRecords), 0, 0),
             check("readSound", "Zvuk při čtení", bits(param::kReadSound), 1, 1),
             check("peopleCounting", "Počítání lidí", bits(param::kPeopleCounting), 1, 1),
             check("antiPassBack", "Anti-pass-back", bits(param::kAntiPassBack), 1, 0),
             check("history", "Zápis historie", bits(param::kHistory), 1, 0)}};
}

std::vector<SheetControl> doorGuard(std::vector<SheetControl> relays) {
    relays.push_back(check("alarmOpened", "Alarm při otevření dveří", bits(param::kAlarmOpened), 1, 1));
    relays.push_back(check("alarmNotClosed", "Alarm při nezavření dveří po", bits(param::kAlarmNotClosed), 1, 1));
    relays.push_back(doorSeconds());
    for (auto it = relays.end() - 3; it != relays.end(); ++it) it->group = "Hlídání dveří";
    return relays;
}

SheetLayout zb40Layout() {
    return {"ZB40 - ID %d",
            {generalPage(), zbParameters(),
             {"Subsystém 1",
              doorGuard({relay("relay1", "Relé č. 1", param::kRelay1Mode), delay("delay1", 1), relay("relay3", "Relé č. 3", param::kRelay3Mode),
                         delay("delay3", 3)})},
             {"Subsystém 2",
              {relay("relay2", "Relé č. 2", param::kRelay2Mode), delay("delay2", 2), relay("relay4", "Relé č. 4", param::kRelay4Mode),
               delay("delay4", 4), check("alarmOpened2", "Alarm při otevření dveří", bits(param::kSubsystem2AlarmOpened), 1, 1),
               check("alarmNotClosed2", "Alarm při nezavření dveří", bits(param::kSubsystem2AlarmNotClosed), 1, 1),
               note("note", "Doba pro vyvolání alarmů je shodná s nastavením Subsystému 1")}}},
            {kSwitches, kDeviceFlags, kP2, kP3, kP4, kP1}};
}

SheetLayout zb20Layout() {
    SheetControl relay2 = relay("relay2", "Relé č. 2", param::kRelay2Mode);
    relay2.mirror = bits(param::kRelay3Mode);  // P4 bits 0-3
    return {"ZB20 - ID %d",
            {generalPage(), zbParameters(),
             {"Subsystém 1", doorGuard({relay("relay1", "Relé č. 1", param::kRelay1Mode), delay("delay1", 1), relay2, delay("delay2", 2)})}},
            {kSwitches, kDeviceFlags, kP2, kP3, kP4, kP1}};
}

std::uint32_t fieldBits(const ModuleRecord& r, const FieldRef& f) { return r.bits({f.offset, f.shift, f.width}); }

void setFieldBits(ModuleRecord& r, const FieldRef& f, std::uint32_t value) { r.setBits({f.offset, f.shift, f.width}, value); }

std::string timeText(std::uint8_t hour, std::uint8_t minute) {
    if (hour == 0 && minute == 0) return {};
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d", hour, minute);
    return text;
}

// At most `count` characters of UTF-8 text, never splitting one.
std::string firstCharacters(const std::string& text, int count) {
    std::size_t at = 0;
    for (int n = 0; at < text.size() && n < count; ++n) {
        ++at;
        while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) ++at;
    }
    return text.substr(0, at);
}

}  // namespace

const SheetLayout* sheetLayout(DeviceTypeCode type) {
    static const SheetLayout tq300 = tq300Layout("TQ300 - ID %d"), mn600 = tq300Layout("MN600 - ID %d"),
                             loq3 = loq3Layout(), zb40 = zb40Layout(), zb20 = zb20Layout();
    switch (parameterFamily(type)) {
        case ParameterFamily::Tq300: return type == models::kMn600 ? &mn600 : &tq300;
        case ParameterFamily::Loq3: return &loq3;
        case ParameterFamily::Zb40: return &zb40;
        case ParameterFamily::Zb20: return &zb20;
        case ParameterFamily::None: return nullptr;
    }
    return nullptr;
}

std::string sheetTitle(const SheetLayout& layout, const ModuleRecord& record) {
    char text[64];
    std::snprintf(text, sizeof text, layout.titlePattern.c_str(), record.id());
    return text;
}

SheetStates newSheetStates(const SheetLayout& layout) {
    SheetStates states;
    for (const auto& page : layout.pages) states.emplace_back(page.controls.size());
    return states;
}

void FillSheetPages(const SheetLayout& layout, const ModuleRecord& r, SheetStates& states) {
    const int level = r.featureLevel();
    for (std::size_t p = 0; p < layout.pages.size(); ++p) {
        for (std::size_t i = 0; i < layout.pages[p].controls.size(); ++i) {
            const SheetControl& c = layout.pages[p].controls[i];
            ControlState& s = states.at(p).at(i);
            s.enabled = c.enabledLevel != kNever && level >= c.enabledLevel;
            if (c.shownLevel == kNever || level < c.shownLevel) {
                // Not set at this level: as the page was created, so that a value set at a
                // higher level before a refresh is not gathered unseen.
                const bool enabled = s.enabled;
                s = ControlState{};
                s.enabled = enabled;
                continue;
            }
            switch (c.kind) {
                case ControlKind::Check: s.selection = static_cast<int>(fieldBits(r, c.field)); break;
                case ControlKind::List:
                case ControlKind::Radio: {
                    // A list is emptied before it is filled.
                    if (c.kind == ControlKind::List) s.items = c.items;
                    const int value = static_cast<int>(fieldBits(r, c.field));
                    const int entries = static_cast<int>(c.items.size());
                    s.selection = value < entries ? value : c.clampToLast ? entries - 1 : -1;
                    break;
                }
                case ControlKind::Number:
                    s.text = std::to_string(c.field.kind == FieldKind::Int32 ? static_cast<long>(r.i32(c.field.offset))
                                                                             : static_cast<long>(r.u8(c.field.offset)));
                    break;
                case ControlKind::Time: s.text = timeText(r.u8(c.field.offset), r.u8(c.field.offset + 1)); break;
                case ControlKind::Text: s.text = r.text(c.field.offset, static_cast<std::size_t>(c.maxLength) + 1); break;
                case ControlKind::Label: break;
            }
        }
    }
}

void GatherSheetPages(const SheetLayout& layout, const SheetStates& states, ModuleRecord& r) {
    for (std::size_t offset : layout.builtBytes) r.setU8(offset, 0);
    for (std::size_t p = 0; p < layout.pages.size(); ++p) {
        for (std::size_t i = 0; i < layout.pages[p].controls.size(); ++i) {
            const SheetControl& c = layout.pages[p].controls[i];
            const ControlState& s = states.at(p).at(i);
            switch (c.field.kind) {
                case FieldKind::None: break;
                case FieldKind::Bits: {
                    const auto value = static_cast<std::uint32_t>(s.selection < 0 ? 0 : s.selection);
                    setFieldBits(r, c.field, value);
                    if (c.mirror.kind == FieldKind::Bits) setFieldBits(r, c.mirror, value);
                    break;
                }
                case FieldKind::Byte: r.setU8(c.field.offset, static_cast<std::uint8_t>(fieldNumber(s.text))); break;
                case FieldKind::Int32: r.setI32(c.field.offset, static_cast<std::int32_t>(fieldNumber(s.text))); break;
                case FieldKind::Time: {
                    const auto t = ParseTimeOfDay(firstCharacters(s.text, c.maxLength));
                    r.setU8(c.field.offset, t.hour);
                    r.setU8(c.field.offset + 1, t.minute);
                    break;
                }
                case FieldKind::Text:
                    r.setText(c.field.offset, static_cast<std::size_t>(c.maxLength) + 1, firstCharacters(s.text, c.maxLength));
                    break;
            }
        }
    }
}

namespace {

// Decimal digits with blanks around them, as a value up to `max`. An empty field is 0, as the
// sheet shows a time of 00:00 and reads an empty field.
bool decimalWithin(std::string_view text, long long max, long long& value) {
    value = 0;
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return true;
    const std::size_t last = text.find_last_not_of(" \t");
    const std::string_view digits = text.substr(first, last - first + 1);
    if (digits.size() > 10 || digits.find_first_not_of("0123456789") != std::string_view::npos) return false;
    value = 0;
    for (char c : digits) value = value * 10 + (c - '0');
    return value <= max;
}

// "H", "HH:MM" or "H:M" (or nothing: 00:00): a time of day that exists.
bool timeOfDayHolds(std::string_view text) {
    const std::size_t colon = text.find(':');
    long long hour = 0, minute = 0;
    if (!decimalWithin(text.substr(0, colon), 23, hour)) return false;
    return colon == std::string_view::npos || decimalWithin(text.substr(colon + 1), 59, minute);
}

std::string withoutColon(std::string label) {
    while (!label.empty() && (label.back() == ':' || label.back() == ' ')) label.pop_back();
    return label;
}

}  // namespace

std::optional<SheetFieldFault> checkSheetPages(const SheetLayout& layout, const SheetStates& states) {
    for (std::size_t p = 0; p < layout.pages.size(); ++p) {
        const auto& controls = layout.pages[p].controls;
        for (std::size_t i = 0; i < controls.size(); ++i) {
            const SheetControl& c = controls[i];
            const ControlState& s = states.at(p).at(i);
            if (!s.enabled) continue;
            long long value = 0;
            std::string rule;
            if (c.kind == ControlKind::Number && c.field.kind == FieldKind::Byte && !decimalWithin(s.text, 255, value))
                rule = "zadejte celé číslo od 0 do 255";
            else if (c.kind == ControlKind::Number && c.field.kind == FieldKind::Int32 &&
                     !decimalWithin(s.text, 2147483647, value))
                rule = "zadejte celé číslo od 0 do 2147483647";
            else if (c.kind == ControlKind::Time && !timeOfDayHolds(firstCharacters(s.text, c.maxLength)))
                rule = "zadejte čas od 00:00 do 23:59";
            if (rule.empty()) continue;
            // A relay's delay sits beside the relay's list: the list names it.
            std::string name = withoutColon(c.label);
            if (c.sameRow && i > 0 && controls[i - 1].kind == ControlKind::List)
                name = withoutColon(controls[i - 1].label) + " – " + name;
            return SheetFieldFault{p, i, "Stránka „" + layout.pages[p].title + "“, pole „" + name + "“: " + rule +
                                             " (zadáno „" + s.text + "“)."};
        }
    }
    return std::nullopt;
}

void GatherAsTheSheetDoes(ModuleRecord& record) {
    const SheetLayout* layout = sheetLayout(record.type());
    if (layout == nullptr) return;
    SheetStates states = newSheetStates(*layout);
    FillSheetPages(*layout, record, states);
    GatherSheetPages(*layout, states, record);
}

GeneralFacts generalPageFacts(const ModuleRecord& r) {
    GeneralFacts f;
    f.typeName = modelName(r.type());
    f.moduleName = r.description();
    switch (parameterFamily(r.type())) {
        case ParameterFamily::Tq300: f.picture = r.type() == models::kMn600 ? "mn600" : "tq300"; break;
        case ParameterFamily::Loq3: f.picture = "loq3"; break;
        case ParameterFamily::Zb40: f.picture = "zb40"; break;
        case ParameterFamily::Zb20: f.picture = "zb20"; break;
        case ParameterFamily::None: break;
    }
    const std::string serial = r.identText();
    if (serial.empty()) {
        f.serialNumber = "není k disposici";
        return f;
    }
    f.serialNumber = serial;
    // What the device reports is shown as it decodes; a date no calendar has is said to be none.
    f.productionDate = productionDateText(SerialDecode(std::string(r.rawText(18, 13))).date);
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", r.firmwareVersion() / 100.0);
    f.version = text;
    static const char* const media[] = {"dallas", "bezkontakt", "externí (wiegand)", "externí (ABA)"};
    f.idMedium = r.featureLevel() >= 1 ? media[r.idMediumType() & 0x03] : "nezjištěno";
    return f;
}

long fieldNumber(const std::string& text) {
    // As a dialog reads a signed number: blanks around it, a sign, digits and nothing else.
    std::size_t at = text.find_first_not_of(" \t");
    if (at == std::string::npos) return 0;
    bool negative = false;
    if (text[at] == '-' || text[at] == '+') negative = text[at++] == '-';
    const std::size_t digits = at;
    // Counted in 64 bits: `long` is 32 bits on Windows, and 2147483648 must not overflow it.
    std::int64_t value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        if (at - digits >= 10) return 0;  // beyond a 32-bit number: no number
        value = value * 10 + (text[at] - '0');
    }
    if (at == digits || text.find_first_not_of(" \t", at) != std::string::npos) return 0;
    if (value > std::int64_t{2147483647} + (negative ? 1 : 0)) return 0;
    return static_cast<long>(negative ? -value : value);
}

std::uint32_t HexTextToValue(const std::string& text) {
    std::uint32_t value = 0;
    for (char c : text) {
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : 0;
        value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    return value;
}

}  // namespace lumo
