#pragma once
// The protocol side of a simulated bus: it takes the master's bytes, follows selection
// ("&ML_nn" ... "&MLEND"), instructions ("#NAM+", "#NAM$d+"), data ("text*" and its CRC-8),
// tunnel headers and service preambles, and produces the selected module's answers.

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "sim/loader.h"
#include "sim/sim_module.h"
#include "sim/wire_log.h"

namespace lumo::sim {

class Bus {
public:
    // `imageDir`: where a loader writes what it loaded (empty: nowhere).
    Bus(std::vector<SimModule>& modules, WireLog& log, const char* transport, int dataWindowMs,
        std::string imageDir = {});

    // One byte from the master, at monotonic time `nowMs`.
    void receive(std::uint8_t byte, std::int64_t nowMs);
    // The answer bytes due by `nowMs`.
    std::vector<std::uint8_t> takeDue(std::int64_t nowMs);
    // Milliseconds until something falls due; -1 when nothing is pending.
    int msUntilDue(std::int64_t nowMs) const;
    // The converter's connection closed: the request in progress, the selection and every
    // answer not yet sent go with it (a late answer must not reach the next connection).
    void reset();
    // True while a loader on this bus takes the download's messages (or waits for the first).
    bool takesLoaderTraffic(std::int64_t nowMs);
    // The module restarted by the service datagram (the converter itself), into its loader.
    void restartConverter(std::int64_t nowMs);
    // A TCP connection closed: its request in progress and its unsent answers go (a late answer
    // must not reach the next connection); the modules behind the converter keep their selection,
    // as devices on the serial side of a real converter do.
    void connectionClosed();

    // The answer text a module gives (without '*' and checksum). `sub` is the number written on
    // the wire after '$' (-1 for none); `answers` tells whether the module answers at all.
    // CFG 6 and SET 8 change the module's clock and counters.
    static std::string answerText(SimModule& m, const std::string& name, int sub, const std::string& data,
                                  bool& answers);

private:
    enum class State { Idle, Address, Name, SubInstruction, AwaitData, Data, Checksum, Header };

    void feed(std::uint8_t byte, std::int64_t nowMs, bool headerAllowed);
    void instructionComplete(std::int64_t nowMs);
    void execute(const std::string& data, std::int64_t nowMs);
    void schedule(std::vector<std::uint8_t> bytes, std::int64_t at);
    SimModule* selected();
    // Unaddressed memory service messages ("UPL", "WRM") for the bus's service module.
    void serviceByte(std::uint8_t byte, std::int64_t nowMs);
    SimModule* serviceModule();
    // The module whose loader takes the bytes now (one left idle for 5 s leaves it), and one
    // restarted into a loader of this kind that waits for its first message.
    SimModule* activeLoader(std::int64_t nowMs);
    SimModule* armedLoader(std::int64_t nowMs, SimLoader::Kind kind);
    bool startLoader(SimLoader::Kind kind, std::int64_t nowMs);

    std::vector<SimModule>& modules_;
    WireLog& log_;
    const char* transport_;
    int dataWindowMs_;
    LoaderLink loaders_;

    State state_ = State::Idle;
    State beforeHeader_ = State::Idle;
    std::string token_;
    std::vector<std::uint8_t> header_;
    int selectedId_ = -1;
    std::string name_;
    int sub_ = -1;  // as written on the wire; -1 = none
    std::string data_;
    std::int64_t dataDeadline_ = 0;
    bool endless_ = false;
    bool tunnelled_ = false;  // the current request came with tunnel headers
    std::int64_t endlessUntil_ = 0;
    std::string tail_;       // the last bytes, for the release "&ML_END"
    std::string serviceText_;  // the service message being received, up to its 0x04 0x00
    std::size_t serialBytesLeft_ = 0;  // a tunnelled serial number (channel 07) still to come
    std::string serialBytes_;
    int dllRecords_ = 0;     // records of the DLL data so far
    std::uint8_t dllCrc_ = 0;  // its running CRC-8

    struct Pending {
        std::int64_t at;
        std::vector<std::uint8_t> bytes;
    };
    std::deque<Pending> pending_;
};

}  // namespace lumo::sim
