#pragma once
// The two 260-byte records of an installation: a line's "line.cfg" and the module records of
// its "terminal.dat". Fields are read and written at their offsets; reserved bytes stay as read.

#include <array>
#include <cstdint>
#include <string>

#include "base/shared_types.h"
#include "model/byte_image.h"
#include "model/device_catalog.h"

namespace lumo {

inline constexpr std::size_t kRecordSize = 260;
inline constexpr int kMaxLines = 16;
inline constexpr int kMaxModulesShown = 32;

namespace flags {
// Module records.
inline constexpr std::uint8_t kNotResponding = 0x01;
inline constexpr std::uint8_t kIdConflict = 0x02;
inline constexpr std::uint8_t kOtherType = 0x04;
inline constexpr std::uint8_t kLineUnavailable = 0x20;
inline constexpr std::uint8_t kModuleOff = 0x80;
// Line records.
inline constexpr std::uint8_t kUnreachable = 0x20;
inline constexpr std::uint8_t kLineOff = 0x40;
}  // namespace flags

// Fields both records keep at the same place.
struct RecordImage : ByteImage<kRecordSize> {
    static constexpr std::size_t kDescriptionOffset = 2, kDescriptionWidth = 16;
    static constexpr std::size_t kFlagsOffset = 32;
    static constexpr std::size_t kMacOffset = 133;

    std::uint8_t firstByte() const { return u8(0); }
    std::uint8_t secondByte() const { return u8(1); }
    std::string description() const { return text(kDescriptionOffset, kDescriptionWidth); }
    void setDescription(const std::string& s) { setText(kDescriptionOffset, kDescriptionWidth, s); }
    std::uint8_t flags() const { return u8(kFlagsOffset); }
    void setFlags(std::uint8_t f) { setU8(kFlagsOffset, f); }
    MacAddress mac() const {
        MacAddress m{};
        for (std::size_t i = 0; i < m.size(); ++i) m[i] = u8(kMacOffset + i);
        return m;
    }
    void setMac(const MacAddress& m) {
        for (std::size_t i = 0; i < m.size(); ++i) setU8(kMacOffset + i, m[i]);
    }
};

// "line.cfg": one communication line.
struct LineRecord : RecordImage {
    static constexpr std::size_t kIpOffset = 107, kIpWidth = 18;

    std::uint8_t lineNumber() const { return u8(0); }  // 1-16; 0 = free slot
    void setLineNumber(std::uint8_t n) { setU8(0, n); }
    std::uint8_t recordKind() const { return u8(1); }  // 0 for a line
    void setRecordKind(std::uint8_t k) { setU8(1, k); }
    // 0 = RS232 (no direction control); 1-4 = DTR, /DTR, RTS, /RTS.
    std::uint8_t directionControl() const { return u8(31); }
    void setDirectionControl(std::uint8_t v) { setU8(31, v); }
    std::uint8_t port() const { return u8(33); }  // 0 = TCP, 1-8 = COM1-COM8
    void setPort(std::uint8_t p) { setU8(33, p); }
    std::uint8_t speed() const { return u8(34); }  // 0 = 9600, 1 = 19200
    void setSpeed(std::uint8_t s) { setU8(34, s); }
    std::uint8_t parity() const { return u8(98); }  // 0 none, 1 odd, 2 even
    void setParity(std::uint8_t p) { setU8(98, p); }
    std::string ipAddress() const { return text(kIpOffset, kIpWidth); }
    std::string_view rawIpAddress() const { return rawText(kIpOffset, kIpWidth); }
    void setIpAddress(const std::string& ip) { setText(kIpOffset, kIpWidth, ip); }
    std::int32_t tcpPort() const { return i32(128); }
    void setTcpPort(std::int32_t p) { setI32(128, p); }
    DeviceTypeCode headType() const { return u8(132); }
    void setHeadType(DeviceTypeCode t) { setU8(132, t); }

    bool exists() const { return lineNumber() != 0; }
    bool switchedOff() const { return (flags() & flags::kLineOff) != 0; }
    bool isTcp() const { return port() == 0; }
};

// One module record of "terminal.dat", with the device's parameter area.
// A group of bits in one byte of a record: `width` bits from bit `shift` of byte `offset`.
struct BitGroup {
    std::size_t offset;
    int shift, width;
};

// The bit groups of a module record's parameter area, by what they hold.
namespace param {
// statusFlags (byte 32)
inline constexpr BitGroup kNotAnswering{32, 0, 1}, kOtherTypeFound{32, 2, 1}, kSwitchedOffByUser{32, 7, 1};
// paramP1 of the TQ300 family
inline constexpr BitGroup kOperationByNumber{58, 0, 1}, kMenuPassword{58, 1, 1}, kForcedOperation{58, 2, 1},
    kRightsOnMtrOnly{58, 3, 1};
// paramP1 of a ZB40 (its "P5"): the door of subsystem 2
inline constexpr BitGroup kSubsystem2AlarmOpened{58, 0, 1}, kSubsystem2AlarmNotClosed{58, 1, 1};
// paramP2, every family
inline constexpr BitGroup kAlarmOpened{59, 0, 1}, kAlarmNotClosed{59, 1, 1}, kPeopleCounting{59, 2, 1},
    kAntiPassBack{59, 3, 1};
// Relay modes (0 "nespíná", 1 "spínací", 2 "hlídání dveří", 3 "přepínací"): paramP3, and paramP4 on a ZB40
inline constexpr BitGroup kRelay1Mode{60, 0, 4}, kRelay2Mode{60, 4, 4}, kRelay3Mode{61, 0, 4}, kRelay4Mode{61, 4, 4};
// switchBits: bit n-1 holds switch Bn
inline constexpr BitGroup kPresets{62, 0, 1}, kPin{62, 1, 1}, kRecords{62, 2, 1}, kHistory{62, 3, 1},
    kClosedAtRest{62, 4, 1};
// holdOpenBits: the TQ300 family's relays; a LOQ3's interval and its days (Sunday first)
inline constexpr BitGroup kHoldOpenRelay1{72, 0, 1}, kHoldOpenRelay2{72, 1, 1}, kHoldOpenInInterval{72, 0, 1},
    kHoldOpenDays{72, 1, 7};
// deviceFlags: external device 0-3, backlight 0-2, the ID medium as the device reports it
inline constexpr BitGroup kKeySound{99, 0, 1}, kReadSound{99, 1, 1}, kExternalDevice{99, 2, 2}, kBacklight{99, 4, 2},
    kReportedMedium{99, 6, 2};
inline constexpr BitGroup relayMode(int relay) {  // relay 1-4
    return relay == 1 ? kRelay1Mode : relay == 2 ? kRelay2Mode : relay == 3 ? kRelay3Mode : kRelay4Mode;
}
inline constexpr BitGroup switchBit(int n) { return {62, n - 1, 1}; }        // Bn, n = 1-8
inline constexpr BitGroup holdOpenDay(int day) { return {72, day + 1, 1}; }  // day 0 = Sunday ... 6 = Saturday
}  // namespace param

struct ModuleRecord : RecordImage {
    // The value of a bit group of the record, and setting it (other bits of its byte kept).
    std::uint8_t bits(BitGroup g) const { return static_cast<std::uint8_t>((u8(g.offset) >> g.shift) & ((1u << g.width) - 1)); }
    void setBits(BitGroup g, unsigned value) {
        const unsigned mask = ((1u << g.width) - 1) << g.shift;
        setU8(g.offset, static_cast<std::uint8_t>((u8(g.offset) & ~mask) | ((value << g.shift) & mask)));
    }

    std::uint8_t id() const { return u8(0); }  // ID address 0-31; 0 = free slot
    void setId(std::uint8_t id) { setU8(0, id); }
    DeviceTypeCode type() const { return u8(1); }
    void setType(DeviceTypeCode t) { setU8(1, t); }

    // Parameter area.
    std::string identText() const { return text(18, 13); }  // the CAL answer's serial number
    void setIdentText(const std::string& s) { setText(18, 13, s); }
    std::uint8_t statusFlags() const { return flags(); }
    void setStatusFlags(std::uint8_t f) { setFlags(f); }
    std::int32_t firmwareVersion() const { return i32(36); }  // version x 100
    void setFirmwareVersion(std::int32_t v) { setI32(36, v); }
    std::uint8_t idMediumType() const { return u8(40); }
    void setIdMediumType(std::uint8_t v) { setU8(40, v); }
    std::string displayText() const { return text(41, 17); }
    void setDisplayText(const std::string& s) { setText(41, 17, s); }
    std::uint8_t paramP1() const { return u8(58); }
    void setParamP1(std::uint8_t v) { setU8(58, v); }
    std::uint8_t paramP2() const { return u8(59); }
    void setParamP2(std::uint8_t v) { setU8(59, v); }
    std::uint8_t paramP3() const { return u8(60); }
    void setParamP3(std::uint8_t v) { setU8(60, v); }
    std::uint8_t paramP4() const { return u8(61); }
    void setParamP4(std::uint8_t v) { setU8(61, v); }
    std::uint8_t switchBits() const { return u8(62); }
    void setSwitchBits(std::uint8_t v) { setU8(62, v); }
    // Relay n = 1-4, delay in seconds.
    std::uint8_t relayDelay(int n) const { return u8(63 + static_cast<std::size_t>(n)); }
    void setRelayDelay(int n, std::uint8_t v) { setU8(63 + static_cast<std::size_t>(n), v); }
    struct TimeOfDay {
        std::uint8_t hour = 0, minute = 0;
    };
    TimeOfDay intervalFrom() const { return {u8(68), u8(69)}; }
    void setIntervalFrom(TimeOfDay t) { setU8(68, t.hour); setU8(69, t.minute); }
    TimeOfDay intervalTo() const { return {u8(70), u8(71)}; }
    void setIntervalTo(TimeOfDay t) { setU8(70, t.hour); setU8(71, t.minute); }
    std::uint8_t holdOpenBits() const { return u8(72); }
    void setHoldOpenBits(std::uint8_t v) { setU8(72, v); }
    std::uint8_t deviceFlags() const { return u8(99); }
    void setDeviceFlags(std::uint8_t v) { setU8(99, v); }
    std::int32_t doorTime() const { return i32(100); }
    void setDoorTime(std::int32_t v) { setI32(100, v); }
    std::uint8_t reader1Operation() const { return u8(104); }
    void setReader1Operation(std::uint8_t v) { setU8(104, v); }
    std::uint8_t reader2Operation() const { return u8(105); }
    void setReader2Operation(std::uint8_t v) { setU8(105, v); }
    std::uint8_t featureLevel() const { return u8(106); }
    void setFeatureLevel(std::uint8_t v) { setU8(106, v); }

    bool used() const { return id() != 0; }
    bool switchedOff() const { return (flags() & flags::kModuleOff) != 0; }
};

// Tree key of an item: line index x 256 + module record number (0 = the line).
inline unsigned itemKey(int lineIndex, int moduleNumber) {
    return static_cast<unsigned>(lineIndex) * 256u + static_cast<unsigned>(moduleNumber);
}

}  // namespace lumo
