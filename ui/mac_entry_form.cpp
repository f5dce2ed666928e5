#include "ui/mac_entry_form.h"

#include "base/ui_port.h"
#include "discovery/neighbour_binding.h"
#include "model/cp1250.h"
#include "platform/system_error.h"

namespace lumo {
namespace {

constexpr std::size_t kMacTextLength = 17;

}  // namespace

MacEntryForm::MacEntryForm() { mac.maxLength = static_cast<int>(kMacTextLength); }

void MacEntryForm::open(const MacAddress& shown) {
    platform::setLastSystemError(0);
    address = shown;
    mac.text = formatMacText(shown);
}

int MacEntryForm::pressOk() {
    const auto parsed = parseMacText(utf8Prefix(mac.text, kMacTextLength));
    if (!parsed) {
        uiMessage("Chyba", "Neplatná MAC adresa!  ", MessageIcon::Error);
        return kFormStaysOpen;
    }
    address = *parsed;
    return 1;
}

}  // namespace lumo
