// Test main: every test process gets its own home, data and config folders,
// so no test reads or writes the developer's real settings, registry or logs.
// Widgets draw on Qt's offscreen platform, and the Qt application registers
// DejaVu Sans and uses it by default, so text metrics are the same on every
// machine with fonts-dejavu-core.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/TempDir.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    zrxtest::TempDir home;
    const std::string h = home.str();
    std::filesystem::create_directories(h + "/config");
    std::filesystem::create_directories(h + "/data");
    setenv("HOME", h.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (h + "/config").c_str(), 1);
    setenv("XDG_DATA_HOME", (h + "/data").c_str(), 1);
    setenv("USERPROFILE", h.c_str(), 1);
    setenv("ALLUSERSPROFILE", (h + "/data").c_str(), 1);
    setenv("PUBLIC", (h + "/data").c_str(), 1);
    setenv("ZRX_REGISTRY", (h + "/config/registry.sqlite").c_str(), 1);
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const char* dejavu = "/usr/share/fonts/truetype/dejavu";
    if (std::filesystem::exists(dejavu)) {
        setenv("ZRX_FONT_DIR", dejavu, 1);
        setenv("ZRX_DEFAULT_FONT", "DejaVu Sans", 1);
    }
    return RUN_ALL_TESTS();
}
