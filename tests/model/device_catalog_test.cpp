#include <gtest/gtest.h>

#include "model/device_catalog.h"

namespace lumo {
namespace {

TEST(DeviceCatalog, NamesOfSingleCodesAndGroups) {
    const struct {
        DeviceTypeCode code;
        const char* model;
        const char* kind;
    } cases[] = {
        {0, "obecná linka", "komunikační linka (COM, TCP)"},
        {1, "TQ300TCP", "docházkový terminál"},
        {3, "LOQ3", "vstupní terminál"},
        {7, "TQ310", "stravovací terminál"},
        {11, "WI485", "převodník TCP<->RS485, RS232"},
        {12, "WO485", "převodník USB<->RS485, RS232"},
        {15, "VEN12", "napájecí zdroj"},
        {17, "LOQ4", "řídící jednotka TESK"},
        {48, "QH-J01", "řídící jednotka TESK"},
        {55, "QH-J01", "řídící jednotka TESK"},
        {56, "QV-NW20", "dveřní sběrnicová jednotka"},
        {64, "QV-MTR4", "sběrnicová čtečka"},
        {72, "PX700/ZB40E", "řídící jednotka"},
        {87, "QV-MTR3", "sběrnicová čtečka"},
        {95, "QV-MTR4 (future)", "sběrnicová čtečka"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(modelName(c.code), c.model) << int(c.code);
        EXPECT_EQ(kindName(c.code), c.kind) << int(c.code);
    }
    // Codes beyond the catalog name nothing rather than reading past the tables.
    EXPECT_EQ(modelName(200), "");
    EXPECT_EQ(kindName(255), "");
}

TEST(DeviceCatalog, LineHeadNamesPairWithTheirCodes) {
    const char* names[] = {"obecná linka", "TCP linka", "USB linka", "DV3x", "YDV3x"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(lineHeadName(i), names[i]);
        EXPECT_TRUE(isInList(LineHeadTypes, LineHeadTypes[static_cast<std::size_t>(i)]));
    }
}

TEST(DeviceCatalog, ListMembershipHoldsExactCodes) {
    EXPECT_TRUE(isInList(LineHeadTypes, 0));  // the list's terminator is also its first code
    EXPECT_TRUE(isInList(LineHeadTypes, 16));
    EXPECT_FALSE(isInList(LineHeadTypes, 1));
    EXPECT_TRUE(isInList(DownloadTypes, 48));
    EXPECT_TRUE(isInList(FlashDownloadTypes, 48));
    EXPECT_FALSE(isInList(DownloadTypes, 49));
    EXPECT_FALSE(isInList(FlashDownloadTypes, 49));
    EXPECT_FALSE(isInList(DownloadTypes, 0));  // 0 ends every other list
    EXPECT_TRUE(isInList(HighSegmentTypes, 8));
    EXPECT_TRUE(isInList(IcmpServiceTypes, 4));
    EXPECT_FALSE(isInList(NetworkDeviceTypes, 4));
    EXPECT_TRUE(isInList(UsbBridgeTypes, 13));
}

TEST(DeviceCatalog, TwoCodeTestFallsBackToTheLineHead) {
    EXPECT_TRUE(isInList(DownloadTypes, 0, 11));   // the line selected: its WI485 counts
    EXPECT_FALSE(isInList(DownloadTypes, 3, 11));  // a LOQ3 module counts, not the line
    EXPECT_TRUE(isInList(DownloadTypes, 4, 0));
}

TEST(DeviceCatalog, ModuleTypeChoices) {
    std::vector<int> codes;
    std::vector<std::string> labels;
    for (const auto& c : moduleTypeChoices()) {
        codes.push_back(c.code);
        labels.push_back(c.label);
    }
    EXPECT_EQ(codes, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 14, 15, 17, 48, 56, 64, 72, 80, 88}));
    EXPECT_EQ(labels.front(), "TQ300TCP");
    EXPECT_EQ(labels[13], "QH-J01");
    EXPECT_EQ(labels.back(), "QV-MTR4 (future)");
}

TEST(DeviceCatalog, UsbProductStrings) {
    EXPECT_EQ(usbProductString(12), "WO485 - USB/RS485 converter");
    EXPECT_EQ(usbProductString(13), "DV3/DV3B/DV3M - desk reader");
    EXPECT_EQ(usbProductString(16), "DV3/DV3B/DV3M - desk reader");
}

}  // namespace
}  // namespace lumo
