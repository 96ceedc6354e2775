#pragma once
#include <filesystem>
#include <string>

namespace zrxtest {

// A fresh folder under the system temp folder, removed with everything in it
// when the object goes out of scope.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }
    // Path of a name inside the folder.
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Whole content of a file as bytes; empty when it cannot be read.
std::string readFile(const std::string& path);
// Writes bytes to a file, creating or replacing it.
void writeFile(const std::string& path, const std::string& bytes);

// A committed test fixture (tests/fixtures/<name>; ZRX_FIXTURES overrides the folder).
std::string fixturePath(const std::string& name);
// Points HOME, the XDG folders, the Windows-style profile folders and the
// registry (ZRX_REGISTRY) at folders inside `home`, creating them.
void usePrivateFolders(const std::string& home);

}  // namespace zrxtest
