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
    zrxtest::usePrivateFolders(home.str());
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const char* dejavu = "/usr/share/fonts/truetype/dejavu";
    if (std::filesystem::exists(dejavu)) {
        setenv("ZRX_FONT_DIR", dejavu, 1);
        setenv("ZRX_DEFAULT_FONT", "DejaVu Sans", 1);
    }
    return RUN_ALL_TESTS();
}
