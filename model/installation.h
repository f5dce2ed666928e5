#pragma once
// The installation on disk: line folders "line1" ... "line16" under the data directory, each
// with one line record in "line.cfg" and the module records of "terminal.dat".

#include <string>

#include "model/records.h"

namespace lumo {

// Paths of line N (1-16) under the data directory of the application state.
std::string lineFolderPath(int lineNumber);
std::string lineConfigPath(int lineNumber);
std::string moduleFilePath(int lineNumber);

// Record access by line index (0-15) and module record number (1, 2, ...).
bool readLineRecord(int lineIndex, LineRecord& record);
bool writeLineRecord(int lineIndex, const LineRecord& record);
bool readModuleRecord(int lineIndex, int moduleNumber, ModuleRecord& record);
bool writeModuleRecord(int lineIndex, int moduleNumber, const ModuleRecord& record);

// Creates a line from a template (head type, port, MAC, IP text) in the first free slot; a TCP
// converter with the IP address of an existing line replaces that line. Returns the new line
// number, 0 when all 16 are taken (after the message), -1 when "line.cfg" cannot be written (or
// the line slots cannot be locked), -2 when "terminal.dat" cannot be created. The slots are
// locked from the search to the write.
int createLine(const LineRecord& tmpl);

// Sets the ID-conflict flag of every module whose ID is shared by another switched-on module
// of the line, clears it on the others, and rewrites every used record.
bool markIdConflicts(int lineIndex);

// Frees the slot of a module (moduleNumber >= 1) or of the line itself (0), after the caller's
// question; the caller closes a line's port first. A line with modules is refused with a
// message. True when the slot was freed.
bool removeSelected(int lineIndex, int moduleNumber);

}  // namespace lumo
