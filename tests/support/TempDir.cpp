#include "support/TempDir.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace zrxtest {

TempDir::TempDir() {
    std::random_device rd;
    auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = base / ("zrx-test-" + std::to_string(rd()) + std::to_string(rd()));
        std::error_code ec;
        if (std::filesystem::create_directory(candidate, ec)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string fixturePath(const std::string& name) {
    const char* dir = std::getenv("ZRX_FIXTURES");
    std::string base = dir ? dir : ZRX_FIXTURES_DIR;
    return base + "/" + name;
}

void usePrivateFolders(const std::string& h) {
    std::filesystem::create_directories(h + "/config");
    std::filesystem::create_directories(h + "/data");
    setenv("HOME", h.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (h + "/config").c_str(), 1);
    setenv("XDG_DATA_HOME", (h + "/data").c_str(), 1);
    setenv("USERPROFILE", h.c_str(), 1);
    setenv("ALLUSERSPROFILE", (h + "/data").c_str(), 1);
    setenv("PUBLIC", (h + "/data").c_str(), 1);
    setenv("ZRX_REGISTRY", (h + "/config/registry.sqlite").c_str(), 1);
}

}  // namespace zrxtest
