#pragma once
// A fresh folder under the system's temporary directory, removed with everything in it.

#include <filesystem>
#include <string>
#include <vector>

namespace lumo::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }
    // The folder's path with a trailing separator, as the data directory is kept.
    std::string dir() const { return path_.string() + "/"; }

private:
    std::filesystem::path path_;
};

std::vector<unsigned char> readFileBytes(const std::filesystem::path& path);
void writeFileBytes(const std::filesystem::path& path, const std::vector<unsigned char>& bytes);

}  // namespace lumo::test
