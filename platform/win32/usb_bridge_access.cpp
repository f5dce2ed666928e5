// The bridges' identity written through the bridge maker's manufacturing library
// (CP210xManufacturing.dll), loaded when it is needed: a machine without it says so at run time.
#include "platform/usb_bridges.h"

#include <type_traits>

#include "platform/win32/windows_api.h"

namespace lumo::platform {
namespace {

std::function<std::unique_ptr<UsbBridgeAccess>()>& factory() {
    static std::function<std::unique_ptr<UsbBridgeAccess>()> f;
    return f;
}

// The library's calls; each returns 0 (CP210x_SUCCESS) or its status.
using GetNumDevices = int(WINAPI*)(DWORD*);
using GetProductString = int(WINAPI*)(DWORD, void*, DWORD);
using Open = int(WINAPI*)(DWORD, HANDLE*);
using Close = int(WINAPI*)(HANDLE);
using SetString = int(WINAPI*)(HANDLE, void*, BYTE, BOOL);
using GetString = int(WINAPI*)(HANDLE, void*, BYTE*, BOOL);
using Reset = int(WINAPI*)(HANDLE);
constexpr DWORD kReturnSerialNumber = 0x00;
// Statuses of the library, told apart from the USB library's by this offset.
constexpr int kLibraryStatus = -2000;

class ManufacturingLibraryAccess : public UsbBridgeAccess {
public:
    ~ManufacturingLibraryAccess() override {
        close();
        if (library_ != nullptr) ::FreeLibrary(library_);
    }

    int open(const UsbBridge& bridge) override {
        if (!load()) return kUsbNotBuilt;
        close();
        // The bridge is found by its serial number among the library's devices: the first one
        // may be another device whose identity must not be touched. After a new serial number
        // and the reset, `bridge` is the one found again at its USB port, with the new number.
        DWORD count = 0;
        if (const int s = numDevices_(&count); s != 0) return kLibraryStatus - s;
        for (DWORD i = 0; i < count; ++i) {
            char serial[256] = {};
            if (productString_(i, serial, kReturnSerialNumber) != 0 || bridge.serial != serial) continue;
            const int s = open_(i, &handle_);
            return s == 0 ? 0 : kLibraryStatus - s;
        }
        return kLibraryStatus - 0xFF;  // the library's "device not found"
    }
    int setProductString(const std::string& text) override { return setString(setProduct_, text); }
    int setSerialNumber(const std::string& text) override { return setString(setSerial_, text); }
    int reset() override {
        if (handle_ == nullptr) return kLibraryStatus - 0xFF;
        const int s = reset_(handle_);
        return s == 0 ? 0 : kLibraryStatus - s;
    }
    int readStrings(const UsbBridge& bridge, std::string& product, std::string& serial) override {
        if (handle_ == nullptr) {
            if (const int s = open(bridge); s != 0) return s;
        }
        char text[256] = {};
        BYTE length = 0;
        if (const int s = getProduct_(handle_, text, &length, TRUE); s != 0) return kLibraryStatus - s;
        product.assign(text, length);
        length = 0;
        if (const int s = getSerial_(handle_, text, &length, TRUE); s != 0) return kLibraryStatus - s;
        serial.assign(text, length);
        return 0;
    }
    void close() override {
        if (handle_ != nullptr) close_(handle_);
        handle_ = nullptr;
    }

private:
    bool load() {
        if (library_ != nullptr) return true;
        library_ = ::LoadLibraryW(L"CP210xManufacturing.dll");
        if (library_ == nullptr) return false;
        const auto find = [this](auto& slot, const char* name) {
            slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(reinterpret_cast<void*>(::GetProcAddress(library_, name)));
            return slot != nullptr;
        };
        const bool all = find(numDevices_, "CP210x_GetNumDevices") && find(productString_, "CP210x_GetProductString") &&
                         find(open_, "CP210x_Open") && find(close_, "CP210x_Close") &&
                         find(setProduct_, "CP210x_SetProductString") && find(setSerial_, "CP210x_SetSerialNumber") &&
                         find(getProduct_, "CP210x_GetDeviceProductString") &&
                         find(getSerial_, "CP210x_GetDeviceSerialNumber") && find(reset_, "CP210x_Reset");
        if (!all) {
            ::FreeLibrary(library_);
            library_ = nullptr;
        }
        return all;
    }
    int setString(SetString call, const std::string& text) {
        if (handle_ == nullptr) return kLibraryStatus - 0xFF;
        std::string copy = text;
        // ASCII given, the library writes the string descriptor (UTF-16) itself.
        const int s = call(handle_, copy.data(), static_cast<BYTE>(copy.size()), TRUE);
        return s == 0 ? 0 : kLibraryStatus - s;
    }

    HMODULE library_ = nullptr;
    HANDLE handle_ = nullptr;
    GetNumDevices numDevices_ = nullptr;
    GetProductString productString_ = nullptr;
    Open open_ = nullptr;
    Close close_ = nullptr;
    SetString setProduct_ = nullptr, setSerial_ = nullptr;
    GetString getProduct_ = nullptr, getSerial_ = nullptr;
    Reset reset_ = nullptr;
};

}  // namespace

const char* usbAccessLibrary() { return "CP210xManufacturing.dll"; }

std::unique_ptr<UsbBridgeAccess> makeUsbBridgeAccess() {
    if (factory()) return factory()();
    return std::make_unique<ManufacturingLibraryAccess>();
}

void setUsbBridgeAccessFactory(std::function<std::unique_ptr<UsbBridgeAccess>()> f) { factory() = std::move(f); }

}  // namespace lumo::platform
