#pragma once
// The things that can stand where a program's file should be and are no data file: a folder, a
// FIFO, symbolic links (to nowhere, to itself, to a file outside, to a device), a device node
// and a file without permission. Each is made at a given path; one that cannot be made here
// (a device node needs root; root reads a file without permission anyway) says so and is
// passed over.

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace lumo::test {

struct FileKindCase {
    const char* what;
    // Makes the thing at `path` (nothing there before); false when it cannot be made here.
    std::function<bool(const std::filesystem::path& path)> make;
};

// `outside` is a regular file out of the installation that a followed link would reach; its
// bytes must stay.
inline std::vector<FileKindCase> unreadableFileKinds(const std::filesystem::path& outside) {
    namespace fs = std::filesystem;
    return {
        {"a folder", [](const fs::path& p) { return fs::create_directory(p); }},
        {"a FIFO", [](const fs::path& p) { return ::mkfifo(p.c_str(), 0644) == 0; }},
        {"a link to nowhere", [](const fs::path& p) { fs::create_symlink("/nonexistent/lumo-test", p); return true; }},
        {"a link loop", [](const fs::path& p) { fs::create_symlink(p.filename(), p); return true; }},
        {"a link to a file outside", [outside](const fs::path& p) { fs::create_symlink(outside, p); return true; }},
        {"a link to /dev/zero", [](const fs::path& p) { fs::create_symlink("/dev/zero", p); return true; }},
        {"a device node", [](const fs::path& p) { return ::mknod(p.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0; }},
        {"no permission",
         [](const fs::path& p) {
             if (::geteuid() == 0) return false;  // root reads it all the same
             std::ofstream(p) << std::string(5000, 'x');
             return ::chmod(p.c_str(), 0) == 0;
         }},
    };
}

}  // namespace lumo::test
