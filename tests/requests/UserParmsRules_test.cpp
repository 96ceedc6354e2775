// The owner-parameter dialog's field rules as tables.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "requests/UserParmsRules.h"

using namespace userparms;

namespace {

TEST(UserParmsRules, AcceptNeedsTrimmedMinimumAndEqualConfirmation) {
    struct Case {
        bool shown;
        const char* password;
        bool confirmShown;
        const char* confirm;
        bool enabled;
    } cases[] = {
        {false, "", true, "x", true},  // no password group: always
        {true, "12345678", true, "12345678", true},
        {true, "1234567", true, "1234567", false},          // short
        {true, "  1234567  ", true, "  1234567  ", false},  // blanks do not count
        {true, "пароль12", true, "пароль12", true},         // characters, not bytes
        {true, "12345678 ", true, "12345678", false},       // confirmation compared as typed
        {true, "12345678", false, "", true},                // device: the minimum alone
        {true, "", false, "", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.enabled, acceptEnabled(c.shown, c.password, c.confirmShown, c.confirm, 8))
            << c.password << "|" << c.confirm;
}

TEST(UserParmsRules, ModesBecomeMakerFlags) {
    struct Case {
        unsigned before;
        bool shown, start, sign, ka;
        unsigned after;
        bool chosen;
    } cases[] = {
        {0x8, true, true, true, true, 0x708, true},
        {0x708, true, false, true, false, 0x108, true},
        {0x700, true, true, false, false, 0x400, false},  // a start certificate alone is no key
        {0x300, true, false, false, false, 0x0, false},
        {0x600, false, false, false, false, 0x700, true},  // hidden boxes: signature keys, the rest kept
    };
    for (const Case& c : cases) {
        const ModeFlags m = applyModes(c.before, c.shown, c.start, c.sign, c.ka);
        EXPECT_EQ(c.after, m.flags) << std::hex << c.before;
        EXPECT_EQ(c.chosen, m.keysChosen) << std::hex << c.before;
    }
}

TEST(UserParmsRules, DestinationTextsAndAdministratorsContainer) {
    EXPECT_EQ(PathRefusal::Empty, checkPathText("", false));
    EXPECT_EQ(PathRefusal::Empty, checkPathText("   ", true));
    EXPECT_EQ(PathRefusal::NoMedium, checkPathText("$:", false));
    EXPECT_EQ(PathRefusal::NoMedium, checkPathText("A", false));
    EXPECT_EQ(PathRefusal::None, checkPathText("ab", true));  // a file of two letters is a file
    EXPECT_EQ(PathRefusal::None, checkPathText("$:tok#1", false));
    EXPECT_EQ(PathRefusal::None, checkPathText("/tmp/k.pfx", true));

    EXPECT_TRUE(isAdminContainer("/home/A/Адмін.pfx", "/home/a/адмІН.PFX"));
    EXPECT_FALSE(isAdminContainer("/home/a/user.pfx", "/home/a/admin.pfx"));
    EXPECT_FALSE(isAdminContainer("/home/a/user.pfx", ""));  // none configured
}

TEST(UserParmsRules, MediaLabels) {
    EXPECT_STREQ("Пароль", passwordLabelFor(0));
    EXPECT_STREQ("PIN-код носителя", passwordLabelFor(36));
    EXPECT_STREQ("PIN-код носителя", passwordLabelFor(4));
    EXPECT_TRUE(confirmShownFor(0));
    EXPECT_TRUE(confirmShownFor(36));
    EXPECT_FALSE(confirmShownFor(4));
}

TEST(UserParmsRules, EmailChecksCharacters) {
    struct Case {
        const char* value;
        EmailVerdict verdict;
        const char* bad;
    } cases[] = {
        {"", EmailVerdict::Ok, ""},
        {"   ", EmailVerdict::Ok, ""},
        {"a@b", EmailVerdict::Ok, ""},
        {"ivan.petrenko@example.ua", EmailVerdict::Ok, ""},
        {"@b", EmailVerdict::Malformed, ""},
        {"@ab", EmailVerdict::Malformed, ""},
        {"ab@", EmailVerdict::Malformed, ""},
        {"a@b@c", EmailVerdict::Malformed, ""},
        {"abc", EmailVerdict::Malformed, ""},
        {"іvan@example.ua", EmailVerdict::BadChar, "і"},  // Ukrainian letter
        {"ivan@пошта.укр", EmailVerdict::BadChar, "п"},
        {"ivan😀@x.ua", EmailVerdict::BadChar, "😀"},  // any script, shown whole
        {"ivan{}@x.ua", EmailVerdict::BadChar, "{"},
    };
    for (const Case& c : cases) {
        std::string bad;
        EXPECT_EQ(c.verdict, checkEmailText(c.value, &bad)) << c.value;
        EXPECT_EQ(c.bad, bad) << c.value;
    }
}

TEST(UserParmsRules, LengthAndRequiredCaptions) {
    EXPECT_TRUE(lengthFits("1234567890", 10));
    EXPECT_TRUE(lengthFits(" 1234567890 ", 10));
    EXPECT_FALSE(lengthFits("12345678901", 10));
    EXPECT_TRUE(lengthFits("ЇЇЇЇЇЇЇЇЇЇ", 10));  // ten letters, twenty bytes

    EXPECT_EQ("Фамилия", requiredFieldCaption("Фамилия*:"));
    EXPECT_EQ("Фамилия", requiredFieldCaption("Фамилия:"));
    EXPECT_EQ("Ім'я", requiredFieldCaption("Ім'я*"));  // the last character goes, whatever it is
    EXPECT_EQ("", requiredFieldCaption(""));
    EXPECT_EQ("", requiredFieldCaption(":"));
    EXPECT_EQ("", requiredFieldCaption("*:"));
    EXPECT_EQ("Адрес,Телефон,fax", alternativesCaption("Адрес", {"Телефон", "fax"}));
}

TEST(UserParmsRules, CommonNameComposeAndSplit) {
    EXPECT_EQ("Петренко Іван Петрович", composeCommonName("Петренко", "Іван Петрович"));
    struct Case {
        const char* cn;
        const char* sn;
        const char* gn;
    } cases[] = {{"Петренко Іван", "Петренко", "Іван"},
                 {"Петренко Іван Петрович", "Петренко", "Іван Петрович"},
                 {"Петренко", "Петренко", ""},
                 {"Петренко ", "Петренко", ""}};
    for (const Case& c : cases) {
        std::string sn = "old", gn = "old";
        splitCommonName(c.cn, sn, gn);
        EXPECT_EQ(c.sn, sn) << c.cn;
        EXPECT_EQ(c.gn, gn) << c.cn;
    }
}

TEST(UserParmsRules, ServiceSerialNumbers) {
    struct Case {
        int profile;
        const char* in;
        const char* serial;
        const char* label;
    } cases[] = {
        {21, "AB-123456", "AB-123256", "OCSP-123256"},
        {20, "AB-123456", "AB-123156", "TSA-123156"},
        {22, "XY-9999", "XY-9993", "CMP-9993"},
        {21, "AB-123", "AB-123", "OCSP-123"},        // fewer than four after the dash
        {21, "A-B-1234", "A-B-1232", "OCSPB-1232"},  // the last dash counts
        {21, "AB", "AB", ""},                        // too short for a label
        {1, "AB-123456", "AB-123456", ""},           // other profiles change nothing
    };
    for (const Case& c : cases) {
        const std::string serial = serialWithProfileDigit(c.profile, c.in);
        EXPECT_EQ(c.serial, serial) << c.in;
        EXPECT_EQ(c.label, serviceTokenLabel(c.profile, serial)) << c.in;
    }
    EXPECT_EQ("OCSP-123256.pfx", serviceTokenLabel(21, "AB-123256") + ".pfx");
}

TEST(UserParmsRules, NameFilterAndIdentityFields) {
    for (char32_t c : {U'A', U'z', U'Ж', U'я', U'Ё', U'ї', U'Ґ', U'є', U' ', U'"', U'\'', U'-', U'.', char32_t(8),
                       char32_t(3), char32_t(22), char32_t(24)})
        EXPECT_TRUE(nameKeyAllowed(c)) << int(c);
    for (char32_t c : {U'1', U'@', U'_', U'ў', U'ß', U'😀', char32_t(13), U'ѐ'})
        EXPECT_FALSE(nameKeyAllowed(c)) << int(c);
    EXPECT_EQ("Петренко-Іван O'Neil", filterNameText("Петренко-Іван2 O'Neil\t😀"));

    EXPECT_EQ("№ ID-карты*", idCardLabel(true));
    EXPECT_EQ("№ ID-карты", idCardLabel(false));
    EXPECT_TRUE(isCapitalisedField("o"));
    EXPECT_TRUE(isCapitalisedField("Title"));
    EXPECT_FALSE(isCapitalisedField("cn"));
    EXPECT_EQ("Їжак", capitaliseFirst("їжак"));
    EXPECT_EQ("", capitaliseFirst(""));
    EXPECT_EQ("SHCHO123", drfouFromDocument("що123"));
}

}  // namespace
