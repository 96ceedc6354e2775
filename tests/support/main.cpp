// Test main: every test process gets its own home, data and config folders,
// so no test reads or writes the developer's real settings, registry or logs.
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
    return RUN_ALL_TESTS();
}
