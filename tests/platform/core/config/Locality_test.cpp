#include <gtest/gtest.h>

#include "platform/core/config/Locality.h"

TEST(Locality, CapitalInItsSpellings) {
    for (const char* yes : {"Київ", " м. Київ ", "КИЇВ", "г. Киев", "місто Київ", "Kyiv", "kiev", "м.Київ"})
        EXPECT_TRUE(strIsKiev(yes)) << yes;
    for (const char* no : {"Київська", "Біла Церква", "", "м.", "Київ-2"}) EXPECT_FALSE(strIsKiev(no)) << no;
    EXPECT_FALSE(strIsKiev(nullptr));
}
