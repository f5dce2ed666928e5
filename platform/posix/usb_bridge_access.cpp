// The bridges' identity written with libusb-1.0 (when the build has it).
#include "platform/usb_bridges.h"

#include <vector>

#if defined(LUMO_HAVE_LIBUSB)
#include <libusb.h>
#endif

namespace lumo::platform {
namespace {

std::function<std::unique_ptr<UsbBridgeAccess>()>& factory() {
    static std::function<std::unique_ptr<UsbBridgeAccess>()> f;
    return f;
}

#if defined(LUMO_HAVE_LIBUSB)
// A USB string descriptor: its length, type 3, the text in UTF-16LE (the serial number's digits
// and the product names are ASCII).
std::vector<unsigned char> stringDescriptor(const std::string& text) {
    std::vector<unsigned char> d = {static_cast<unsigned char>(2 + 2 * text.size()), 0x03};
    for (char c : text) {
        d.push_back(static_cast<unsigned char>(c));
        d.push_back(0);
    }
    return d;
}

class LibusbAccess : public UsbBridgeAccess {
public:
    ~LibusbAccess() override {
        close();
        if (context_) libusb_exit(context_);
    }
    int open(const UsbBridge& bridge) override {
        if (!context_ && libusb_init(&context_) != 0) return LIBUSB_ERROR_OTHER;
        libusb_device** list = nullptr;
        const ssize_t count = libusb_get_device_list(context_, &list);
        int status = LIBUSB_ERROR_NO_DEVICE;
        for (ssize_t i = 0; i < count; ++i) {
            if (libusb_get_bus_number(list[i]) == bridge.busNumber && libusb_get_device_address(list[i]) == bridge.deviceAddress) {
                status = libusb_open(list[i], &handle_);
                break;
            }
        }
        if (list) libusb_free_device_list(list, 1);
        return status;
    }
    int setProductString(const std::string& text) override { return write(0x3703, text); }
    int setSerialNumber(const std::string& text) override { return write(0x3704, text); }
    int reset() override {
        if (!handle_) return LIBUSB_ERROR_NO_DEVICE;
        const int status = libusb_reset_device(handle_);
        // A device that comes back with a new identity is a new device: not found counts as done.
        return status == LIBUSB_ERROR_NOT_FOUND ? 0 : status;
    }
    int readStrings(const UsbBridge& bridge, std::string& product, std::string& serial) override {
        close();
        if (const int opened = open(bridge); opened != 0) return opened;
        libusb_device_descriptor d{};
        if (const int s = libusb_get_device_descriptor(libusb_get_device(handle_), &d); s != 0) return s;
        unsigned char text[256];
        int n = libusb_get_string_descriptor_ascii(handle_, d.iProduct, text, sizeof text);
        if (n < 0) return n;
        product.assign(reinterpret_cast<char*>(text), static_cast<std::size_t>(n));
        n = libusb_get_string_descriptor_ascii(handle_, d.iSerialNumber, text, sizeof text);
        if (n < 0) return n;
        serial.assign(reinterpret_cast<char*>(text), static_cast<std::size_t>(n));
        return 0;
    }
    void close() override {
        if (handle_) libusb_close(handle_);
        handle_ = nullptr;
    }

private:
    int write(std::uint16_t value, const std::string& text) {
        if (!handle_) return LIBUSB_ERROR_NO_DEVICE;
        std::vector<unsigned char> d = stringDescriptor(text);
        const int n = libusb_control_transfer(handle_, 0x40, 0xFF, value, 0, d.data(), static_cast<std::uint16_t>(d.size()), 1000);
        return n < 0 ? n : 0;
    }
    libusb_context* context_ = nullptr;
    libusb_device_handle* handle_ = nullptr;
};
#endif

// A build without the USB library: every operation says so.
class MissingAccess : public UsbBridgeAccess {
public:
    int open(const UsbBridge&) override { return kUsbNotBuilt; }
    int setProductString(const std::string&) override { return kUsbNotBuilt; }
    int setSerialNumber(const std::string&) override { return kUsbNotBuilt; }
    int reset() override { return kUsbNotBuilt; }
    int readStrings(const UsbBridge&, std::string&, std::string&) override { return kUsbNotBuilt; }
    void close() override {}
};

}  // namespace

const char* usbAccessLibrary() { return "libusb-1.0"; }

std::unique_ptr<UsbBridgeAccess> makeUsbBridgeAccess() {
    if (factory()) return factory()();
#if defined(LUMO_HAVE_LIBUSB)
    return std::make_unique<LibusbAccess>();
#else
    return std::make_unique<MissingAccess>();
#endif
}

void setUsbBridgeAccessFactory(std::function<std::unique_ptr<UsbBridgeAccess>()> f) { factory() = std::move(f); }

}  // namespace lumo::platform
