// Fuzz target: hostile device answers through every answer-taking path. The input's first
// bytes choose the buffer capacity and the expected count; the rest is the byte stream a device
// sends. Nothing may be written outside the caller's buffer (the sanitizers watch).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "comm/answer_parsing.h"
#include "comm/telnet.h"
#include "device/console.h"
#include "device/module_parameters.h"
#include "discovery/tcp_search.h"
#include "model/records.h"
#include "service/memory_transfer.h"
#include "sim/bus.h"
#include "sim/wire_log.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const std::size_t capacity = data[0] % 130;
    const int expected = static_cast<int>(data[1]) * 2 - 40;
    const std::uint16_t identifier = static_cast<std::uint16_t>(data[2] * 257);
    data += 3;
    size -= 3;

    // Exactly the caller's capacity, so that any overrun is seen.
    auto buffer = std::make_unique<std::uint8_t[]>(capacity == 0 ? 1 : capacity);
    lumo::AnswerCollector answer(buffer.get(), capacity, expected);
    for (std::size_t i = 0; i < size && !answer.add(data[i]); ++i) {
    }
    lumo::answerChecksumHolds(buffer.get(), static_cast<std::size_t>(answer.count()));
    lumo::typeFromCalAnswer(buffer.get(), static_cast<std::size_t>(answer.count()));

    lumo::TunnelCollector tunnel(expected);
    for (std::size_t i = 0; i < size && !tunnel.add(data[i]); ++i) {
    }
    tunnel.finish(buffer.get(), capacity);

    int length = 0;
    bool echo = false;
    lumo::takeIcmpTunnelReply(data, size, identifier, expected, buffer.get(), capacity, length, echo);

    const std::string text(reinterpret_cast<const char*>(data), size);
    lumo::splitConsoleLine(lumo::ConsoleLineClean(text));

    // A module's parameters taken from its answers, then written back from what was taken.
    lumo::ModuleRecord record;
    record.setType(static_cast<lumo::DeviceTypeCode>(identifier & 0xff));
    lumo::takeCalAnswer(record, text);
    lumo::takeDisplayTextAnswer(record, text);
    lumo::takeVersionAnswer(record, text);
    lumo::takeParameterAnswer(record, text);
    lumo::parameterCommands(record);

    // A memory upload's answer, a search answer, the configuration console's bytes.
    lumo::uploadAnswerData(text);
    if (const auto row = lumo::parseSearchAnswer(data, size, "192.0.2.1")) {
        lumo::searchTypeText(*row);
        lumo::searchMacText(*row);
    }
    lumo::TelnetFilter telnet;
    std::vector<std::uint8_t> reply;
    lumo::ConsoleLines lines(capacity + 1);
    lines.take(telnet.take(data, size, reply));

    // The simulator's parser takes whatever a master sends.
    static lumo::sim::WireLog log("");
    std::vector<lumo::sim::SimModule> modules(1);
    modules[0].id = 5;
    modules[0].serial = "100000040005";
    lumo::sim::Bus bus(modules, log, "fuzz", 0);
    for (std::size_t i = 0; i < size; ++i) bus.receive(data[i], static_cast<std::int64_t>(i));
    bus.takeDue(1000000);
    return 0;
}
