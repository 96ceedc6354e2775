#include "platform/runtime/Passwords.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "platform/runtime/TCString.h"

namespace {
std::mutex g_lock;
int g_min = 8, g_max = 32;
std::string g_test;
std::atomic<KBLayoutSource> g_kbSource{nullptr};

std::vector<char32_t> chars(const char* s) {
    std::vector<char32_t> r;
    if (!s) return r;
    const std::string_view v(s);
    for (size_t i = 0; i < v.size();) r.push_back(zrx_utf8::decode(v, i));
    return r;
}
}  // namespace

void setPassMinMax(int minLen, int maxLen, const char* testPassword) {
    std::lock_guard<std::mutex> g(g_lock);
    g_min = minLen < 0 ? 0 : minLen;
    g_max = maxLen < 0 ? 0 : maxLen;
    g_test = testPassword ? testPassword : "";
}

const char* getPassMinMax(int* minLen, int* maxLen) {
    std::lock_guard<std::mutex> g(g_lock);
    if (minLen) *minLen = g_min;
    if (maxLen) *maxLen = g_max;
    // The text stays valid until the test password changes.
    return g_test.c_str();
}

void setTestPassword(const char* testPassword) {
    std::lock_guard<std::mutex> g(g_lock);
    g_test = testPassword ? testPassword : "";
}

int checkPasswLen8(const char* password, char* buffer, size_t bufferSize) {
    if (!buffer || bufferSize == 0) return -1;
    buffer[0] = 0;
    if (!password) return -1;
    int maxChars;
    {
        std::lock_guard<std::mutex> g(g_lock);
        maxChars = g_max > 0 ? g_max : 32;
    }
    const std::string_view p(password);
    // Cut further, at a character boundary, when the buffer is smaller.
    const size_t bytes =
        zrx_utf8::copyCut(p.substr(0, zrx_utf8::bytesOfChars(p, static_cast<size_t>(maxChars))), buffer, bufferSize);
    return zrx_utf8::charCount(p.substr(0, bytes)) < 8 ? -1 : 0;
}

int passwordScore(const char* password) {
    const std::vector<char32_t> c = chars(password);
    if (c.empty()) return 0;
    bool lower = false, upper = false, digit = false, other = false;
    for (char32_t ch : c) {
        if (ch >= '0' && ch <= '9') digit = true;
        else if (zrx_utf8::toUpper(ch) != ch) lower = true;
        else if (zrx_utf8::toLower(ch) != ch) upper = true;
        else other = true;
    }
    int score = int(lower) + int(upper) + int(digit) + int(other);
    const size_t n = c.size();
    score += int(n >= 8) + int(n >= 10) + int(n >= 12) + int(n >= 16);
    // Runs of one character or plain sequences ("1234", "abcd") covering half.
    size_t run = 1, seq = 1, bestRun = 1, bestSeq = 1;
    for (size_t i = 1; i < n; ++i) {
        run = c[i] == c[i - 1] ? run + 1 : 1;
        seq = (c[i] == c[i - 1] + 1 || c[i] + 1 == c[i - 1]) ? seq + 1 : 1;
        bestRun = std::max(bestRun, run);
        bestSeq = std::max(bestSeq, seq);
    }
    if (bestRun * 2 >= n || bestSeq * 2 >= n) score -= 2;
    return score < 0 ? 0 : score;
}

bool testPassword(const char* password, int level) {
    int minLen;
    {
        std::lock_guard<std::mutex> g(g_lock);
        minLen = g_min;
    }
    if (!password) return false;
    if (zrx_utf8::charCount(password) < static_cast<size_t>(minLen)) return false;
    return passwordScore(password) >= level;
}

KBLayoutSource setKBLayoutSource(KBLayoutSource fn) { return g_kbSource.exchange(fn); }

TCString languageCodeSN3(const char* localeName) {
    TCString l(localeName ? localeName : "");
    l = l.beforeFirst('.').beforeFirst('@').beforeFirst('_').beforeFirst('-');
    l.lower();
    static const char* const map[][2] = {
        {"en", "eng"}, {"ru", "rus"}, {"uk", "ukr"}, {"de", "deu"}, {"fr", "fra"}, {"pl", "pol"},
        {"be", "bel"}, {"es", "spa"}, {"it", "ita"}, {"kk", "kaz"}, {"ro", "ron"}, {"cs", "ces"},
    };
    if (l.length() == 3) return l;
    for (const auto& m : map)
        if (l == m[0]) return TCString(m[1]);
    // "C"/"POSIX" and unknown locales type Latin letters.
    return TCString("eng");
}

TCString getKBLayoutNameSN3() {
    if (const KBLayoutSource fn = g_kbSource.load()) {
        const TCString name = fn();
        if (!name.isEmpty()) return languageCodeSN3(name.c_str());
    }
    for (const char* v : {"ZRX_KB_LAYOUT", "LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* e = std::getenv(v);
        if (e && *e) return languageCodeSN3(e);
    }
    return TCString("eng");
}

TCString getKBLayoutName() {
    const TCString sn = getKBLayoutNameSN3();
    if (sn == "eng") return TCString("English");
    if (sn == "rus") return TCString("Русский");
    if (sn == "ukr") return TCString("Українська");
    return sn;
}
