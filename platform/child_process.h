#pragma once
// A program this one runs without a shell (the simulator behind a test, lumo-ctl as a user runs
// it): standard input empty, standard output to a pipe this object reads or to a file, standard
// error to a file or shared with this process.

#include <string>
#include <vector>

namespace lumo::platform {

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();  // ends a child that still runs
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // `command` is the program (found on the search path when it has no separator) and its
    // arguments, each passed as it is. An empty `outputPath` sends standard output to the pipe
    // readOutput() reads; an empty `errorPath` shares this process's standard error. False when
    // the program cannot be started (the system's last-error value says why).
    bool start(const std::vector<std::string>& command, const std::string& workingDirectory = "",
               const std::string& outputPath = "", const std::string& errorPath = "");
    // Appends what arrived on the output pipe within `timeoutMs`; false at its end or on time-out.
    bool readOutput(std::string& text, int timeoutMs);
    void closeOutput();
    // Waits for the end: the exit status, or -1 when the program did not exit by itself.
    int wait();
    // Asks the program to end, and waits for it.
    void terminate();
    // Interrupts the program as Ctrl-C on its terminal does, without waiting. False where the
    // system has no such signal for one program alone (Windows: a console's Ctrl-C reaches every
    // program on it).
    bool interrupt();

private:
    long long process_ = -1;  // the process id or handle
    long long output_ = -1;   // the reading end of the output pipe
};

}  // namespace lumo::platform
