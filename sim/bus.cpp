#include "sim/bus.h"

#include <algorithm>
#include <cstdio>

#include "comm/crc8.h"
#include "serial/serial_number.h"
#include "sim/device_parameters.h"
#include "sim/memory.h"

namespace lumo::sim {
namespace {

constexpr std::uint8_t kTunnelPrefix[] = {'W', 'R', 'f', 0x00, 0x01};

bool answersAtOnce(const std::string& name) { return name == "CAL" || name == "INF" || name == "RDI"; }

// The byte a DLL record is acknowledged with: 'K', or 'E' for the record the module is made to
// refuse and for a whole whose checksum is wrong.
std::uint8_t dllAcknowledgement(const SimModule& m, int record, bool good) {
    return good && record != m.faults.refusedRecord ? 'K' : 'E';
}

// One of the 31-byte records RDI sends: "R0001-ABCD..." (never a '*').
std::vector<std::uint8_t> historyRecord(long n) {
    char head[8];
    std::snprintf(head, sizeof head, "R%04ld-", n % 10000);
    std::string text = std::string(head) + "ABCDEFGHIJKLMNOPQRSTUVWXY";
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

}  // namespace

std::string defaultSerial(int type, int id) {
    // Made on 15 March 2016, its ID as its sequence (the converter, ID 0, has the sequence 1:
    // 0000 is never issued).
    return SerialEncode(id > 0 ? id % 10000 : 1, type % 100, packDate(15, 3, 2016));
}

Bus::Bus(std::vector<SimModule>& modules, WireLog& log, const char* transport, int dataWindowMs, std::string imageDir)
    : modules_(modules), log_(log), transport_(transport), dataWindowMs_(dataWindowMs),
      loaders_(log, transport, std::move(imageDir)) {}

SimModule* Bus::activeLoader(std::int64_t nowMs) {
    for (auto& m : modules_) {
        if (!m.loader.active) continue;
        if (nowMs - m.loader.lastByteAt <= 5000) return &m;
        m.loader.active = false;
        log_.note(transport_, "module " + std::to_string(m.id) + " loader: nothing for 5 s, the program starts");
    }
    return nullptr;
}

SimModule* Bus::armedLoader(std::int64_t nowMs, SimLoader::Kind kind) {
    for (auto& m : modules_) {
        if (m.loader.kind == kind && !m.loader.active && nowMs < m.loader.armedUntil) return &m;
    }
    return nullptr;
}

bool Bus::takesLoaderTraffic(std::int64_t nowMs) {
    return activeLoader(nowMs) != nullptr || armedLoader(nowMs, SimLoader::Kind::Tunnel) != nullptr;
}

void Bus::restartConverter(std::int64_t nowMs) {
    for (auto& m : modules_) {
        if (m.id == kConverterId) armLoader(m, nowMs, log_, transport_);
    }
}

// The bytes of the header so far are the start of a loader's first message: that loader takes
// them and everything after.
bool Bus::startLoader(SimLoader::Kind kind, std::int64_t nowMs) {
    SimModule* m = armedLoader(nowMs, kind);
    if (m == nullptr) return false;
    // The device restarted last is the one the download is for; a loader taken into use waits
    // for no other start.
    for (auto& other : modules_) {
        other.loader.active = false;
        other.loader.armedUntil = 0;
    }
    m->loader.active = true;
    m->loader.message.clear();
    std::vector<std::uint8_t> answer;
    for (std::uint8_t b : header_) answer = loaders_.feed(*m, b, nowMs);
    if (!answer.empty()) schedule(std::move(answer), nowMs + m->loader.slowMs);
    state_ = beforeHeader_;
    header_.clear();
    return true;
}

SimModule* Bus::selected() {
    for (auto& m : modules_) {
        if (m.id == selectedId_) return &m;
    }
    return nullptr;
}

void Bus::receive(std::uint8_t byte, std::int64_t nowMs) {
    // A module in its loader hears the bus as the others do: the loader takes its messages, the
    // other modules go on answering what is addressed to them.
    if (SimModule* m = activeLoader(nowMs)) {
        auto answer = loaders_.feed(*m, byte, nowMs);
        if (!answer.empty()) schedule(std::move(answer), nowMs + m->loader.slowMs);
    }
    if (serialBytesLeft_ > 0) {
        serialBytes_.push_back(static_cast<char>(byte));
        if (--serialBytesLeft_ > 0) return;
        SimModule* m = serviceModule();
        if (m == nullptr || m->faults.silent) return;
        m->serial = serialBytes_.substr(0, 12);
        log_.note(transport_, "module " + std::to_string(m->id) + " serial number " + m->serial);
        const std::string answer = "KO" + m->serial.substr(2);
        schedule({answer.begin(), answer.end()}, nowMs + m->faults.slowMs);
        return;
    }
    serviceByte(byte, nowMs);
    feed(byte, nowMs, true);
}

SimModule* Bus::serviceModule() {
    for (auto& m : modules_) {
        if (m.service) return &m;
    }
    return modules_.empty() ? nullptr : &modules_.front();
}

void Bus::serviceByte(std::uint8_t byte, std::int64_t nowMs) {
    serviceText_.push_back(static_cast<char>(byte));
    if (serviceText_.size() > 2048) serviceText_.clear();
    const std::size_t n = serviceText_.size();
    if (n < 2 || serviceText_[n - 2] != '\x04' || serviceText_[n - 1] != '\0') return;
    std::string text = serviceText_.substr(0, n - 2);
    serviceText_.clear();
    // The service preamble and marks may stand before the message.
    const auto start = std::min({text.find("UPL|"), text.find("WRM|"), text.find("WSM|"), text.find("RST|")});
    if (start == std::string::npos) return;
    text.erase(0, start);
    SimModule* target = serviceModule();
    if (target == nullptr) return;
    auto answer = memoryAnswer(*target, text, log_, transport_);
    if (!answer.empty()) schedule(std::move(answer), nowMs + target->faults.slowMs);
}

void Bus::feed(std::uint8_t byte, std::int64_t nowMs, bool headerAllowed) {
    // "&ML_END" releases the bus wherever it comes (in the middle of data too): the request,
    // the selection and any answer not yet sent end there.
    tail_ = (tail_ + static_cast<char>(byte)).substr(tail_.size() >= 6 ? tail_.size() - 6 : 0);
    if (tail_ == "&ML_END") {
        if (state_ == State::Data) log_.note(transport_, "released in the middle of the data");
        reset();
        return;
    }
    // A tunnel header may stand in front of any piece.
    if (headerAllowed && byte == 'W' && (state_ == State::Idle || state_ == State::AwaitData)) {
        beforeHeader_ = state_;
        state_ = State::Header;
        header_.assign(1, byte);
        return;
    }
    switch (state_) {
        case State::Header: {
            header_.push_back(byte);
            if (header_.size() == 4 && header_.back() == 's' && startLoader(SimLoader::Kind::Segment, nowMs)) return;
            if (header_.size() <= sizeof kTunnelPrefix && header_.back() != kTunnelPrefix[header_.size() - 1]) {
                // Not a header after all: the bytes belong to the state before it.
                const auto bytes = header_;
                state_ = beforeHeader_;
                feed(bytes[0], nowMs, false);
                for (std::size_t i = 1; i < bytes.size(); ++i) feed(bytes[i], nowMs, true);
                return;
            }
            if (header_.size() == 18 && startLoader(SimLoader::Kind::Tunnel, nowMs)) return;
            if (header_.size() == 18) {
                tunnelled_ = true;
                const std::size_t length = header_[7] | static_cast<std::size_t>(header_[8]) << 8;
                log_.note(transport_, "tunnel header channel " + std::string(header_.begin() + 16, header_.end()) +
                                          " length " + std::to_string(length));
                state_ = beforeHeader_;
                if (header_[16] == '0' && header_[17] == '7' && length == 12) {
                    // The serial number of the initialisation: 12 digits behind the header.
                    serialBytesLeft_ = length;
                    serialBytes_.clear();
                }
            }
            return;
        }
        case State::Idle:
            if (byte == '&') {
                tunnelled_ = false;
                state_ = State::Address;
                token_.assign(1, '&');
            } else if (byte == '#') {
                state_ = State::Name;
                name_.clear();
            }
            return;  // preambles, service marks and stray bytes are ignored
        case State::Address:
            token_.push_back(static_cast<char>(byte));
            if (token_.size() < 6) return;
            state_ = State::Idle;
            if (token_ == "&MLEND") {
                selectedId_ = -1;
                endless_ = false;
            } else if (token_.compare(0, 4, "&ML_") == 0 && std::isdigit(static_cast<unsigned char>(token_[4])) &&
                       std::isdigit(static_cast<unsigned char>(token_[5]))) {
                selectedId_ = std::stoi(token_.substr(4));
            }
            return;
        case State::Name:
            if (name_.size() < 3) {
                name_.push_back(static_cast<char>(byte));
                return;
            }
            if (byte == '+') {
                sub_ = -1;
                instructionComplete(nowMs);
            } else if (byte == '$') {
                state_ = State::SubInstruction;
                token_.clear();
            } else {
                state_ = State::Idle;
            }
            return;
        case State::SubInstruction:
            if (std::isdigit(byte) && token_.size() < 4) {
                token_.push_back(static_cast<char>(byte));
            } else if (byte == '+' && !token_.empty()) {
                sub_ = std::stoi(token_);
                instructionComplete(nowMs);
            } else {
                state_ = State::Idle;
            }
            return;
        case State::AwaitData:
            state_ = State::Data;
            data_.clear();
            dllRecords_ = 0;
            dllCrc_ = 0;
            [[fallthrough]];
        case State::Data:
            if (byte == '*') {
                state_ = State::Checksum;
                return;
            }
            if (data_.size() < 4096) data_.push_back(static_cast<char>(byte));
            if (name_ == "DLL") {
                // A file of records: each '+' ends one, acknowledged at once; the checksum covers
                // every byte but the closing '*'.
                dllCrc_ = Crc8Update(byte, dllCrc_);
                if (byte == '+') {
                    ++dllRecords_;
                    if (SimModule* m = selected(); m != nullptr && !m->faults.silent &&
                                                   (m->faults.dropAfter < 0 || dllRecords_ <= m->faults.dropAfter))
                        schedule({dllAcknowledgement(*m, dllRecords_, true)}, nowMs + m->faults.slowMs);
                }
            }
            return;
        case State::Checksum: {
            if (name_ == "DLL") {
                ++dllRecords_;
                const bool good = dllCrc_ == byte;
                log_.note(transport_, "DLL sub " + std::to_string(sub_) + " records " + std::to_string(dllRecords_) +
                                          (good ? " checksum ok" : " checksum wrong"));
                state_ = State::Idle;
                SimModule* m = selected();
                if (m != nullptr && !m->faults.silent && (m->faults.dropAfter < 0 || dllRecords_ <= m->faults.dropAfter))
                    schedule({dllAcknowledgement(*m, dllRecords_, good)}, nowMs + m->faults.slowMs);
                return;
            }
            const auto expected = crc8(reinterpret_cast<const std::uint8_t*>(data_.data()), data_.size());
            if (expected != byte) log_.note(transport_, "data checksum mismatch");
            state_ = State::Idle;
            execute(data_, nowMs);
            return;
        }
    }
}

void Bus::instructionComplete(std::int64_t nowMs) {
    if (answersAtOnce(name_)) {
        state_ = State::Idle;
        execute("", nowMs);
    } else {
        state_ = State::AwaitData;
        dataDeadline_ = nowMs + dataWindowMs_;
    }
}

namespace {

// "C1..+C2..": the counters the module has, as INF $7 reports them.
std::string counterText(const SimModule& m) {
    std::string text;
    for (int c = 0; c < 5; ++c) {
        if (m.counters[c] < 0) continue;
        text += (text.empty() ? "C" : "+C") + std::to_string(c + 1) + std::to_string(m.counters[c]);
    }
    return text;
}

// SET $7 data "C10005+C20012": each "C<digit><number>" sets that counter.
void takeCounters(SimModule& m, const std::string& data) {
    for (std::size_t at = data.find('C'); at != std::string::npos; at = data.find('C', at + 1)) {
        if (at + 1 >= data.size() || data[at + 1] < '1' || data[at + 1] > '5') continue;
        const int c = data[at + 1] - '1';
        std::size_t end = at + 2;
        // At most nine digits: the number fits a long on every system (32 bits on Windows).
        while (end < data.size() && std::isdigit(static_cast<unsigned char>(data[end])) && end < at + 11) ++end;
        if (end > at + 2) m.counters[c] = std::stol(data.substr(at + 2, end - at - 2));
    }
}

}  // namespace

std::string Bus::answerText(SimModule& m, const std::string& name, int sub, const std::string& data, bool& answers) {
    answers = data.empty();
    if (name == "CAL") return "!" + m.serial + "V" + m.version;
    if (name == "INF") {
        switch (sub) {
            case 3: return "!" + m.displayText;
            case 6: return hasParameters(m.type) ? versionAnswer(m) : "V" + m.version + "C070";
            case 7: return counterText(m);
            case 8: return hasParameters(m.type) ? parameterAnswer(m) : "P100+P200+P312+P400+B1O+B2F+B3O+B4F+D105+D205";
            default: return "INF" + std::to_string(sub) + "OK";
        }
    }
    if (name == "CFG" && sub == 5 && !data.empty()) m.clock = data;
    if (name == "SET" && sub == 7 && !data.empty()) takeCounters(m, data);
    if (hasParameters(m.type) && !data.empty()) takeParameterCommand(m, name, sub, data);
    if (name == "CMD" && sub == 9 && !data.empty()) {
        answers = true;
        if (data.rfind("SN", 0) == 0 && data.size() == 14) {
            m.serial = data.substr(2);  // LOQ4, PX700/ZB40E: "*" when written
            return "*";
        }
        return "K";
    }
    if (name == "CMD" && sub == 0 && data.size() == 12 && data.find_first_not_of("0123456789") == std::string::npos)
        m.serial = data;  // LOQ3
    if (name == "CFG" || name == "SET" || name == "CMD") return "OK";
    return "ERR";
}

void Bus::execute(const std::string& data, std::int64_t nowMs) {
    SimModule* m = selected();
    if (m == nullptr) return;
    ++m->instructions;
    const Faults& f = m->faults;
    log_.note(transport_, "module " + std::to_string(m->id) + " " + name_ + " sub " + std::to_string(sub_) +
                              " data '" + data + "'");
    if (f.silent || (f.dropAfter >= 0 && m->instructions > f.dropAfter)) return;
    if (f.endless) {
        endless_ = true;
        endlessUntil_ = nowMs + 60000;
        return;
    }
    bool answers = false;
    const std::string clockBefore = m->clock, parametersBefore = parameterSummary(*m), serialBefore = m->serial;
    std::string text = answerText(*m, name_, sub_, data, answers);
    if (f.calOnly && answers) text = answerText(*m, "CAL", 0, "", answers);
    if (m->clock != clockBefore) log_.note(transport_, "module " + std::to_string(m->id) + " clock " + m->clock);
    if (m->serial != serialBefore) log_.note(transport_, "module " + std::to_string(m->id) + " serial number " + m->serial);
    if (name_ == "CMD" && sub_ == 0 && data == "RST0") armLoader(*m, nowMs, log_, transport_);
    if (const std::string now = parameterSummary(*m); now != parametersBefore)
        log_.note(transport_, "module " + std::to_string(m->id) + " parameters " + now);
    if (!answers) return;
    std::vector<std::uint8_t> bytes;
    if (name_ == "RDI") {
        // The history records, each 31 bytes, one after the other.
        for (long n = 1; n <= m->counters[0]; ++n) {
            if (f.dropAfter >= 0 && n > f.dropAfter) break;
            schedule(historyRecord(n), nowMs + f.slowMs + n);
        }
        return;
    }
    if (f.garbage) {
        for (int i = 0; i < 40; ++i) bytes.push_back(static_cast<std::uint8_t>((i * 73 + 5) % 256 == '*' ? 0 : (i * 73 + 5) % 256));
    } else if (f.cutFrom >= 0 && m->instructions >= f.cutFrom) {
        // The end of the answer is lost: its last characters, the '*' and the checksum.
        bytes.assign(text.begin(), text.end() - static_cast<long>(std::min<std::size_t>(3, text.size())));
    } else if (name_ == "CMD" && sub_ == 9) {
        bytes.push_back(static_cast<std::uint8_t>(text[0]));
    } else {
        bytes.assign(text.begin(), text.end());
        std::uint8_t checksum = crc8(bytes.data(), bytes.size());
        if (f.badChecksum) checksum ^= 0x5A;
        bytes.push_back('*');
        bytes.push_back(checksum);
        if (f.trailing) bytes.insert(bytes.end(), {'J', 'U', 'N', 'K'});
    }
    // A tunnelled request gets its answer behind the converter's two-byte mark.
    if (tunnelled_) bytes.insert(bytes.begin(), m->tunnelMark.begin(), m->tunnelMark.end());
    schedule(std::move(bytes), nowMs + f.slowMs);
}

void Bus::schedule(std::vector<std::uint8_t> bytes, std::int64_t at) { pending_.push_back({at, std::move(bytes)}); }

std::vector<std::uint8_t> Bus::takeDue(std::int64_t nowMs) {
    std::vector<std::uint8_t> out;
    if (state_ == State::AwaitData && nowMs >= dataDeadline_) {
        state_ = State::Idle;
        execute("", nowMs);
    }
    while (!pending_.empty() && pending_.front().at <= nowMs) {
        out.insert(out.end(), pending_.front().bytes.begin(), pending_.front().bytes.end());
        pending_.pop_front();
    }
    if (endless_ && nowMs < endlessUntil_) out.insert(out.end(), 32, 'X');
    return out;
}

void Bus::reset() {
    state_ = beforeHeader_ = State::Idle;
    token_.clear();
    header_.clear();
    selectedId_ = -1;
    name_.clear();
    sub_ = -1;
    data_.clear();
    endless_ = tunnelled_ = false;
    pending_.clear();
    tail_.clear();
}

void Bus::connectionClosed() {
    const int selected = selectedId_;
    reset();
    selectedId_ = selected;
}

int Bus::msUntilDue(std::int64_t nowMs) const {
    std::int64_t next = -1;
    auto consider = [&](std::int64_t at) { next = next < 0 ? at : std::min(next, at); };
    if (state_ == State::AwaitData) consider(dataDeadline_);
    if (!pending_.empty()) consider(pending_.front().at);
    if (endless_) consider(nowMs + 2);
    if (next < 0) return -1;
    return static_cast<int>(std::max<std::int64_t>(0, next - nowMs));
}

}  // namespace lumo::sim
