#include "ui/message_map.h"

namespace lumo {
namespace {
DefaultHandler& defaultHandler() {
    static DefaultHandler handler = nullptr;
    return handler;
}

std::intptr_t applyDefault(DefaultKind kind, void* window, unsigned message, std::uintptr_t first, std::intptr_t second) {
    if (kind == DefaultKind::Nothing || defaultHandler() == nullptr) return 0;
    return defaultHandler()(kind, window, message, first, second);
}
}  // namespace

void setDefaultHandler(DefaultHandler handler) { defaultHandler() = handler; }

std::intptr_t dispatchMessage(unsigned message, void* window, std::intptr_t second, std::uintptr_t first,
                              const MessageMap<MessageHandler>& map) {
    for (const auto& e : map.entries) {
        if (e.key == message) return e.handler(window, message, first, second);
    }
    return applyDefault(map.defaultKind, window, message, first, second);
}

std::intptr_t dispatchCommand(std::uintptr_t first, void* window, std::intptr_t second,
                              const MessageMap<CommandHandler>& map) {
    const unsigned command = static_cast<unsigned>(first & 0xFFFF);
    for (const auto& e : map.entries) {
        if ((e.key & 0xFFFF) == command)
            return e.handler(window, static_cast<unsigned>(first), static_cast<unsigned>((first >> 16) & 0xFFFF), second);
    }
    return applyDefault(map.defaultKind, window, kCommandMessage, first, second);
}

}  // namespace lumo
