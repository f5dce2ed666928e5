#pragma once
// A simulated LUMO module: its identity, what it answers, and the faults it can be given.

#include <cstdint>
#include <map>
#include <string>
#include <vector>


namespace lumo::sim {

struct Faults {
    bool silent = false;      // never answers
    bool garbage = false;     // answers binary junk without '*'
    bool badChecksum = false; // answers with a wrong CRC-8
    bool calOnly = false;     // answers every request as it answers CAL
    bool endless = false;     // once asked, never stops sending
    int dropAfter = -1;       // goes silent after this many instructions (-1: never)
    int slowMs = 0;           // waits this long before answering
    bool trailing = false;    // sends "JUNK" after the answer's checksum
    int cutFrom = -1;         // from this instruction on, answers are cut off before their end
    int refusedRecord = -1;   // this DLL record (from 1) is acknowledged with 'E', not 'K'
};

// The settings a module of a family with parameters keeps: what INF 6 and INF 8 report and
// CFG 0/3/4/8 and SET 2 change.
struct SimParameters {
    int p[7] = {0, 0, 0, 0x12, 0, 0, 0};  // P1-P6 by their number (index 0 unused)
    int switches = 0x05;                  // B1-B8: bit n-1 holds Bn
    int delays[5] = {0, 5, 5, 5, 5};      // D1-D4 by their number
    int deviceFlags = 70;                 // "C" of INF 6, set by SET 2
    long doorTime = 0;                    // CFG 3 "A"
    int reader1 = 0, reader2 = 0;         // CFG 3 "B" and "C"
    std::string interval;                 // CFG 4 "S" as sent: "HHMMHHMM"
    int holdOpen = 0, days = 0;           // CFG 4 "R" and "W"
};

// A module's loader, entered by "RST0": the tunnel loader of the flash devices takes byte
// messages behind tunnel headers, the segment loader of the older devices "WRfs" texts. What they
// load goes into `flash`.
struct SimLoader {
    enum class Kind { None, Tunnel, Segment };
    Kind kind = Kind::None;
    bool active = false;
    std::int64_t armedUntil = 0;  // a restart lets loader traffic in until then
    std::int64_t lastByteAt = 0;
    std::vector<std::uint8_t> message;  // the message being received
    std::vector<std::uint8_t> block;    // the tunnel loader's open block
    std::map<std::uint32_t, std::uint8_t> flash;
    int segmentChecksums[4] = {-1, -1, -1, -1};  // as the segment messages carried them
    int messages = 0;
    // Faults: refuse the N-th message ("NO", or no answer from the segment loader), fall silent
    // after N messages, answer late.
    int refuseAt = -1, silentAfter = -1, slowMs = 0;
};

// A module's memory as the upload ("UPL") reads it and the write-back ("WRM") changes it: a
// pattern of its own, where nothing was written, under each segment selector ("yyyyyyyy",
// "9yyyyyyy", "yyyyyy00" ...).
struct SimMemory {
    int seed = 0;
    std::map<std::pair<std::string, std::uint32_t>, std::uint8_t> written;
    std::string selector;  // the upload in progress
    std::uint32_t next = 0, remaining = 0;
    std::uint8_t at(const std::string& selector, std::uint32_t address) const;
};

struct SimModule {
    int id = 0;
    int type = 0;
    std::string serial;       // 12 digits; characters 7-8 are the type
    std::string version = "1.23";
    std::string displayText = "LUMO";
    std::string tunnelMark = "KO";  // the first two bytes of an answer to a tunnelled request
    Faults faults;
    int instructions = 0;     // instructions taken so far (for dropAfter)
    // The five counters C1-C5 that INF 8 reports and SET 8 changes; C5 is the number of history
    // records the module holds. A counter below 0 is one the module does not have.
    long counters[5] = {3, 2, 0, 100, 0};
    SimParameters params;
    SimLoader loader;
    SimMemory memory;
    bool service = false;  // takes the bus's service messages (else the bus's first module does)
    // The clock as the last CFG 6 set it ("D06.12.26+T14:30:00+W0"); empty until then.
    std::string clock;
};

// The TCP converter itself, when it has a service port: no module address selects it.
inline constexpr int kConverterId = 0;
inline constexpr int kConverterType = 11;

// The serial number a module gets when the installation file names none: one issued on
// 15.03.2016 with its ID as the sequence.
std::string defaultSerial(int type, int id);

}  // namespace lumo::sim
