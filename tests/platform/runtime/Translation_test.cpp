#include <gtest/gtest.h>

#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Translation.h"
#include "support/TempDir.h"

namespace {
// A table folder with two files per language, as areas ship them.
void writeTables(const zrxtest::TempDir& dir) {
    makeDirectory(dir.file("en").c_str());
    makeDirectory(dir.file("uk").c_str());
    zrxtest::writeFile(dir.file("en/a.txt"),
                       "# comment\n"
                       "Ошибка\tError\n"
                       "Файл '%s' не найден (%d)\tFile '%s' not found (%d)\n"
                       "Код %08X\tCode %x\n"
                       "Неверно %s\tWrong %d\n"
                       "Лишнее %s\tExtra %s %s\n"
                       "Две\\nстроки\tTwo\\nlines\n"
                       "no tab here\n");
    zrxtest::writeFile(dir.file("en/b.txt"), "Сохранить\tSave\r\n");
    zrxtest::writeFile(dir.file("en/skip.dat"), "Ошибка\tNOT READ\n");
    zrxtest::writeFile(dir.file("uk/a.txt"), "Ошибка\tПомилка\n");
}
}  // namespace

TEST(Translation, TablesAndFallback) {
    zrxtest::TempDir dir;
    writeTables(dir);
    zrnSetTranslationDir(dir.str().c_str());

    ASSERT_TRUE(zrnSetLanguage(ZRN_LANG_ENGLISH));
    EXPECT_EQ(zrnTranslateString("Ошибка"), "Error");
    EXPECT_EQ(zrnTranslateString("Сохранить"), "Save");  // second file, CRLF line
    EXPECT_EQ(zrnTranslateString("Файл '%s' не найден (%d)"), "File '%s' not found (%d)");
    EXPECT_EQ(zrnTranslateString("Код %08X"), "Code %x");  // same argument types
    EXPECT_EQ(zrnTranslateString("Две\nстроки"), "Two\nlines");
    EXPECT_EQ(zrnTranslateString("Нет перевода"), "Нет перевода");
    EXPECT_EQ(zrnTranslateString(""), "");
    EXPECT_EQ(zrnFindTranslation("Нет перевода"), nullptr);
    ASSERT_NE(zrnFindTranslation("Ошибка"), nullptr);

    ASSERT_TRUE(zrnSetLanguage(ZRN_LANG_UKRAINIAN));
    EXPECT_EQ(zrnTranslateString("Ошибка"), "Помилка");
    EXPECT_EQ(zrnTranslateString("Сохранить"), "Сохранить");
    ASSERT_TRUE(zrnSetLanguage(ZRN_LANG_RUSSIAN));
    EXPECT_EQ(zrnTranslateString("Ошибка"), "Ошибка");
    EXPECT_EQ(getCurrentLanguageID(), ZRN_LANG_RUSSIAN);
}

TEST(Translation, PrintfMismatchKeepsTheSource) {
    zrxtest::TempDir dir;
    writeTables(dir);
    zrnSetTranslationDir(dir.str().c_str());
    ASSERT_TRUE(zrnSetLanguage(ZRN_LANG_ENGLISH));
    EXPECT_EQ(zrnTranslateString("Неверно %s"), "Неверно %s");
    EXPECT_EQ(zrnTranslateString("Лишнее %s"), "Лишнее %s");

    struct Case { const char* a; const char* b; bool same; };
    const Case cases[] = {
        {"%s и %d", "%s and %d", true},
        {"%5.2f%%", "%f %%", true},
        {"%ld", "%d", false},
        {"%s %d", "%d %s", false},
        {"%*d", "%d", false},
        {"%n", "%n", false},
        {"%1$s", "%1$s", false},
        {"100%", "100%", false},  // cut-off conversion
        {"нет", "none", true},
    };
    for (const auto& c : cases) EXPECT_EQ(zrnSameConversions(c.a, c.b), c.same) << c.a << " / " << c.b;
    EXPECT_FALSE(zrnAddTranslation("Путь %s", "Path"));
    EXPECT_TRUE(zrnAddTranslation("Путь %s", "Path %s"));
    EXPECT_EQ(zrnTranslateString("Путь %s"), "Path %s");
}

TEST(Translation, LanguageListAndStoredChoice) {
    zrxtest::TempDir dir;
    writeTables(dir);
    zrnSetTranslationDir(dir.str().c_str());
    TCStringList langs;
    ASSERT_TRUE(getSupportedLanguages(langs));
    ASSERT_EQ(langs.count(), 3);
    EXPECT_EQ(langs[0].object(), static_cast<uintptr_t>(ZRN_LANG_RUSSIAN));
    EXPECT_EQ(langs.find("English"), 1);

    zrxtest::TempDir other;
    zrnSetTranslationDir(other.str().c_str());
    ASSERT_TRUE(getSupportedLanguages(langs));
    EXPECT_EQ(langs.count(), 1);  // only the source language without tables

    EXPECT_FALSE(storeLanguageID(77));
    ASSERT_TRUE(storeLanguageID(ZRN_LANG_UKRAINIAN));
    EXPECT_EQ(getLanguageIdByCode("UK"), ZRN_LANG_UKRAINIAN);
    EXPECT_EQ(getLanguageCode(ZRN_LANG_ENGLISH), "en");
}

TEST(Translation, StoredChoiceIsUsedAtStart) {
    ASSERT_TRUE(storeLanguageID(ZRN_LANG_ENGLISH));
    zrxtest::TempDir dir;
    writeTables(dir);
    zrnSetTranslationDir(dir.str().c_str());
    // First use in this process reads the stored choice.
    EXPECT_EQ(zrnTranslateString("Ошибка"), "Error");
    EXPECT_EQ(getCurrentLanguageID(), ZRN_LANG_ENGLISH);
    EXPECT_EQ(trAddFNLangSuffix("/a/printKeys.xcfg"), "/a/printKeys_en.xcfg");
}

TEST(Translation, NoChoiceMeansSourceTexts) {
    EXPECT_EQ(getCurrentLanguageID(), -1);
    EXPECT_EQ(zrnTranslateString("Ошибка"), "Ошибка");
    EXPECT_EQ(trAddFNLangSuffix("printKeys.xcfg"), "printKeys.xcfg");
}

TEST(Translation, ShippedTablesKeepConversions) {
    // Every shipped table line must survive the printf rule.
    const char* src = ZRX_SOURCE_DIR;
    for (const char* lang : {"en", "uk"}) {
        const TCString folder = makePathName(makePathName(src, "app/data/lang").c_str(), lang);
        ASSERT_TRUE(dirExists(folder.c_str())) << folder.c_str();
    }
    zrnSetTranslationDir(makePathName(src, "app/data/lang").c_str());
    for (int id : {ZRN_LANG_ENGLISH, ZRN_LANG_UKRAINIAN}) {
        ASSERT_TRUE(zrnSetLanguage(id));
        EXPECT_NE(zrnTranslateString("Запуск программы %s"), "Запуск программы %s");
        EXPECT_NE(zrnTranslateString("Код ошибки 0x%08X"), "Код ошибки 0x%08X");
    }
}
