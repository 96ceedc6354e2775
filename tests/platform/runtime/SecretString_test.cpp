#include <gtest/gtest.h>

#include <string>

#include "platform/runtime/SecretString.h"

namespace {

TEST(SecretString, KeepsItsTextAcrossCopiesGrowthAndWipes) {
    const std::string longText(300, 'x');
    for (const std::string& text : {std::string(), std::string("8 chars!"), std::string("пароль"), longText}) {
        SCOPED_TRACE(text.size());
        TCSecretString s(text.c_str());
        EXPECT_EQ(std::string(s.c_str()), text);
        EXPECT_EQ(s.length(), text.size());
        TCSecretString copy(s);
        s.assign("короче");
        EXPECT_EQ(std::string(copy.c_str()), text);
        EXPECT_TRUE(s == "короче");
        copy = s;
        EXPECT_TRUE(copy == "короче");
        s.assign(longText.c_str(), 5);
        EXPECT_TRUE(s == "xxxxx");
        s.wipe();
        EXPECT_TRUE(s.empty());
        EXPECT_TRUE(s == "");
        s.assign(nullptr);
        EXPECT_TRUE(s.empty());
    }
    unsigned char bytes[4] = {1, 2, 3, 4};
    secretWipe(bytes, sizeof bytes);
    EXPECT_EQ(bytes[0] | bytes[1] | bytes[2] | bytes[3], 0);
}

}  // namespace
