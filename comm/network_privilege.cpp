#include "comm/network_privilege.h"

#include <cstdlib>

#include "platform/net_helper.h"
#include "platform/system_error.h"

namespace lumo {
namespace {

using platform::HelperResult;

// The user as `adduser` wants him; the placeholder where the system does not say.
std::string userName() {
    for (const char* variable : {"USER", "LOGNAME"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') return value;
    }
    return "UŽIVATEL";
}

std::string refusalReason(const std::string& word) {
    if (word == "gateway") return "adresa je bránou (gateway) sítě";
    if (word == "subnet") return "adresa neleží v podsíti zvoleného síťového adaptéru";
    if (word == "own-address") return "je to adresa samotného síťového adaptéru";
    if (word == "network-address") return "je to adresa sítě";
    if (word == "broadcast") return "je to adresa pro všesměrové vysílání (broadcast)";
    if (word == "mac") return "MAC adresa nepatří jednomu zařízení (je skupinová nebo nulová)";
    if (word == "adapter") return "síťový adaptér z konfigurace programu v počítači není";
    if (word == "foreign-row") return "adresa má v tabulce statický záznam, který tento program nevytvořil";
    return "požadavek nepřijal (" + word + ")";
}

// What to do when the helper could not be used, common to both kinds of request.
std::string helperAdvice(const platform::HelperOutcome& outcome) {
    switch (outcome.result) {
        case HelperResult::Missing:
            return "pomocný program " + platform::netHelperPath() +
                   " v počítači není: nainstalujte balíček lumo-panel, nebo program spusťte jako root. ";
        case HelperResult::NotAdmitted:
            return "pomocný program lumo-net-helper smějí spouštět jen členové skupiny lumo. Správce vás přidá "
                   "příkazem „sudo adduser " +
                   userName() + " lumo“; platí po novém přihlášení. ";
        case HelperResult::Failed:
            if (platform::isPermissionDenied(static_cast<std::uint32_t>(outcome.systemError)))
                return "pomocný program lumo-net-helper nemá svá oprávnění (cap_net_admin, cap_net_raw): správce je "
                       "obnoví příkazem „sudo dpkg-reconfigure lumo-panel“. ";
            return "pomocný program lumo-net-helper selhal (chyba systému " + std::to_string(outcome.systemError) +
                   "). ";
        case HelperResult::Refused: return "pomocný program požadavek odmítl: " + refusalReason(outcome.refusal) + ". ";
        case HelperResult::NotAsked:
        case HelperResult::Done: break;
    }
    // No helper on this system (Windows): the program itself needs the rights.
    return "program je třeba spustit s právy správce. ";
}

}  // namespace

bool neighbourWriteRefused() {
    const auto outcome = platform::lastHelperOutcome();
    if (outcome.result == HelperResult::Missing || outcome.result == HelperResult::NotAdmitted ||
        outcome.result == HelperResult::Refused)
        return true;
    if (outcome.result == HelperResult::Failed)
        return platform::isPermissionDenied(static_cast<std::uint32_t>(outcome.systemError));
    return outcome.result == HelperResult::NotAsked && platform::isPermissionDenied(platform::lastSystemError());
}

std::string neighbourPrivilegeAdvice() { return "Tabulku sousedů (ARP) nelze změnit: " + helperAdvice(platform::lastHelperOutcome()); }

std::string icmpPrivilegeAdvice() {
    const auto outcome = platform::lastHelperOutcome();
    std::string text = "systém programu nedovoluje posílat ICMP echo: ";
    if (outcome.result != HelperResult::NotAsked)
        text += "skupina uživatele není v net.ipv4.ping_group_range a ";
    return text + helperAdvice(outcome);
}

}  // namespace lumo
