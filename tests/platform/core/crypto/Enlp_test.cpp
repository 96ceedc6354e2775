// enlp: stored forms turn back to the clear text under the same key only.
#include <gtest/gtest.h>

#include <string>

#include "platform/core/crypto/Enlp.h"

TEST(Enlp, RoundTripsAndDependsOnTheKey) {
    const std::string values[] = {"", "user", "Користувач Іван", "пароль с пробелом ", std::string(200, 'x')};
    for (const char* key : {"proxy.example:3128", "Прокси", ""}) {
        for (const std::string& v : values) {
            TCString stored, back;
            ASSERT_TRUE(enlp(stored, key, v.c_str(), 1));
            if (!v.empty()) {
                EXPECT_NE(stored, v.c_str());
            }
            ASSERT_TRUE(enlp(back, key, stored.c_str(), 0));
            EXPECT_EQ(back, v.c_str());
        }
    }
    TCString stored, other;
    enlp(stored, "key-one", "secret", 1);
    enlp(other, "key-two", stored.c_str(), 0);
    EXPECT_NE(other, "secret");
    // A stored form that is no Base64 reads back as nothing.
    EXPECT_FALSE(enlp(other, "k", "%%%not base64", 0));
    EXPECT_TRUE(other.isEmpty());
}
