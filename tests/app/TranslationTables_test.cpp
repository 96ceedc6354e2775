// Every text the program hands to translation has its English and Ukrainian
// entries: the Russian texts of the sources (windows, messages, log lines of
// the program and its libraries, the framework's own captions), the captions
// of the shipped configuration, and texts composed at run time. The tables
// themselves agree with each other: one translation per text, printf
// conversions kept, English without Cyrillic and Ukrainian without letters
// only Russian has.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "dialogs/AppServices.h"
#include "views/CertFixture.h"
#include "app/CommandLine.h"
#include "platform/core/x509/ObjectHtml.h"
#include "platform/core/x509/ZrX509.h"
#include "platform/runtime/Translation.h"
#include "platform/runtime/Utf16.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;

const fs::path kSource = ZRX_SOURCE_DIR;
const fs::path kTables = kSource / "app/data/lang";

// Texts in the sources that are data, not interface text, and why.
const std::set<std::string>& dataTexts() {
    static const std::set<std::string> texts = [] {
        std::set<std::string> t = {
            // Words read from values (yes and no in Ukrainian), never shown.
            "так",
            "ні",
            // The locality rule recognises the capital and its prefixes as written.
            "Київ",
            "Киев",
            "г.",
            "м.",
            "город ",
            "місто ",
            // A sample measured for a row's height.
            "Йу",
            // A key name kept as it always was (its last letter is Cyrillic).
            "Ctrl+С",
            // Languages and layouts are named in their own tongue.
            "Русский",
            "Українська",
        };
        // The regions of the owner's address: official names written into
        // certificates as they are.
        for (int i = 0; i < regionNameCount(); ++i) t.insert(regionName(i));
        return t;
    }();
    return texts;
}

bool hasCyrillic(const std::string& s) {
    const std::u16string w = zrx_utf8::toUtf16(s);
    return std::any_of(w.begin(), w.end(), [](char16_t c) { return c >= 0x400 && c <= 0x4FF; });
}

// Letters of Russian that Ukrainian does not have.
bool hasRussianOnlyLetters(const std::string& s) {
    for (const char* letter : {"ы", "Ы", "э", "Э", "ъ", "Ъ", "ё", "Ё"})
        if (s.find(letter) != std::string::npos) return true;
    return false;
}

// One string literal, adjacent literals joined, escapes resolved; i ends
// after it. Raw strings are read as they are.
std::string literalAt(const std::string& code, size_t& i) {
    std::string out;
    while (i < code.size() && code[i] == '"') {
        for (++i; i < code.size() && code[i] != '"'; ++i) {
            if (code[i] != '\\' || i + 1 >= code.size()) {
                out += code[i];
                continue;
            }
            switch (const char e = code[++i]) {
            case 'n': out += '\n'; break;
            case 't': out += '\t'; break;
            case 'r': out += '\r'; break;
            default: out += e; break;  // \" \\ \'
            }
        }
        ++i;
        size_t j = i;
        while (j < code.size() && std::isspace(static_cast<unsigned char>(code[j]))) ++j;
        if (j < code.size() && code[j] == '"') i = j;
    }
    return out;
}

struct Found {
    std::string text, where;
};

// The Cyrillic string literals of a source file, comments and character
// literals skipped.
void literalsOf(const fs::path& file, std::vector<Found>& out) {
    const std::string code = zrxtest::readFile(file.string());
    const std::string name = fs::relative(file, kSource).string();
    for (size_t i = 0; i < code.size();) {
        if (code.compare(i, 2, "//") == 0) {
            i = code.find('\n', i);
            if (i == std::string::npos) break;
            continue;
        }
        if (code.compare(i, 2, "/*") == 0) {
            i = code.find("*/", i);
            if (i == std::string::npos) break;
            i += 2;
            continue;
        }
        if (code[i] == '\'') {
            for (++i; i < code.size() && code[i] != '\''; ++i)
                if (code[i] == '\\') ++i;
            ++i;
            continue;
        }
        if (code[i] == 'R' && code.compare(i, 2, "R\"") == 0) {
            const size_t open = code.find('(', i);
            const std::string end = ")" + code.substr(i + 2, open - i - 2) + "\"";
            const size_t close = code.find(end, open);
            const std::string text = code.substr(open + 1, close - open - 1);
            if (hasCyrillic(text)) out.push_back({text, name});
            i = close + end.size();
            continue;
        }
        if (code[i] == '"') {
            const size_t at = i;
            std::string text = literalAt(code, i);
            // The forms' translation drops carriage returns before a line feed.
            for (size_t cr; (cr = text.find("\r\n")) != std::string::npos;) text.erase(cr, 1);
            if (hasCyrillic(text)) {
                const int line = int(std::count(code.begin(), code.begin() + std::ptrdiff_t(at), '\n')) + 1;
                out.push_back({text, name + ":" + std::to_string(line)});
            }
            continue;
        }
        ++i;
    }
}

// The usage text is put together from several literals and looked up whole.
bool partOfTheUsage(const std::string& text) { return commandLineUsageText().str().find(text) != std::string::npos; }

// Every text of the program's sources that reaches translation.
std::vector<Found> sourceTexts() {
    std::vector<Found> all;
    for (const char* folder :
         {"app", "components", "platform", "dialogs", "views", "locations", "requests", "jCmp", "update", "html"}) {
        for (const auto& e : fs::recursive_directory_iterator(kSource / folder)) {
            const std::string ext = e.path().extension().string();
            if (!e.is_regular_file() || (ext != ".cpp" && ext != ".h")) continue;
            // The romanisation table: letters, not texts.
            if (e.path().filename() == "Translit.cpp") continue;
            literalsOf(e.path(), all);
        }
    }
    std::vector<Found> texts;
    for (Found& f : all)
        if (!dataTexts().count(f.text) && !partOfTheUsage(f.text)) texts.push_back(std::move(f));
    texts.push_back({commandLineUsageText().str(), "app/CommandLine.cpp (the usage text)"});
    return texts;
}

// The captions of the shipped configuration: profiles, flag values and the
// extensions' formats ("name|Caption:values", ";" between formats).
std::vector<Found> configurationTexts() {
    std::vector<Found> texts;
    static const std::regex caption(R"re(caption="([^"]*)")re");
    static const std::regex format(R"re((?:format|val)="([^"]*\|[^"]*)")re");
    for (const auto& e : fs::directory_iterator(kSource / "app/data/xcfg")) {
        const std::string name = e.path().filename().string();
        // Print descriptions ship one file per language.
        if (name.rfind("printKeys", 0) == 0) continue;
        const std::string xml = zrxtest::readFile(e.path().string());
        for (auto m = std::sregex_iterator(xml.begin(), xml.end(), caption); m != std::sregex_iterator(); ++m)
            if (hasCyrillic((*m)[1])) texts.push_back({(*m)[1], "app/data/xcfg/" + name});
        for (auto m = std::sregex_iterator(xml.begin(), xml.end(), format); m != std::sregex_iterator(); ++m) {
            const std::string formats = (*m)[1];
            for (size_t start = 0; start <= formats.size();) {
                size_t end = formats.find(';', start);
                if (end == std::string::npos) end = formats.size();
                const std::string one = formats.substr(start, end - start);
                const size_t bar = one.find('|'), colon = one.find(':', bar);
                if (bar != std::string::npos && colon != std::string::npos) {
                    const std::string text = one.substr(bar + 1, colon - bar - 1);
                    if (hasCyrillic(text)) texts.push_back({text, "app/data/xcfg/" + name + " (format)"});
                }
                start = end + 1;
            }
        }
    }
    return texts;
}

struct TableLine {
    std::string translation, where;
};

std::string unescape(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            const char n = s[++i];
            out += n == 'n' ? '\n' : n == 't' ? '\t' : n == 'r' ? '\r' : n;
            continue;
        }
        out += s[i];
    }
    return out;
}

// The lines of a language's tables, by source text (every line kept).
std::multimap<std::string, TableLine> tableLines(const char* language) {
    std::multimap<std::string, TableLine> lines;
    for (const auto& e : fs::directory_iterator(kTables / language)) {
        if (e.path().extension() != ".txt") continue;
        const std::string text = zrxtest::readFile(e.path().string());
        int number = 0;
        for (size_t start = 0; start < text.size();) {
            size_t end = text.find('\n', start);
            if (end == std::string::npos) end = text.size();
            std::string line = text.substr(start, end - start);
            start = end + 1;
            ++number;
            if (!line.empty() && line.back() == '\r') line.pop_back();
            const size_t tab = line.find('\t');
            if (line.empty() || line[0] == '#' || tab == std::string::npos || tab == 0) continue;
            lines.insert(
                {unescape(line.substr(0, tab)),
                 {unescape(line.substr(tab + 1)), e.path().filename().string() + ":" + std::to_string(number)}});
        }
    }
    return lines;
}

std::string withoutTrailingBlanks(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

class TranslationTables : public ::testing::Test {
protected:
    void TearDown() override { zrnResetTranslation(); }
};

}  // namespace

TEST_F(TranslationTables, EveryTextHandedToTranslationHasItsEntries) {
    std::map<std::string, std::string> texts;  // text -> where
    for (const auto& list : {sourceTexts(), configurationTexts()})
        for (const Found& f : list) {
            std::string& where = texts[f.text];
            if (where.empty()) where = f.where;
        }
    // The walk finds what it looks for (a broken walk would pass any table).
    ASSERT_GT(texts.size(), 900u);
    ASSERT_TRUE(texts.count("Модуль генерации запросов"));
    ASSERT_TRUE(texts.count("Ключи электронной подписи"));
    ASSERT_TRUE(texts.count("Информация"));

    zrnSetTranslationDir(kTables.string().c_str());
    for (int id : {ZRN_LANG_ENGLISH, ZRN_LANG_UKRAINIAN}) {
        ASSERT_TRUE(zrnSetLanguage(id));
        const std::string code = getLanguageCode(id).str();
        for (const auto& [text, where] : texts) {
            // A text whose own printf conversions do not parse cannot be
            // translated at all; its owner's tests answer for its form.
            if (!zrnSameConversions(text.c_str(), text.c_str())) continue;
            // Captions are looked up without trailing blanks, formats as they are.
            const bool found =
                zrnFindTranslation(text.c_str()) || zrnFindTranslation(withoutTrailingBlanks(text).c_str());
            EXPECT_TRUE(found) << "no " << code << " entry in app/data/lang/" << code << "/*.txt for \"" << text
                               << "\" (" << where << ")";
        }
    }
}

TEST_F(TranslationTables, TheTablesAgree) {
    for (const char* language : {"en", "uk"}) {
        SCOPED_TRACE(language);
        const std::multimap<std::string, TableLine> lines = tableLines(language);
        ASSERT_GT(lines.size(), 500u);
        // One translation per text, also between a text and the same text
        // with trailing blanks (both are found by the same lookups).
        std::map<std::string, const TableLine*> byText;
        std::map<std::string, std::pair<std::string, const TableLine*>> byTrimmed;
        for (const auto& [source, line] : lines) {
            // A source whose own conversions do not parse is never translated
            // (its owner answers for its form).
            if (!zrnSameConversions(source.c_str(), source.c_str())) continue;
            if (auto [it, fresh] = byText.insert({source, &line}); !fresh) {
                EXPECT_EQ(it->second->translation, line.translation)
                    << "\"" << source << "\" translated twice: " << it->second->where << " and " << line.where;
            }
            const std::string trimmed = withoutTrailingBlanks(source);
            if (auto [it, fresh] = byTrimmed.insert({trimmed, {source, &line}}); !fresh && it->second.first != source) {
                EXPECT_EQ(withoutTrailingBlanks(it->second.second->translation),
                          withoutTrailingBlanks(line.translation))
                    << "\"" << trimmed
                    << "\" translated apart from its variant with blanks: " << it->second.second->where << " and "
                    << line.where;
            }
            EXPECT_TRUE(zrnSameConversions(source.c_str(), line.translation.c_str()))
                << "printf conversions differ, the entry would be ignored: " << line.where;
            if (std::string(language) == "en") {
                EXPECT_FALSE(hasCyrillic(line.translation)) << "Cyrillic in the English table: " << line.where;
            } else {
                EXPECT_FALSE(hasRussianOnlyLetters(line.translation))
                    << "Russian letters in the Ukrainian table: " << line.where;
            }
        }
    }
}

// Lookups find a text with or without its trailing blanks, and a text with
// trailing blanks keeps them.
TEST_F(TranslationTables, TrailingBlanksDoNotHideAnEntry) {
    zrnSetTranslationDir(kTables.string().c_str());
    ASSERT_TRUE(zrnSetLanguage(ZRN_LANG_ENGLISH));
    for (const char* caption : {"Записать в", "Стиль...", "Язык интерфейса"})
        EXPECT_NE(zrnTranslateString(caption).str(), caption) << caption;
    EXPECT_EQ(zrnTranslateString("Язык интерфейса ").str(), zrnTranslateString("Язык интерфейса").str() + " ");
    EXPECT_EQ(zrnTranslateString(", алгоритм: ").str(), ", algorithm: ");
    ASSERT_TRUE(zrnSetLanguage(ZRN_LANG_UKRAINIAN));
    EXPECT_EQ(zrnTranslateString("Язык интерфейса").str(), "Мова інтерфейсу");
    EXPECT_NE(zrnFindTranslation("Стиль..."), nullptr);
}

// The object views speak the interface language through and through: an
// English certificate view holds no Cyrillic letter (its owner is Latin),
// and a Ukrainian one no letter that only Russian has.
TEST_F(TranslationTables, CertificateViewsSpeakOneLanguage) {
    zrxtest::CertMaker certs;
    ASSERT_TRUE(certs.root("Root"));
    ASSERT_TRUE(certs.issue("User", "Root",
                            "basicConstraints=CA:false\nkeyUsage=digitalSignature,nonRepudiation\n"
                            "extendedKeyUsage=clientAuth,emailProtection\nsubjectKeyIdentifier=hash\n"
                            "authorityKeyIdentifier=keyid"));
    TZrX509 cert;
    ASSERT_TRUE(cert.loadFromFile(certs.crt("User").c_str()));
    zrnSetTranslationDir(kTables.string().c_str());
    for (int mode : {int(zhScreen), int(zhPrint)}) {
        ASSERT_TRUE(zrnSetLanguage(ZRN_LANG_ENGLISH));
        TCString english;
        cert.htmlView(english, mode);
        EXPECT_FALSE(hasCyrillic(english.str())) << english.str();
        ASSERT_TRUE(zrnSetLanguage(ZRN_LANG_UKRAINIAN));
        TCString ukrainian;
        cert.htmlView(ukrainian, mode);
        EXPECT_FALSE(hasRussianOnlyLetters(ukrainian.str())) << ukrainian.str();
    }
}
