#pragma once
// Routing by table: a window's messages and commands go through constant tables of (key,
// handler) pairs; keys not in a table get the table's default handling.

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace lumo {

enum class DefaultKind { Nothing = 0, Window = 1, Dialog = 2, MdiChild = 3, MdiFrame = 4 };

// A message handler gets the window, the message and its two parameters; a command handler the
// window, the command number, the notification code and the control.
using MessageHandler = std::intptr_t (*)(void* window, unsigned message, std::uintptr_t first, std::intptr_t second);
using CommandHandler = std::intptr_t (*)(void* window, unsigned command, unsigned notification, std::intptr_t control);
// What a front end does with a key no entry takes (for DefaultKind other than Nothing).
using DefaultHandler = std::intptr_t (*)(DefaultKind kind, void* window, unsigned message, std::uintptr_t first,
                                         std::intptr_t second);

template <typename Handler>
struct MessageMap {
    struct Entry {
        unsigned key;
        Handler handler;
    };
    std::vector<Entry> entries;
    DefaultKind defaultKind = DefaultKind::Nothing;
};

// Window messages the tables route.
inline constexpr unsigned kCreateMessage = 0x0001, kDestroyMessage = 0x0002, kSizeMessage = 0x0005;
inline constexpr unsigned kPaintMessage = 0x000F, kCloseMessage = 0x0010, kNotifyMessage = 0x004E;
inline constexpr unsigned kCommandMessage = 0x0111;

void setDefaultHandler(DefaultHandler handler);

// First entry whose key equals the message wins; otherwise the default kind applies.
std::intptr_t dispatchMessage(unsigned message, void* window, std::intptr_t second, std::uintptr_t first,
                              const MessageMap<MessageHandler>& map);

// Keys and the first parameter are compared on their low 16 bits; the handler gets the high 16
// bits as the notification code. Otherwise the default kind applies to a command message.
std::intptr_t dispatchCommand(std::uintptr_t first, void* window, std::intptr_t second,
                              const MessageMap<CommandHandler>& map);

}  // namespace lumo
