// Routing by table, and the "Servis" menu rule.
#include <gtest/gtest.h>

#include "ui/message_map.h"
#include "ui/servis_menu.h"

namespace lumo {
namespace {

unsigned lastCommand = 0, lastNotification = 0;
std::intptr_t onCommand(void*, unsigned command, unsigned notification, std::intptr_t) {
    lastCommand = command;
    lastNotification = notification;
    return 7;
}
std::intptr_t onMessage(void*, unsigned message, std::uintptr_t, std::intptr_t) { return static_cast<std::intptr_t>(message) + 1; }
int defaults = 0;
std::intptr_t onDefault(DefaultKind kind, void*, unsigned, std::uintptr_t, std::intptr_t) {
    ++defaults;
    return static_cast<std::intptr_t>(kind) * 100;
}

TEST(MessageMap, FirstMatchDefaultsAndLow16BitCommands) {
    setDefaultHandler(onDefault);
    const MessageMap<MessageHandler> messages{{{5, onMessage}, {5, nullptr}}, DefaultKind::Nothing};
    EXPECT_EQ(dispatchMessage(5, nullptr, 0, 0, messages), 6);
    EXPECT_EQ(dispatchMessage(9, nullptr, 0, 0, messages), 0);  // not in a map of kind 0: 0, nothing else
    EXPECT_EQ(defaults, 0);
    const MessageMap<CommandHandler> commands{{{0x10000 | 410, onCommand}}, DefaultKind::Window};
    EXPECT_EQ(dispatchCommand(0x00030000u | 410, nullptr, 0, commands), 7);  // keys match on 16 bits
    EXPECT_EQ(lastCommand, 0x00030000u | 410);
    EXPECT_EQ(lastNotification, 3u);
    EXPECT_EQ(dispatchCommand(411, nullptr, 0, commands), 100);  // the window's default handling
    EXPECT_EQ(defaults, 1);
    setDefaultHandler(nullptr);
}

TEST(ServisMenu, EnabledByModuleOrLineHeadAndConvertersHaveNoMemoryItems) {
    const struct {
        bool module;
        std::uint8_t byte132;
        bool submenu, memory;
    } cases[] = {
        {false, 0, false, false},  // a general line
        {false, 12, true, false},  // a USB converter line
        {false, 11, true, false},  // a TCP converter line
        {false, 13, true, true},   // a desk reader line
        {true, 0, true, true},     // a module
        {true, 11, true, false},
    };
    for (const auto& c : cases) {
        const ServisMenuState s = servisMenuState(c.module, c.byte132);
        EXPECT_EQ(s.submenu, c.submenu) << c.module << " " << int(c.byte132);
        EXPECT_EQ(s.memoryItems, c.memory) << c.module << " " << int(c.byte132);
    }
}

}  // namespace
}  // namespace lumo

#include "ui/list_compare.h"

namespace lumo {
namespace {

TEST(ListCompare, SignedOrderAndRowsWithoutValueLast) {
    EXPECT_EQ(compareListValues(1, 2), -1);
    EXPECT_EQ(compareListValues(-5, 3), -1);
    EXPECT_EQ(compareListValues(7, 7), 0);
    EXPECT_EQ(compareListValues(9, 2), 1);
    EXPECT_EQ(compareListValues(0, 5), 1);
    EXPECT_EQ(compareListValues(5, 0), 1);
}

}  // namespace
}  // namespace lumo
