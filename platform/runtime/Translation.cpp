#include "platform/runtime/Translation.h"

#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <filesystem>
#include <mutex>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/runtime/FileUtils.h"

namespace {

struct Language {
    int id;
    const char* code;
    const char* name;
};
const Language kLanguages[] = {
    {ZRN_LANG_RUSSIAN, "ru", "Русский"},
    {ZRN_LANG_ENGLISH, "en", "English"},
    {ZRN_LANG_UKRAINIAN, "uk", "Українська"},
};

std::recursive_mutex g_lock;
bool g_initDone = false;
int g_active = -1;  // the language of the loaded table, -1: none chosen
std::string g_dir;  // override of the tables' folder
std::unordered_map<std::string, TCTranslationEntry>& table() {
    static std::unordered_map<std::string, TCTranslationEntry> t;
    return t;
}
// Keys made from a source that ends with blanks (the source without them):
// a later entry of the key itself replaces them.
std::unordered_set<std::string>& derivedKeys() {
    static std::unordered_set<std::string> keys;
    return keys;
}

std::string withoutTrailingBlanks(std::string_view s) {
    size_t n = s.size();
    while (n > 0 && s[n - 1] == ' ') --n;
    return std::string(s.substr(0, n));
}

const Language* languageById(int id) {
    for (const auto& l : kLanguages)
        if (l.id == id) return &l;
    return nullptr;
}

std::string unescape(std::string_view s) {
    std::string r;
    r.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            const char n = s[i + 1];
            if (n == 'n') {
                r += '\n';
                ++i;
                continue;
            }
            if (n == 't') {
                r += '\t';
                ++i;
                continue;
            }
            if (n == 'r') {
                r += '\r';
                ++i;
                continue;
            }
            if (n == '\\') {
                r += '\\';
                ++i;
                continue;
            }
        }
        r += s[i];
    }
    return r;
}

// Argument classes of a format's conversions, in order; false for a format
// that cannot be compared safely (%n, positional arguments).
bool conversions(const char* f, std::vector<std::string>& out) {
    out.clear();
    if (!f) return true;
    for (const char* p = f; *p; ++p) {
        if (*p != '%') continue;
        ++p;
        if (*p == '%') continue;
        if (!*p) return false;
        const char* q = p;
        while (*q >= '0' && *q <= '9') ++q;
        if (*q == '$') return false;
        while (*p && std::string_view("-+ #0'").find(*p) != std::string_view::npos) ++p;
        if (*p == '*') {
            out.push_back("*");
            ++p;
        } else
            while (*p >= '0' && *p <= '9') ++p;
        if (*p == '.') {
            ++p;
            if (*p == '*') {
                out.push_back("*");
                ++p;
            } else
                while (*p >= '0' && *p <= '9') ++p;
        }
        std::string len;
        while (*p && std::string_view("hlLqjzt").find(*p) != std::string_view::npos) len += *p++;
        std::string cls;
        switch (*p) {
        case 'd':
        case 'i': cls = "int"; break;
        case 'u':
        case 'o':
        case 'x':
        case 'X': cls = "uint"; break;
        case 'c': cls = "char"; break;
        case 's': cls = "str"; break;
        case 'p': cls = "ptr"; break;
        case 'f':
        case 'F':
        case 'e':
        case 'E':
        case 'g':
        case 'G':
        case 'a':
        case 'A': cls = "dbl"; break;
        default: return false;  // %n, unknown or cut off
        }
        out.push_back(len + cls);
    }
    return true;
}

std::string langDir() {
    if (!g_dir.empty()) return g_dir;
    if (const char* e = std::getenv("ZRX_LANG_DIR"); e && *e) return e;
    return makePathName(getModulePath().c_str(), "lang").str();
}

TCString storeFile() {
    return makePathName(makePathName(getConfigDir().c_str(), "zoren").c_str(), (getApplName() + ".lang").c_str());
}

int storedLanguage() {
    if (const char* e = std::getenv("ZRX_LANGUAGE"); e && *e) {
        const int byCode = getLanguageIdByCode(e);
        if (byCode > 0) return byCode;
        const int id = TCString(e).asInt(10, -1);
        if (languageById(id)) return id;
    }
    std::string data;
    if (readBuff(storeFile().c_str(), data) != 0) return -1;
    TCString t(data);
    t.trim();
    const int id = t.asInt(10, -1);
    return languageById(id) ? id : -1;
}

void loadTable(int id) {
    table().clear();
    derivedKeys().clear();
    const Language* l = languageById(id);
    if (!l || id == ZRN_LANG_RUSSIAN) return;
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::path(langDir()) / l->code;
    std::vector<std::filesystem::path> files;
    for (const auto& e : std::filesystem::directory_iterator(folder, ec))
        if (e.is_regular_file(ec) && e.path().extension() == ".txt") files.push_back(e.path());
    std::sort(files.begin(), files.end());  // a fixed order: later files win
    for (const auto& f : files) {
        TCStringList lines;
        if (!lines.loadFromFile(f.string().c_str())) continue;
        for (const auto& line : lines) {
            const std::string& s = line->str();
            if (s.empty() || s[0] == '#') continue;
            const size_t tab = s.find('\t');
            if (tab == std::string::npos || tab == 0) continue;
            const std::string src = unescape(std::string_view(s).substr(0, tab));
            const std::string tr = unescape(std::string_view(s).substr(tab + 1));
            if (tr.empty()) continue;
            zrnAddTranslation(src.c_str(), tr.c_str());
        }
    }
}

void ensureInit() {
    std::lock_guard<std::recursive_mutex> g(g_lock);
    if (g_initDone) return;
    g_initDone = true;
    g_active = storedLanguage();
    loadTable(g_active);
}

}  // namespace

void zrnResetTranslation() {
    std::lock_guard<std::recursive_mutex> g(g_lock);
    table().clear();
    derivedKeys().clear();
    g_initDone = false;
    g_active = -1;
    g_dir.clear();
}

bool zrnSameConversions(const char* a, const char* b) {
    std::vector<std::string> ca, cb;
    if (!conversions(a, ca) || !conversions(b, cb)) return false;
    return ca == cb;
}

bool zrnAddTranslation(const char* source, const char* text) {
    if (!source || !text || !zrnSameConversions(source, text)) return false;
    std::lock_guard<std::recursive_mutex> g(g_lock);
    TCTranslationEntry e;
    e.source = source;
    e.text = text;
    table()[source] = std::move(e);
    derivedKeys().erase(source);
    // Captions are looked up without their trailing blanks (the forms'
    // translation drops them): a source that ends with blanks answers for
    // the text without them too.
    const std::string trimmed = withoutTrailingBlanks(source);
    if (trimmed != source && (!table().count(trimmed) || derivedKeys().count(trimmed))) {
        TCTranslationEntry t;
        t.source = trimmed;
        t.text = withoutTrailingBlanks(text);
        table()[trimmed] = std::move(t);
        derivedKeys().insert(trimmed);
    }
    return true;
}

TCTranslationEntry* zrnFindTranslation(const char* source) {
    if (!source || !*source) return nullptr;
    ensureInit();
    std::lock_guard<std::recursive_mutex> g(g_lock);
    auto it = table().find(source);
    return it == table().end() ? nullptr : &it->second;
}

TCString zrnTranslateString(const char* source) {
    // The copy is made under the lock: a language switch clears the table.
    std::lock_guard<std::recursive_mutex> g(g_lock);
    if (const TCTranslationEntry* e = zrnFindTranslation(source)) return e->text;
    // A text with trailing blanks whose table has it without them keeps its blanks.
    if (source && *source) {
        const std::string trimmed = withoutTrailingBlanks(source);
        if (trimmed.size() != std::strlen(source))
            if (const TCTranslationEntry* e = zrnFindTranslation(trimmed.c_str()))
                return e->text.str() + (source + trimmed.size());
    }
    return TCString(source);
}

bool getSupportedLanguages(TCStringList& out) {
    out.clear();
    std::lock_guard<std::recursive_mutex> g(g_lock);
    const std::string dir = langDir();
    for (const auto& l : kLanguages) {
        if (l.id != ZRN_LANG_RUSSIAN && !dirExists(makePathName(dir.c_str(), l.code).c_str())) continue;
        out.add(l.name, static_cast<uintptr_t>(l.id));
    }
    return out.count() > 0;
}

int getCurrentLanguageID() {
    ensureInit();
    std::lock_guard<std::recursive_mutex> g(g_lock);
    return g_active;
}

bool storeLanguageID(int id) {
    if (!languageById(id)) return false;
    const TCString file = storeFile();
    if (makeDirectory(extractFilePath(file.c_str()).c_str()) != 0) return false;
    const TCString text = TCString::format("%d\n", id);
    return writeBuff(file.c_str(), text.c_str(), text.length()) == 0;
}

TCString getLanguageCode(int id) {
    const Language* l = languageById(id);
    return l ? TCString(l->code) : TCString();
}

int getLanguageIdByCode(const char* code) {
    if (!code) return -1;
    for (const auto& l : kLanguages)
        if (TCString(code).compareIC(l.code) == 0) return l.id;
    return -1;
}

TCString trAddFNLangSuffix(const char* fileName) {
    const int id = getCurrentLanguageID();
    if (id <= 0 || id == ZRN_LANG_RUSSIAN) return TCString(fileName);
    const TCString ext = getExt(fileName);
    const TCString base = changeFileExt(fileName, "");
    return base + "_" + getLanguageCode(id) + ext;
}

void zrnSetTranslationDir(const char* dir) {
    std::lock_guard<std::recursive_mutex> g(g_lock);
    g_dir = dir ? dir : "";
}

TCString zrnGetTranslationDir() {
    std::lock_guard<std::recursive_mutex> g(g_lock);
    return TCString(langDir());
}

bool zrnSetLanguage(int id) {
    std::lock_guard<std::recursive_mutex> g(g_lock);
    g_initDone = true;
    const bool known = languageById(id) != nullptr;
    g_active = known ? id : -1;
    loadTable(g_active);
    return known;
}

void zrnInitTranslation() { ensureInit(); }
