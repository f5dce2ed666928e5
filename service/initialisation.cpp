#include "service/initialisation.h"

#include <array>
#include <cstdio>

#include "base/app_state.h"
#include "base/error_report.h"
#include "base/ui_port.h"
#include "comm/line_lease.h"
#include "comm/line_port.h"
#include "comm/transaction.h"
#include "discovery/neighbour_binding.h"
#include "discovery/usb_search.h"
#include "platform/usb_bridges.h"
#include "model/installation.h"
#include "platform/clock.h"
#include "service/service_line.h"
#include "service/service_text.h"
#include "model/device_catalog.h"

namespace lumo {
namespace {

constexpr const char* kCaption = "inicializace";

void status(const std::string& text) { uiStatus(text); }

int success(int lineIndex) {
    status("Zápis dat proběhl úspěšně.");
    LineClose(lineIndex);
    platform::pause(100);
    return 0;
}

int failure(int lineIndex, const std::string& message = {}) {
    if (!message.empty()) uiMessage(kCaption, message, MessageIcon::Error);
    status("Zápis nebyl úspěšný !");
    LineClose(lineIndex);
    platform::pause(100);
    return 1;
}

// Sends a closed message and waits for the answer: up to 9 reads of up to 9 bytes. 0 answered,
// 1 stopped by the user, else the message to show.
int sendAndAwait(int line, const std::string& message, std::string& fault) {
    if (!LineSend(line, reinterpret_cast<const std::uint8_t*>(message.data()), static_cast<std::uint32_t>(message.size()),
                  kSendWaitCursor)) {
        fault = "Chyba zápisu na port ! ";
        return 2;
    }
    std::array<std::uint8_t, 64> answer{};
    for (int i = 0; i < 9; ++i) {
        if (!operationContinues()) return 1;
        int length = 9;
        if (!LineReceive(0, length, line, answer.data(), answer.size())) {
            fault = "Chyba čtení portu ! ";
            return 2;
        }
        if (length > 0) return 0;
    }
    fault = "Time Out response !";
    return 2;
}

int transactionMethod(const InitTarget& t, int mode, const std::string& serial, bool withSn) {
    if (mode != kInitWrite) return 0;
    status("Probíhá zápis dat");
    std::array<std::uint8_t, 4> answer{};
    const std::uint32_t result =
        withSn ? DeviceTransaction(sub::kCmdSerialNumber, "CMD", t.lineIndex, t.id, "SN" + serial, kModeSelectRelease | kOneByteAnswer, answer)
               : DeviceTransaction(sub::kCmdRestart, "CMD", t.lineIndex, t.id, serial, kModeSelectRelease | kNoAnswer, {});
    if (isErrorResult(result)) {
        setError(result);
        status("Zápis nebyl úspěšný !");
        return 1;
    }
    if (withSn && answer[0] != '*') {
        status("Zápis neproveden ! Jednotka patrně již obsahuje SN.");
        return 1;
    }
    status("Zápis dat proběhl úspěšně.");
    platform::pause(500);
    return 0;
}

int tunnelMethod(const InitTarget& t, int mode, const std::string& serial, MacAddress* newMac) {
    LineRecord line;
    readLineRecord(t.lineIndex, line);
    const bool network = line.isTcp() && isInList(NetworkDeviceTypes, t.type);
    if (!openServiceLine(t.lineIndex, t.type)) return failure(t.lineIndex);
    const int service = t.lineIndex | kServiceBit;
    if (mode == kInitReset) {
        if (line.isTcp()) {
            // The address bound to what the table holds, else to the MAC the write gave.
            MacAddress mac = newMac != nullptr ? *newMac : kFactoryMac;
            BindAddressToMac(line.ipAddress(), MacSource::FromTable, mac);
        }
        static const std::uint8_t start[] = {'A'};
        LineSend(service, start, sizeof start, 5);
        if (line.isTcp()) RemoveArpEntry(line);
        return success(t.lineIndex);
    }
    status("Probíhá zápis dat");
    if (network) BindAddressToMac(line.ipAddress(), MacSource::Factory);
    const auto removeRow = [&] {
        if (network) RemoveArpEntry(line);
    };
    if (!LineSend(service, reinterpret_cast<const std::uint8_t*>(serial.data()), 12, 6)) {
        removeRow();
        return failure(t.lineIndex, "Chyba zápisu na port ! ");
    }
    std::array<std::uint8_t, 16> answer{};
    int length = 12;
    if (!LineReceive(0, length, service, answer.data(), answer.size())) {
        removeRow();
        return failure(t.lineIndex, "Chyba čtení portu ! ");
    }
    // Written only when the whole 12-byte acknowledgement came, starting with 'K': a refusal
    // ("NO"), a cut-off answer or none at all leaves the device without the number.
    if (length != 12 || answer[0] != 'K') {
        removeRow();
        return failure(t.lineIndex, "Chyba při zápisu do flash ! ");
    }
    const int sequence = std::atoi(serial.substr(8, 4).c_str());
    if (newMac != nullptr)
        *newMac = {0x00, 0x4F, 0x49, 0x0D, static_cast<std::uint8_t>(sequence >> 8), static_cast<std::uint8_t>(sequence)};
    return success(t.lineIndex);
}

int asciiMethod(const InitTarget& t, int mode, const std::string& serial) {
    if (!openServiceLine(t.lineIndex, t.type)) return failure(t.lineIndex);
    status("Probíhá zápis dat");
    std::string fault;
    switch (sendAndAwait(t.lineIndex | kServiceBit, asciiInitMessage(mode, serial), fault)) {
        case 0: return success(t.lineIndex);
        case 1: return failure(t.lineIndex);
        default: return failure(t.lineIndex, fault);
    }
}

// The status of a failed bridge operation, with what the technician can do about it.
std::string bridgeFailureText(int status) {
    char text[64];
    std::snprintf(text, sizeof text, "Chyba komunikace 0x%02X ", static_cast<unsigned>(status) & 0xFF);
    if (status == platform::kUsbNotBuilt)
        return std::string(text) + "\nKnihovna " + platform::usbAccessLibrary() + " není k dispozici: zápis do převodníku nelze provést. ";
    if (status == platform::kUsbAccessDenied)
        return std::string(text) + "\nPřístup k převodníku odepřen: nainstalujte pravidlo udev 60-lumo-cp210x.rules (balíček lumo-panel) a převodník připojte znovu, nebo program spusťte jako root. ";
    return text;
}

int usbBridgeMethod(const InitTarget& t, const std::string& serial) {
    constexpr const char* kBridgeCaption = "inicializace CP21xx";
    status("Připojování USB");
    // The bridge behind this line's port, never just the first one: with two attached the other
    // may be another device, whose identity must not be overwritten.
    platform::UsbBridge bridge;
    std::string why;
    if (!bridgeOfLine(t.lineIndex, bridge, why)) {
        uiMessage(kBridgeCaption, "Převodník linky nelze určit: " + why + ". ", MessageIcon::Error);
        status("Zápis nebyl úspěšný !");
        return 1;
    }
    auto access = platform::makeUsbBridgeAccess();
    const auto failed = [&](int st) {
        access->close();
        uiMessage(kBridgeCaption, bridgeFailureText(st), MessageIcon::Error);
        status("Zápis nebyl úspěšný !");
        return 1;
    };
    if (const int st = access->open(bridge); st != 0) return failed(st);
    const std::string product = usbProductString(typeFromSerial(serial));
    status("Zápis product string");
    if (const int st = access->setProductString(product); st != 0) return failed(st);
    status("Zápis SN");
    if (const int st = access->setSerialNumber(serial); st != 0) return failed(st);
    status("Reset zařízení ");
    access->reset();
    // The handle belonged to the device before its reset: what it says now is read through a
    // new one.
    access->close();
    platform::pause(500);
    // The reset makes the bridge leave the bus and come back with a new address, and where the
    // system names a device by its serial number, under a new name too: it is waited for (up to
    // 5 s) at its USB port, with its serial device, before it is asked again.
    bool back = false;
    for (int tries = 0; tries < 20 && !back; ++tries) {
        if (tries > 0) platform::pause(250);
        for (const auto& b : platform::findUsbBridges(kBridgeVendor, kBridgeProduct, usbDevicesRoot())) {
            if (b.usbPort != bridge.usbPort || b.device.empty()) continue;
            bridge = b;
            back = true;
        }
    }
    if (!back) {
        uiMessage(kBridgeCaption, "Převodník se po resetu nevrátil na port USB " + bridge.usbPort + ". ", MessageIcon::Error);
        status("Zápis nebyl úspěšný !");
        return 1;
    }
    // What the bridge says of itself now: it must be what was written.
    std::string readProduct, readSerial;
    if (const int st = access->readStrings(bridge, readProduct, readSerial); st != 0) return failed(st);
    access->close();
    if (readProduct != product || readSerial != serial) {
        uiMessage(kBridgeCaption,
                  "Převodník po zápisu hlásí \"" + readProduct + "\" a \"" + readSerial + "\", zapsáno bylo \"" + product +
                      "\" a \"" + serial + "\". ",
                  MessageIcon::Error);
        status("Zápis nebyl úspěšný !");
        return 1;
    }
    status("Mazání registru");
    std::vector<std::string> removed;
    if (const ErrorCode code = cleanUsbDriversFor(t.type, removed); code != 0) {
        char text[64];
        std::snprintf(text, sizeof text, "Chyba registru: 0x%08X ", code);
        uiMessage("Uprava registru", text, MessageIcon::Error);
    }
    status("Zápis dat proběhl úspěšně.");
    return 0;
}

}  // namespace

InitMethod initMethodOf(DeviceTypeCode type) {
    if (type == models::kLoq3) return InitMethod::Loq3;
    if (type == models::kLoq4 || type == models::kPx700) return InitMethod::SerialNumber;
    if (isInList(FlashDownloadTypes, type)) return InitMethod::Tunnel;
    if (isInList(UsbBridgeTypes, type)) return InitMethod::UsbBridge;
    return InitMethod::Ascii;
}

std::string asciiInitMessage(int mode, const std::string& serial) {
    std::string text = mode == kInitWrite ? "WSM|N|" : mode == kInitReset ? "RST|0|" : "";
    if (!serial.empty()) {
        char pair[4];
        for (char c : serial) {
            std::snprintf(pair, sizeof pair, "%02x", static_cast<unsigned char>(c));
            text += pair;
        }
        text += '|';
    }
    return closedMessage(text);
}

int InitialiseModule(const InitTarget& t, int mode, const std::string& serial, MacAddress* newMac) {
    switch (initMethodOf(t.type)) {
        case InitMethod::Loq3: return transactionMethod(t, mode, serial, false);
        case InitMethod::SerialNumber: return transactionMethod(t, mode, serial, true);
        case InitMethod::Tunnel: return tunnelMethod(t, mode, serial, newMac);
        case InitMethod::UsbBridge: return mode == kInitWrite ? usbBridgeMethod(t, serial) : 0;
        case InitMethod::Ascii: return asciiMethod(t, mode, serial);
    }
    return 1;
}

int MemoryClear(const InitTarget& t) {
    if (!openServiceLine(t.lineIndex, t.type)) return failure(t.lineIndex);
    status("Probíhá mazání paměti");
    for (int i = 0; i < 16; ++i) {
        char head[40];
        std::snprintf(head, sizeof head, "WRM|V|yyyyyyyy|%04x|", 0x0C00 + 64 * i);
        std::string fault;
        switch (sendAndAwait(t.lineIndex | kServiceBit, closedMessage(head + std::string(128, '0') + "|"), fault)) {
            case 0: continue;
            case 1: return failure(t.lineIndex);
            default: return failure(t.lineIndex, fault);
        }
    }
    success(t.lineIndex);
    return 0;
}

}  // namespace lumo
