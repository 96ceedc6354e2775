#include <gtest/gtest.h>
#include "support/TempDir.h"
TEST(Skeleton, TempDirIsCreatedAndRemoved) {
    std::string p;
    {
        zrxtest::TempDir d;
        p = d.str();
        zrxtest::writeFile(d.file("a"), "x");
        EXPECT_EQ(zrxtest::readFile(d.file("a")), "x");
    }
    EXPECT_FALSE(std::filesystem::exists(p));
}
