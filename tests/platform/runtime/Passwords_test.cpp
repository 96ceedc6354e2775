#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "platform/runtime/Passwords.h"

TEST(Passwords, PolicyBoundsAndTestPassword) {
    setPassMinMax(8, 32, "40719385");
    int mn = 0, mx = 0;
    EXPECT_STREQ(getPassMinMax(mn, mx), "40719385");
    EXPECT_EQ(mn, 8);
    EXPECT_EQ(mx, 32);
    setTestPassword(nullptr);
    EXPECT_STREQ(getPassMinMax(nullptr, nullptr), "");
    setTestPassword("x");
    EXPECT_STREQ(getPassMinMax(nullptr, &mx), "x");
}

TEST(Passwords, CopyIntoCallersBuffer) {
    setPassMinMax(8, 32, nullptr);
    char buf[129];
    EXPECT_EQ(checkPasswLen8("пароль12", buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "пароль12");
    EXPECT_EQ(checkPasswLen8("short", buf, sizeof buf), -1);
    EXPECT_STREQ(buf, "short");
    // Longer than the maximum: cut at 32 characters, not bytes.
    std::string longPw;
    for (int i = 0; i < 40; ++i) longPw += "я";
    EXPECT_EQ(checkPasswLen8(longPw.c_str(), buf, sizeof buf), 0);
    EXPECT_EQ(std::strlen(buf), 64u);
    // A small buffer is never overrun and never ends in half a character.
    char small[10];
    checkPasswLen8("ааааааааааа", small, sizeof small);
    EXPECT_STREQ(small, "аааа");
    EXPECT_EQ(checkPasswLen8(nullptr, buf, sizeof buf), -1);
    EXPECT_EQ(checkPasswLen8("12345678", nullptr, 0), -1);
}

TEST(Passwords, QualityTest) {
    setPassMinMax(8, 32, nullptr);
    struct Case {
        const char* pw;
        bool ok;
    };
    const Case cases[] = {
        {"Qw7!", false},              // below the minimum length
        {"aaaaaaaaaaaaaaaa", false},  // one repeated character
        {"12345678901234", false},    // a plain sequence
        {"password", false},
        {"Tr0ub4dor&3x", true},      // four classes, 12 characters
        {"Пароль-Надёжный7", true},  // Cyrillic letters count by case
        {"correcthorsebatterystaple", false},
        {"CorrectHorse42Battery", true},
    };
    for (const auto& c : cases) EXPECT_EQ(testPassword(c.pw, 6), c.ok) << c.pw << " score " << passwordScore(c.pw);
    EXPECT_FALSE(testPassword(nullptr, 0));
}

TEST(Passwords, KeyboardLayoutName) {
    setenv("ZRX_KB_LAYOUT", "uk_UA.UTF-8", 1);
    EXPECT_EQ(getKBLayoutNameSN3(), "ukr");
    EXPECT_EQ(getKBLayoutName(), "Українська");
    setenv("ZRX_KB_LAYOUT", "ru", 1);
    EXPECT_EQ(getKBLayoutNameSN3(), "rus");
    setenv("ZRX_KB_LAYOUT", "C", 1);
    EXPECT_EQ(getKBLayoutNameSN3(), "eng");
    setKBLayoutSource([] { return TCString("en-US"); });
    EXPECT_EQ(getKBLayoutNameSN3(), "eng");
    setKBLayoutSource(nullptr);
}
