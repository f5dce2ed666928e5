// The installation tree's items: keys, labels, images and the active-only filter.
#include <gtest/gtest.h>

#include "model/installation.h"
#include "model/tree_items.h"
#include "support/installation_fixture.h"

namespace lumo {
namespace {

using TreeItems = test::InstallationTest;

ModuleRecord module(std::uint8_t id, std::uint8_t flagsByte = 0) {
    ModuleRecord m;
    m.setId(id);
    m.setType(4);
    m.setDescription("m" + std::to_string(id));
    m.setFlags(flagsByte);
    return m;
}

std::vector<std::string> summary(const std::vector<TreeItem>& items) {
    std::vector<std::string> out;
    for (const auto& i : items) out.push_back(std::to_string(i.key) + " " + i.label + " " + std::to_string(i.image));
    return out;
}

TEST_F(TreeItems, KeysImagesGapsAndTheFilter) {
    ASSERT_EQ(newLine(11), 1);  // TCP converter
    ASSERT_EQ(newLine(12), 2);  // USB converter, switched off below
    ASSERT_EQ(newLine(16), 3);  // reader line, freed below: its modules vanish with it
    ASSERT_TRUE(writeModuleRecord(0, 1, module(1)));
    ASSERT_TRUE(writeModuleRecord(0, 2, module(0)));  // a gap
    ASSERT_TRUE(writeModuleRecord(0, 3, module(3, flags::kNotResponding)));
    ASSERT_TRUE(writeModuleRecord(0, 4, module(4, flags::kOtherType)));
    ASSERT_TRUE(writeModuleRecord(0, 5, module(5, flags::kModuleOff | flags::kNotResponding)));
    for (int k = 6; k <= 33; ++k) ASSERT_TRUE(writeModuleRecord(0, k, module(6)));
    ASSERT_TRUE(writeModuleRecord(1, 1, module(9)));
    ASSERT_TRUE(writeModuleRecord(2, 1, module(9)));
    LineRecord line;
    ASSERT_TRUE(readLineRecord(1, line));
    line.setFlags(flags::kLineOff);
    ASSERT_TRUE(writeLineRecord(1, line));
    ASSERT_TRUE(readLineRecord(2, line));
    line.setLineNumber(0);
    ASSERT_TRUE(writeLineRecord(2, line));

    const auto all = buildTreeItems(false);
    const auto s = summary(all);
    ASSERT_EQ(s.size(), 1u + 4 + 27 + 2);  // records 6-32 of line 1; record 33 never shows
    EXPECT_EQ(s[0], "0 linka 1 2");
    EXPECT_EQ(s[1], "1 m1 10");
    EXPECT_EQ(s[2], "3 m3 11");  // the gap keeps the record number in the key
    EXPECT_EQ(s[3], "4 m4 12");
    EXPECT_EQ(s[4], "5 m5 13");
    EXPECT_EQ(all[31].key, 32u);
    EXPECT_EQ(s[32], "256 linka 2 5");
    EXPECT_EQ(s[33], "257 m9 10");

    const auto active = summary(buildTreeItems(true));
    EXPECT_EQ(active.size(), 1u + 2 + 27);  // line 2 and all its modules gone, m4 and m5 gone
    EXPECT_EQ(active[2], "3 m3 11");        // not responding stays
    EXPECT_EQ(active[3], "6 m6 10");
}

TEST_F(TreeItems, ImagesByRecordKind) {
    const struct {
        DeviceTypeCode head;
        std::uint8_t flagsByte;
        int image;
    } lines[] = {{0, 0, 0}, {0, 0x20, 1}, {11, 0, 2}, {11, 0x40, 3}, {12, 0, 4}, {13, 0x60, 7}, {16, 0, 6}, {99, 0, 0}};
    for (const auto& c : lines) {
        LineRecord r;
        r.setLineNumber(1);
        r.setHeadType(c.head);
        r.setFlags(c.flagsByte);
        EXPECT_EQ(recordImage(r), c.image) << int(c.head) << " " << int(c.flagsByte);
    }
    const struct {
        std::uint8_t flagsByte;
        int image;
    } modules[] = {{0, 10}, {1, 11}, {2, 12}, {3, 12}, {0x20, 12}, {0x80, 13}, {0x81, 13}};
    for (const auto& c : modules) EXPECT_EQ(recordImage(module(1, c.flagsByte)), c.image) << int(c.flagsByte);
}

}  // namespace
}  // namespace lumo
