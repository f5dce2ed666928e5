// lumo-hw: the desktop control panel.
#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "build_version.h"
#include "comm/wire_trace.h"
#include "ui/qt/panel.h"

namespace {

bool haveDisplay() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform != nullptr && *platform != '\0') return true;
    return std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    std::string workdir;
    for (int i = 1; i < argc; ++i) {
        if ((std::strcmp(argv[i], "-C") == 0 || std::strcmp(argv[i], "--workdir") == 0) && i + 1 < argc) {
            workdir = argv[++i];
        } else if (std::strcmp(argv[i], "--trace") == 0 && i + 1 < argc) {
            // Every frame on the lines goes to this file: what a technician sends when a device
            // misbehaves.
            if (!lumo::startWireTrace(argv[++i])) {
                std::fprintf(stderr, "lumo-hw: the trace file %s cannot be written\n", argv[i]);
                return 1;
            }
        } else if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("lumo-hw %s (%s)\n", LUMO_VERSION, LUMO_COMMIT);
            return 0;
        } else if (std::strcmp(argv[i], "--help") == 0) {
            std::printf("usage: lumo-hw [-C DIR] [--trace FILE] | lumo-hw --version\n"
                        "  -C DIR        working directory with config.dat\n"
                        "  --trace FILE  append every frame sent and received on the lines to FILE\n");
            return 0;
        }
    }
    if (!haveDisplay()) {
        std::fprintf(stderr, "lumo-hw: no display to show the window on (set DISPLAY, or QT_QPA_PLATFORM)\n");
        return 1;
    }
    QApplication app(argc, argv);
    lumo::gui::installCzechTranslation();
    return lumo::gui::runPanel(workdir);
}
