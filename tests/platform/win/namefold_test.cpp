#include "platform/win/NameFold.h"

#include <gtest/gtest.h>

using zrx::win::foldName;
using zrx::win::sameName;

TEST(NameFold, FoldsLatinAndCyrillicLetters) {
    struct Case {
        const char* a;
        const char* b;
        bool same;
    } cases[] = {
        {"Software\\Zoren", "SOFTWARE\\zoren", true},
        {"ПРИВЕТ Ёж", "привет ёж", true},
        {"ҐЄЇІЎ", "ґєїіў", true},  // Ukrainian and Belarusian letters
        {"ÀÉÎÕÜ", "àéîõü", true},
        {"ŁŚŻ", "łśż", true},
        {"ΑΒΓ", "αβγ", true},
        {"Ключ", "Ключи", false},
        {"e", "е", false},               // Latin e and Cyrillic е stay different
        {"\xFF\xC3", "\xFF\xC3", true},  // stray bytes pass unchanged
    };
    for (const Case& c : cases) EXPECT_EQ(sameName(c.a, c.b), c.same) << c.a << " / " << c.b;
    EXPECT_EQ(foldName("ЖУК-Zz"), "жук-zz");
}
