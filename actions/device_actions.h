#pragma once
// The commands that talk to one line or module: the device check, the console, the application
// reset, and the service commands whose operations are still to come. Results as
// base/action_result.h says.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "base/error_record.h"
#include "device/counters.h"

#include "base/action_result.h"

namespace lumo {

// The refusal of a command that only a module can take, selected on its line: "Varování" with
// the text given. False (after the message) for a line (moduleNumber 0).
bool requireModule(int moduleNumber, const char* refusal);
inline constexpr const char* kCannotChangeLine = "Nelze měnit komunikační linku !  ";
inline constexpr const char* kCannotRunOnLine = "Nelze provádět pro komunikační linku !  ";

// "Kontrola funkce": a TCP line's neighbour-table row goes first (the device may have a new
// MAC address), then the device check; on success the item's status report is shown. A stop
// (Ctrl-C, the operation's own stop) ends the line's waits at once; the exchange still ends with
// its release, nothing is stored and kActionRefused is returned.
int checkItem(int lineIndex, int moduleNumber);

// The characters of a console line (code page 1250, one byte each).
inline constexpr std::size_t kConsoleLineLength = 89;

// "Odeslat příkaz" and `lumo-ctl send`: the console text (a typed or pasted frame) cleaned and
// sent to the module. The answer comes back in `answer` (raw bytes; empty when data was sent).
// A line and a text over the console's 89 characters are refused with "Upozornění"; a failed
// transaction puts "chyba při komunikaci !" into the status bar and is reported.
int sendConsoleCommand(int lineIndex, int moduleNumber, const std::string& text, std::string& answer);

// "Datum a čas", opening: refused on a line ("Upozornění"); the module is asked INF 8 (a failure
// is reported: the dialog stays); a module that holds history records, or does not say how
// many, is refused with "Nelze nastavit". 1 when the clock may be set. A stop ends the wait for
// the answer (kActionRefused, nothing said).
int clockSettingApplies(int lineIndex, int moduleNumber);

// "Nastavit": the PC's date, time and weekday (`system`), or the packed date and time given
// with the weekday index, as "CFG" 6 to the module. 0 when the date or time is missing or
// invalid (nothing is sent); a failed transaction is reported. The status bar tells the
// outcome: the date, time and weekday set, or "nastavení času se nezdařilo !". Once the
// operation is stopped nothing is sent (0).
struct ClockChoice {
    bool system = true;
    std::uint32_t date = 0, time = 0xFFFF;
    int weekday = 0;
};
int setModuleClock(int lineIndex, int moduleNumber, const ClockChoice& choice);

// checkItem, clockSettingApplies and setModuleClock for a caller whose thread holds the line's
// lease already (a whole-installation run's line group, actions/installation_run): the same
// exchanges, texts and reports. Refused with the lease's text on a line the thread does not hold.
int checkItemOnHeldLine(int lineIndex, int moduleNumber);
int clockSettingAppliesOnHeldLine(int lineIndex, int moduleNumber);
int setModuleClockOnHeldLine(int lineIndex, int moduleNumber, const ClockChoice& choice);

// "Nastavení počítadel": reading (INF 8) and writing (SET 8) the counters. Reading is refused on a
// line; a failure (or an answer of six characters or fewer) puts "načtení stavu počítadel se
// nezdařilo !" into the status bar and is reported (a module that did not answer, in a box
// "Nastavení počítadel"). Writing sends the counters that have a value.
int readModuleCounters(int lineIndex, int moduleNumber, Counters& counters);
int writeModuleCounters(int lineIndex, int moduleNumber, const Counters& counters);

// "Přenos souboru" (`send`) and "Načtení do souboru": the "Instrukce DLL" text, read as a
// hexadecimal number, must be a sub-instruction of one digit (0-9); a read into an existing file
// asks before it replaces it. The text and the file name are remembered in "cmd.dat" (the name
// only when its field holds it whole), then the transfer starts as the background job with the
// whole name and this returns at once. Refused on a line. `ended` gets whether every record went
// (or came), on the job's thread.
int startFileTransfer(int lineIndex, int moduleNumber, bool send, const std::string& dllInstruction,
                      const std::string& fileName, std::function<void(bool)> ended);

// The console's five remembered lines, from "cmd.dat" (all empty when it cannot be read).
void loadConsoleLines();
// A console line as "Odeslat" takes it: cleaned (ConsoleLineClean, at most 89 characters),
// stored as line k (0-4) of "cmd.dat" and saved (a failure is reported). The cleaned text.
std::string rememberConsoleLine(int k, const std::string& text);

// "Reset aplikace": "CMD" with sub-instruction 0 and "RST0" to the module, no answer awaited.
int resetApplication(int lineIndex, int moduleNumber);

// "Reset master": refused on a line; a module is reset by its initialisation method (the LOQ3,
// LOQ4, PX700/ZB40E and the USB bridges have nothing to do).
int resetMaster(int lineIndex, int moduleNumber);

// "Testování", its "Start": refused on a line ("Nelze provádět pro komunikační linku !  ");
// otherwise the communication test starts as the background job and this returns at once.
// `output` gets each cycle's text (on the job's thread), `ended` the test's end with its
// pending error (reported by the caller, or not when the user stopped the test).
int startCommunicationTest(int lineIndex, int moduleNumber, std::function<void(const std::string&)> output,
                           std::function<void(const ErrorRecord&)> ended);


}  // namespace lumo
