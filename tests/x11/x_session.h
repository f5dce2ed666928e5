#pragma once
// A real X display for a test: Xvfb with the openbox window manager, programs started on it,
// and xdotool to drive them as a person does. Everything started ends with the object.

#include <string>
#include <vector>

namespace lumo::test {

// A started program; `running` tells whether it has ended, `stop` ends it.
class Child {
public:
    Child() = default;
    Child(const std::vector<std::string>& argv, const std::string& display, const std::string& logPath = "/dev/null");
    ~Child();
    Child(Child&& other) noexcept : pid_(other.pid_) { other.pid_ = -1; }
    Child& operator=(Child&& other) noexcept {
        if (this != &other) {
            stop();
            pid_ = other.pid_;
            other.pid_ = -1;
        }
        return *this;
    }
    bool running();
    // Waits up to `ms` for the program to end; true when it did.
    bool waitEnded(int ms);
    void stop();
    int pid() const { return pid_; }

private:
    int pid_ = -1;
};

class XSession {
public:
    // Starts Xvfb (display chosen by the server) and openbox; `ok()` says whether it worked.
    XSession();
    ~XSession();
    bool ok() const { return !display_.empty(); }
    const std::string& display() const { return display_; }
    // Runs xdotool with the arguments and returns what it printed (trimmed); empty on failure.
    std::string xdotool(const std::vector<std::string>& args) const;
    // The X window of a mapped top-level window whose title is `name`, waited for up to `ms`.
    std::string waitForWindow(const std::string& name, int ms) const;
    // Saves the whole screen as a PNG (the window manager's frames included).
    bool screenshot(const std::string& pngPath) const;

    // The programs a session needs; empty when all are there, else the first one missing.
    static std::string missingTool();

private:
    std::string display_;
    std::vector<Child> children_;
};

}  // namespace lumo::test
