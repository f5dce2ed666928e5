#include "device/status_report.h"

#include <array>

#include "base/app_state.h"
#include "base/error_report.h"
#include "base/ui_port.h"
#include "model/device_catalog.h"
#include "model/installation.h"
#include "device/device_errors.h"

namespace lumo {
namespace {

// Report texts of the status bits 0-6 (bit 7, switched off, stands alone).
const std::array<const char*, 7> kFlagTexts = {
    " zařízení nekomunikuje...", " kolize ID adresy !", " zařízení je jiného typu !", "", "",
    " zásuvka není dostupná...", " nepoužívá se (vypnuto) ",
};

std::string twoDigits(int v) {
    std::string s = std::to_string(v);
    return s.size() < 2 ? "0" + s : s;
}

}  // namespace

std::string ConnectionName(int port) { return port != 0 ? "COM" + std::to_string(port) : "TCP "; }

bool statusReportText(int lineIndex, int item, std::string& text) {
    LineRecord line;
    if (!readLineRecord(lineIndex, line)) {
        combineError(err::kReportLineRead);
        return false;
    }
    ModuleRecord module;
    if (item != 0 && !readModuleRecord(lineIndex, item, module)) {
        combineError(err::kReportModuleRead);
        return false;
    }
    const DeviceTypeCode type = item == 0 ? line.headType() : module.type();
    const std::uint8_t status = item == 0 ? line.flags() : module.flags();

    text = "typ zařízení:\t" + modelName(type) + " \r\n";
    text += "popis:\t" + kindName(type) + " \r\n";
    if (item != 0) {
        text += "ID adresa:\t" + twoDigits(module.id()) + " \r\n";
    } else if (line.port() != 0) {
        static const std::array<const char*, 3> parities = {"žádná", "lichá", "sudá"};
        text += "připojení:\t" + ConnectionName(line.port()) + " (" +
                (line.directionControl() == 0 ? "RS232" : "RS485") + ") \r\n";
        text += std::string("rychlost:\t") + (line.speed() == 0 ? "9600" : "19200") + " \r\n";
        // A parity byte out of range (a damaged record) shows nothing rather than garbage.
        text += std::string("parita:\t") + (line.parity() < 3 ? parities[line.parity()] : "") + " \r\n";
    } else {
        text += "připojení:\t" + ConnectionName(0) + " \r\n";
        text += "IP adresa:\t" + line.ipAddress() + " \r\n";
        text += "TCP port:\t" + std::to_string(line.tcpPort()) + " \r\n";
    }
    text += "\r\n\r\n\r\nSTATUS:\r\n";
    if (status == 0) {
        text += " zařízení pracuje správně...";
    } else if (status & 0x80) {
        text += " nepoužívá se (vypnuto)";
    } else {
        for (std::size_t bit = 0; bit < kFlagTexts.size(); ++bit) {
            if (status & (1u << bit)) text += std::string(kFlagTexts[bit]) + "\r\n";
        }
    }
    text += "\r\n\r\n\r\nAktuální stav zjistíte použitím funkce Kontrola funkce. \r\n";
    return true;
}

void StatusReportShow(int lineIndex, int item) {
    std::string text;
    if (statusReportText(lineIndex, item, text)) uiShowReport(text);
}

}  // namespace lumo
