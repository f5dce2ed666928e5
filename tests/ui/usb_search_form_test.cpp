// "Vyhledání USB zařízení" as a form, without a window: the bridges listed and saved as lines.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "model/installation.h"
#include "support/installation_fixture.h"
#include "ui/usb_search_form.h"

namespace lumo {
namespace {

using UsbSearchFormTest = test::InstallationTest;

TEST_F(UsbSearchFormTest, ListsTheBridgesAndSavesThemAsLines) {
    struct Root {
        std::string kept = usbDevicesRoot();
        ~Root() { usbDevicesRoot() = kept; }
    } root;
    usbDevicesRoot() = dir.str() + "/sys";
    UsbSearchForm form;
    form.open();
    int shown = 0;
    form.showNow = [&] { ++shown; };
    form.pressSearch();  // none yet: said so
    EXPECT_TRUE(form.list.empty());
    EXPECT_EQ(ui.callsOf("message").size(), 1u);

    const auto device = std::filesystem::path(usbDevicesRoot()) / "1-1";
    std::filesystem::create_directories(device);
    std::filesystem::create_directories(std::filesystem::path(usbDevicesRoot()) / "1-1:1.0" / "ttyUSB0");
    std::ofstream(device / "idVendor") << "10c4\n";
    std::ofstream(device / "idProduct") << "ea60\n";
    std::ofstream(device / "serial") << "441560130007\n";
    form.pressSearch();
    EXPECT_EQ(shown, 2);
    ASSERT_EQ(form.list.size(), 1u);
    EXPECT_EQ(form.list[0][0], "13-(DV3x)");
    EXPECT_EQ(form.list[0][1], "441560130007");
    EXPECT_EQ(form.list[0][2], "10C4/EA60");
    EXPECT_EQ(form.pressClose(), 0);  // nothing saved yet
    form.pressSave();
    EXPECT_TRUE(form.list.empty());
    EXPECT_EQ(form.pressClose(), 1);
    LineRecord line;
    EXPECT_TRUE(readLineRecord(0, line));
    EXPECT_EQ(line.headType(), 13);
}

}  // namespace
}  // namespace lumo
