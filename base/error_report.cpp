#include "base/error_report.h"

#include <cstdio>

#include "base/ui_port.h"

namespace lumo {
namespace {

const char* operationText(ErrorCode operation) {
    switch (operation) {
        case 0x01010000:
        case 0x01020000: return "Otevření souboru";
        case 0x01030000: return "Otevření TMP souboru";
        case 0x02010000: return "Zápis do souboru";
        case 0x02020000: return "Čtení ze souboru";
        case 0x03010000: return "Zápis na port";
        case 0x03020000: return "Čtení portu";
        case 0x04ff0000: return "Alokace paměti";
        case 0x05ff0000: return "Datová chyba při komunikaci";
        case 0x07ff0000: return "Chybná hodnota v databázi";
        case 0x08ff0000: return "Integrita programu";
        case 0x09ff0000: return "Struktura souboru";
        case 0x0aff0000: return "Načítání dynamické knihovny";
        case 0x10010000: return "Otevření portu";
        case 0x10020000: return "Zásuvka";
        case 0x20010000: return "Špatná IP adresa";
        case 0x20020000: return "Nelze otevřít socket";
        case 0x20030000: return "Nelze navázat spojení";
        case 0x20040000: return "Error ARP table";
        case 0x20050000: return "Error NET adapter";
        case 0x30010000: return "Chyba registru";
        case 0xffff0000: return "Systémová chyba";
        default: return "Neznámá chyba...";
    }
}

// Only these contexts are ever set; the others of the shared table carry no suffix here.
const char* contextSuffix(unsigned context) {
    switch (context) {
        case 0x01: return ": CONFIG.DAT";
        case 0x07: return ": COM nebo TCP";
        case 0x0c: return ": TERMINAL.DAT";
        case 0x0d: return ": LINE.CFG";
        case 0x10: return ": SEZNAM VÝROBNÍCH ČÍSEL";
        default: return "";
    }
}

}  // namespace

std::string errorMessageText(ErrorCode code, std::uint32_t systemError) {
    std::string text = operationText(err::operationOf(code));
    text += contextSuffix(err::contextOf(code));
    char tail[64];
    std::snprintf(tail, sizeof tail, " \n Err.code: %08x:%08x", static_cast<unsigned>(code),
                  static_cast<unsigned>(systemError));
    return text + tail;
}

void reportError(const ErrorRecord& record) {
    if (record.empty()) return;
    const std::string message = errorMessageText(record.code, record.systemError);
    if (record.code & err::kFatal) {
        uiMessage("Kritická CHYBA !", message, MessageIcon::Error);
        if (uiPort().destroyActiveWindow) uiPort().destroyActiveWindow();
    } else {
        uiMessage("CHYBA !", message, MessageIcon::Error);
    }
}

void reportError() { reportError(takeError()); }

}  // namespace lumo
