// The USB bridges' driver cleanup: where the system keeps a driver registry (Windows; under wine
// in the tests) it opens the bridges' vendor/product key and stops there, removing nothing;
// elsewhere comports.cfg is what it cleans.
#include <gtest/gtest.h>

#include "platform/usb_driver_registry.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace lumo {
namespace {

#ifdef _WIN32
constexpr wchar_t kBridgesKey[] = L"SYSTEM\\CurrentControlSet\\Enum\\USB\\VID_10C4&PID_EA60";
constexpr wchar_t kInstance[] = L"SYSTEM\\CurrentControlSet\\Enum\\USB\\VID_10C4&PID_EA60\\449213000001";

bool keyExists(const wchar_t* path) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    ::RegCloseKey(key);
    return true;
}

TEST(UsbDriverRegistry, StopsAtTheBridgesKeyAndRemovesNothing) {
    ASSERT_TRUE(platform::hasUsbDriverRegistry());
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kBridgesKey);
    // No bridge ever attached: the key cannot be opened, the system's error beside the step.
    EXPECT_EQ(platform::cleanUsbDriverRegistry(13), 0x30010000u | ERROR_FILE_NOT_FOUND);
    HKEY instance = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kInstance, 0, nullptr, 0, KEY_WRITE, nullptr, &instance, nullptr),
              ERROR_SUCCESS);
    ::RegCloseKey(instance);
    for (const int type : {13, 12}) EXPECT_EQ(platform::cleanUsbDriverRegistry(type), 0x30110000u) << type;
    EXPECT_TRUE(keyExists(kInstance));  // nothing removed
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kBridgesKey);
}
#else
TEST(UsbDriverRegistry, NoneOnThisSystem) {
    EXPECT_FALSE(platform::hasUsbDriverRegistry());
    EXPECT_EQ(platform::cleanUsbDriverRegistry(13), 0u);
}
#endif

}  // namespace
}  // namespace lumo
