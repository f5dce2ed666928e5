#pragma once
// The register of issued serial numbers: "sn.dat" in the data directory names a folder (which
// several workstations may share) holding "sernum.txt" (type codes below 48) and
// "sernum_tesk.txt" (48 and more). One line per issued number: "SERIAL;NOTE;MEDIUM" and CR LF.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "platform/file_io.h"

namespace lumo {

// The register file for a type code, from "sn.dat"; empty when "sn.dat" cannot be read.
std::string registerFilePath(int typeCode);
// Tells the user why the register could not be used: the pending error where there is one,
// else that "sn.dat" does not name the register's folder (a missing "sn.dat" leaves no code).
void reportRegisterFailure();
const char* registerFileName(int typeCode);

// Opens the register file (existing only). Fails without a code when "sn.dat" cannot be read,
// with 0x01010000 when the register file cannot be opened.
bool RegisterOpen(int typeCode, platform::File& file);

// A register line "SERIAL;NOTE;MEDIUM" without its CR LF is at most this long.
inline constexpr std::size_t kMaxRegisterLine = 295;

// Calls `line` for every complete line (CR LF removed, the bytes as they stand in the file)
// until it returns false. The file is read in chunks of 2048 bytes cut back to their last line
// feed; a last line without its line end is not read. False on a read error, and on a line
// longer than a chunk (a damaged file: 0x09ff0001), which stops issuing numbers rather than
// skipping one.
bool forEachRegisterLine(platform::File& file, const std::function<bool(const std::string&)>& line);

// The sequence number of a register line: the number at its 9th character.
int registerLineSequence(const std::string& line);

// The highest sequence in the type code's register (0 for an empty one), or -1.
int RegisterLastSequence(int typeCode);
// 1 when a line with the serial's sequence (characters 9-12) is in the register, 0 when none
// is, -1 (the error pending) when the register cannot be opened for appending or its lines
// cannot all be read (a damaged file): a number is never taken as free when that is unknown.
int RegisterContains(const std::string& serial, int typeCode);
// Appends "SERIAL;NOTE;MEDIUM" and CR LF (the note in code page 1250), whole or not at all,
// under the register's lock; an unterminated last line is ended first. A note with ';', CR,
// LF or NUL, one that code page 1250 cannot hold, or a line over 295 characters is refused
// with a message before anything is written.
bool RegisterAppend(int typeCode, const std::string& serial, const std::string& note, int medium);

// False, with the message RegisterAppend would give, when the line cannot go into the
// register: asked before a number is written into a device, so that a device never holds a
// number the register then refuses.
bool registerLineAcceptable(const std::string& serial, const std::string& note, int medium);

// Issuing a number of a type code's register, from its check to its append, is held by one
// issuer at a time, here or on another workstation sharing the register: a lock on the
// register's ".init-lock" file beside it, waited for up to two minutes. An initialisation
// holds it while it writes the number into the device. Not held (the register's error
// pending) when the register itself cannot be opened for appending: no lock file is made in
// a folder that holds no register.
class RegisterIssueLock {
public:
    explicit RegisterIssueLock(int typeCode);
    bool held() const { return held_; }
    void release() {
        file_.unlock();
        held_ = false;
    }

private:
    platform::File file_;
    bool held_ = false;
};

enum class IssueResult { Issued, AlreadyIssued, Refused, Failed };
// The check and the append in one hold of the register's issue lock and of the file's own
// lock, so that two workstations cannot issue the same sequence.
IssueResult registerIssue(int typeCode, const std::string& serial, const std::string& note, int medium);
// The same for a caller that holds the RegisterIssueLock already.
IssueResult registerIssueHeld(int typeCode, const std::string& serial, const std::string& note, int medium);

// The register dialog's rows for a type code: serial, "DD.MM.20YY", model name, note and medium
// (in UTF-8).
struct RegisterRow {
    std::string serial, date, model, rest;
};
bool registerRows(int typeCode, std::vector<RegisterRow>& rows);

// What picking a row gives the initialisation: the note (before the first ';' of the rest) and
// the ID medium (the number after it; 0 when there is none).
struct RegisterChoice {
    std::string serial, note;
    int medium = 0;
};
RegisterChoice registerChoiceOf(const RegisterRow& row);

}  // namespace lumo
