#pragma once
// The process itself.

#include <string>
#include <vector>

namespace lumo::platform {

// Ends this process when the process that started it ends (a helper never outlives its test).
void exitWithParent();

// The program's arguments as UTF-8, whatever code page the system passes them in.
std::vector<std::string> commandLineArguments(int argc, char** argv);
// The standard streams carry the program's bytes as they are: UTF-8 text on a console, and no
// CR put before each LF of what goes to a pipe or a file (output is the same on every system);
// a console takes the terminal's escape sequences as a terminal does.
void prepareStandardStreams();

// Starts a program without waiting for it and without a shell: the program (found on the
// search path when it has no separator) and each argument are passed as they are. False when it
// cannot be started (the system's last-error value says why).
bool startDetached(const std::string& program, const std::vector<std::string>& arguments);
// The program that shows a text file to the user: the desktop's viewer ("xdg-open") on Linux,
// the system folder's "notepad.exe" on Windows (by its name alone when that folder is unknown).
std::string textViewerProgram();

// The calling thread runs one step below normal priority (a background job's worker).
void lowerThreadPriority();

// `handler` runs when the user interrupts the program (Ctrl-C); it must only do what a signal
// handler may (store to a lock-free atomic). A second interrupt ends the program as usual.
void onInterrupt(void (*handler)());

}  // namespace lumo::platform
