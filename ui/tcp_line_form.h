#pragma once
// "Komunikační linka TCP" as a form: a TCP converter line's description, address and port,
// stored by "Uložit"; the device's own address set, its configuration console, its web page.

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "base/shared_types.h"
#include "platform/net.h"
#include "ui/form_field.h"

namespace lumo {

// The configuration console of the device server at an address, port 9999: what arrives is
// handed out as the device's 8-bit text, a typed line goes on as the device takes it, every
// telnet option is refused. The device is held back while much is untaken, so a device that
// sends without end costs no memory. Ends when destroyed.
class TcpConsole {
public:
    TcpConsole() = default;
    TcpConsole(const TcpConsole&) = delete;
    TcpConsole& operator=(const TcpConsole&) = delete;
    ~TcpConsole();

    // Connects while the user waits (3 s at most); a device that does not answer is told in a
    // box ("Konfigurace"). False: there is no console.
    bool connect(const std::string& address);
    // "Konfigurace 10.0.0.5": the console window's title.
    std::string title() const { return "Konfigurace " + address_; }
    // A line the user typed (8-bit text), with its line end.
    void send(const std::string& line);
    // What has come since the last take, a bounded piece at a time; `closed` is set once, when
    // the device has closed and everything it sent has been taken.
    std::string take(bool& closed);
    // The line shown when the device has closed.
    static const char* closedNote() { return "\n[zařízení spojení ukončilo]"; }

private:
    void read();

    std::string address_;
    platform::TcpSocket socket_;
    std::mutex sending_;  // the typed lines and the telnet refusals go one at a time
    std::mutex feedMutex_;
    std::string pending_;  // arrived, not taken yet
    bool deviceClosed_ = false, closedTold_ = false;
    std::atomic<bool> open_{false};
    std::thread reader_;
};

class TcpLineForm {
public:
    TcpLineForm();

    // The line's record read; a failure is reported, and the dialog shows with empty fields.
    void open(int lineIndex);

    // "Nastavit IP adresu v zařízení": the device (the MAC address loaded with the line) gets
    // the typed address (setDeviceAddress); meanwhile the dialog takes no other command.
    int pressSetAddress();
    // "Konfigurovat přes TELNET": the console of the device at the typed address, shown by the
    // window while it is open.
    int pressConsole();
    // "Sputit WEB rozhraní": the panel has no browser of its own; it says so.
    int pressWeb();
    // "Uložit": the port needs a number 1-65535 (a refusal in a box, the focus back, nothing
    // tried or stored); then the line is tried and stored as the line dialog stores it
    // (saveLineSettings). The dialog stays open when that is declined or fails.
    int pressSave();
    int pressClose() { return 0; }

    // The window's ways of showing the form at once (before a wait on the device), of putting
    // the focus back into a field, its text selected, and of showing a console until the user
    // closes it.
    std::function<void()> showNow;
    std::function<void(const FormField&)> reselect;
    std::function<void(TcpConsole&)> showConsole;

    FormField description, ip, tcpPort;
    FormField setAddress, console, web;  // the device's buttons
    bool busy = false;                   // the device is being set: the dialog takes no command

private:
    int lineIndex_ = 0;
    MacAddress deviceMac_{};  // the device's MAC address, loaded with the line
};

}  // namespace lumo
