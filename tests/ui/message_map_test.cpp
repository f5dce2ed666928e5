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

#include <algorithm>
#include <vector>

namespace lumo {
namespace {

TEST(ListCompare, SignedOrderAndRowsWithoutValueLast) {
    const struct {
        std::int32_t a, b;
        int expected;
    } cases[] = {
        {1, 2, -1}, {-5, 3, -1}, {7, 7, 0}, {9, 2, 1},
        {0, 5, 1}, {0, -5, 1}, {5, 0, -1}, {-5, 0, -1}, {0, 0, 0},  // no value: last, alike
    };
    for (const auto& c : cases) EXPECT_EQ(compareListValues(c.a, c.b), c.expected) << c.a << " " << c.b;
}

TEST(ListCompare, SortsRowsAndPutsThoseWithoutValueLast) {
    const struct {
        std::vector<std::int32_t> rows, sorted;
    } cases[] = {
        {{5, 0, 3}, {3, 5, 0}},
        {{0, 5, 0, -2, 3}, {-2, 3, 5, 0, 0}},
        {{0, 0}, {0, 0}},
    };
    for (const auto& c : cases) {
        std::vector<std::int32_t> rows = c.rows;
        std::stable_sort(rows.begin(), rows.end(), [](auto a, auto b) { return compareListValues(a, b) < 0; });
        EXPECT_EQ(rows, c.sorted);
    }
    // A strict weak order over values with and without one: what a sort needs.
    const std::int32_t values[] = {0, -3, 1, 4, 0};
    for (auto a : values) {
        EXPECT_EQ(compareListValues(a, a), 0);
        for (auto b : values) {
            EXPECT_EQ(compareListValues(a, b), -compareListValues(b, a)) << a << " " << b;
            for (auto c : values) {
                if (compareListValues(a, b) <= 0 && compareListValues(b, c) <= 0) {
                    EXPECT_LE(compareListValues(a, c), 0) << a << " " << b << " " << c;
                }
            }
        }
    }
}

}  // namespace
}  // namespace lumo
