#pragma once
// Run-time translation of the program's Russian source texts.
//
// Tables are text files in a folder per language: <dir>/<code>/*.txt, every
// file of the folder is read (so each area ships its own table file). The
// folder is "lang" beside the program, or $ZRX_LANG_DIR. A table line is
//     source<TAB>translation
// with the escapes \n \t \\ in both parts; blank lines and lines starting
// with '#' are skipped. Russian needs no table.
// A translation whose printf conversions differ from its source's is ignored.
#include <cstdint>
#include <string>

#include "platform/runtime/TCString.h"
#include "platform/runtime/TCStringList.h"

// Language ids: 1 Russian (the source language), 2 English, 3 Ukrainian.
constexpr int ZRN_LANG_RUSSIAN = 1;
constexpr int ZRN_LANG_ENGLISH = 2;
constexpr int ZRN_LANG_UKRAINIAN = 3;

// One entry of the current table: the translation and a cached wide form.
class TCTranslationEntry {
public:
    TCString source;
    TCString text;
    const std::u16string* wideText() const { return hasWide_ ? &wide_ : nullptr; }
    void assignWideText(const std::u16string& w) {
        wide_ = w;
        hasWide_ = true;
    }

private:
    std::u16string wide_;
    bool hasWide_ = false;
};

// The current language's text, or the source itself when there is none.
TCString zrnTranslateString(const char* source);
// The shorthand the code translates its own texts with.
inline TCString tr(const char* source) { return zrnTranslateString(source); }
// The entry of the current table, null when the text has no translation.
TCTranslationEntry* zrnFindTranslation(const char* source);

// Languages: names with their ids attached (TCString::object). False when
// none can be listed.
bool getSupportedLanguages(TCStringList& out);
// The chosen language id, -1 when none was chosen.
int getCurrentLanguageID();
// Stores the choice for the next start (the running table is unchanged);
// false for an unknown id or when it cannot be stored.
bool storeLanguageID(int id);
// Short code ("ru", "en", "uk") of an id, empty for an unknown id.
TCString getLanguageCode(int id);
int getLanguageIdByCode(const char* code);
// Adds the current interface language's suffix to a file name
// ("printKeys.xcfg" -> "printKeys_en.xcfg"); unchanged for Russian.
TCString trAddFNLangSuffix(const char* fileName);

// Set-up: the folder of the language folders (null: the default), and the
// language in use now (loads its table; 1 or unknown: no translation).
void zrnSetTranslationDir(const char* dir);
TCString zrnGetTranslationDir();
bool zrnSetLanguage(int id);
// Loads the stored choice (or $ZRX_LANGUAGE, a code or an id); done on first use.
void zrnInitTranslation();
// Back to the state before first use: no table, no language chosen, the
// default folder; the next use reads the stored choice again.
void zrnResetTranslation();
// Adds one entry to the current table (tests, generated texts); false when
// its printf conversions differ from the source's.
bool zrnAddTranslation(const char* source, const char* text);
// True when the printf conversions of both texts are the same, in order.
bool zrnSameConversions(const char* a, const char* b);
