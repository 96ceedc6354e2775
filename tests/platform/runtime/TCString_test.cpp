#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/runtime/TCString.h"

TEST(TCString, CyrillicCaseFolding) {
    struct Case {
        const char* in;
        const char* up;
        const char* low;
    };
    const Case cases[] = {
        {"Привет, Мир!", "ПРИВЕТ, МИР!", "привет, мир!"},
        {"їжак ґанок єнот іній", "ЇЖАК ҐАНОК ЄНОТ ІНІЙ", "їжак ґанок єнот іній"},
        {"Ёлка Ўзбек Ђ", "ЁЛКА ЎЗБЕК Ђ", "ёлка ўзбек ђ"},
        {"Mixed Латиница ÄÖü", "MIXED ЛАТИНИЦА ÄÖÜ", "mixed латиница äöü"},
        {"no change 123 €", "NO CHANGE 123 €", "no change 123 €"},
        {"Ωμεγας ÿ Ԁ", "ΩΜΕΓΑς Ÿ Ԁ", "ωμεγας ÿ ԁ"},  // Greek (final sigma kept), Ÿ, Cyrillic Supplement
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TCString(c.in).upper(), c.up) << c.in;
        EXPECT_EQ(TCString(c.in).lower(), c.low) << c.in;
    }
}

TEST(TCString, CaseInsensitiveCompareAndSearch) {
    EXPECT_EQ(TCString("КОНТЕЙНЕР").compareIC("контейнер"), 0);
    EXPECT_EQ(TCString("Ґудзик").compareIC("ґУДЗИК"), 0);
    EXPECT_LT(TCString("абв").compareIC("АБГ"), 0);
    EXPECT_GT(TCString("абвг").compareIC("АБВ"), 0);
    EXPECT_NE(TCString("е").compareIC("ё"), 0);
    EXPECT_EQ(TCString("Ключи").compare("ключи") != 0, true);

    const TCString s("Файл КЛЮЧЕЙ: key.dat");
    EXPECT_EQ(s.posIC("ключей"), static_cast<int>(std::string("Файл ").size()));
    EXPECT_EQ(s.posIC("KEY.DAT"), static_cast<int>(std::string("Файл КЛЮЧЕЙ: ").size()));
    EXPECT_EQ(s.posIC("нет"), -1);
    EXPECT_EQ(s.pos("ключей"), -1);
    EXPECT_EQ(s.posIC("файл", 1), -1);
    EXPECT_EQ(s.charCount(), 20u);
}

TEST(TCString, FormattingHasNoLengthLimit) {
    const std::string big(100000, 'x');
    TCString s;
    s.printf("[%s|%d]", big.c_str(), 42);
    EXPECT_EQ(s.length(), big.size() + 5);
    EXPECT_EQ(s.str().substr(s.length() - 4), "|42]");
    s.appendf("%s", big.c_str());
    EXPECT_EQ(s.length(), 2 * big.size() + 5);
    EXPECT_EQ(TCString::format("%s=%08X", "код", 0xC0800005u), "код=C0800005");
    EXPECT_EQ(TCFString("token.%d", 3), "token.3");
    TCString e;
    e.printf("%s", "");
    EXPECT_TRUE(e.isEmpty());
    EXPECT_NE(e.c_str(), nullptr);
}

// Arguments that point into the string being written give the right text,
// short or long (the long one once read freed memory).
TEST(TCString, FormattingWithItsOwnTextAsArgument) {
    for (size_t len : {3u, 600u, 5000u}) {
        const std::string base(len, 'a');
        TCString t(base.c_str());
        t.printf("x%s", t.c_str());
        EXPECT_EQ(t.str(), "x" + base) << len;
        TCString u(base.c_str());
        u.appendf("-%s-", u.c_str());
        EXPECT_EQ(u.str(), base + "-" + base + "-") << len;
        TCString v(base.c_str());
        v.cat_printf("%s%s", v.c_str(), v.c_str());
        EXPECT_EQ(v.str(), base + base + base) << len;
    }
}

TEST(TCString, PartsAndTrim) {
    EXPECT_EQ(TCString("  \t имя = значение \r\n").trim(), "имя = значение");
    EXPECT_EQ(TCString(" key = a=b ").name(), "key");
    EXPECT_EQ(TCString(" key = a=b ").value(), "a=b");
    EXPECT_EQ(TCString("novalue").name(), "novalue");
    EXPECT_EQ(TCString("novalue").value(), "");
    const TCString path("Software\\Zoren\\App.GUIStyle");
    EXPECT_EQ(path.beforeLast('.'), "Software\\Zoren\\App");
    EXPECT_EQ(path.afterLast('.'), "GUIStyle");
    EXPECT_EQ(TCString("abc").beforeLast('.'), "abc");
    EXPECT_EQ(TCString("abc").afterLast('.'), "");
    EXPECT_EQ(TCString("a/b/c").substChar('/', '\\'), "a\\b\\c");
}

TEST(TCString, Numbers) {
    EXPECT_EQ(TCString(" 42 ").asInt(), 42);
    EXPECT_EQ(TCString("-17").asInt(), -17);
    EXPECT_EQ(TCString("0x1F").asInt(16), 31);
    EXPECT_EQ(TCString("ff").asUInt(16), 255u);
    EXPECT_EQ(TCString("C0800024").asUInt(16), 0xC0800024u);
    EXPECT_EQ(TCString("12abc").asInt(10, -1), -1);
    EXPECT_EQ(TCString("").asInt(10, 7), 7);
    EXPECT_EQ(TCString("-1").asUInt(10, 5), 5u);
    EXPECT_EQ(TCString("99999999999").asInt(10, 3), 3);
    EXPECT_EQ(TCString("9223372036854775807").asInt64(), INT64_MAX);
    int32_t v = 0;
    EXPECT_FALSE(TCString("x1").asInt(&v));
    EXPECT_TRUE(TCString("123").asInt(&v));
    EXPECT_EQ(v, 123);
    EXPECT_EQ(TCString(int64_t(255), 16), "FF");
    EXPECT_EQ(TCString(int64_t(-5), 10), "-5");
}

TEST(TCString, BuffersAndBase64) {
    unsigned char buf[4];
    EXPECT_EQ(TCString("0A:ff 10").asBuffer(buf, sizeof buf), 3);
    EXPECT_EQ(buf[0], 0x0A);
    EXPECT_EQ(buf[1], 0xFF);
    EXPECT_EQ(buf[2], 0x10);
    EXPECT_EQ(buf[3], 0);
    EXPECT_EQ(TCString("0AZ").asBuffer(buf, sizeof buf), -1);
    EXPECT_EQ(TCString("0102030405").asBuffer(buf, sizeof buf), 4);

    for (const char* t : {"", "f", "fo", "foo", "foob", "Привет"}) {
        const TCString enc = TCString(t).toBase64();
        std::string dec;
        ASSERT_TRUE(enc.fromBase64(dec)) << t;
        EXPECT_EQ(dec, t);
    }
    EXPECT_EQ(TCString("foob").toBase64(), "Zm9vYg==");
    std::string out;
    EXPECT_FALSE(TCString("Zm9v!").fromBase64(out));
    char small[2];
    size_t n = sizeof small;
    EXPECT_FALSE(TCString("Zm9v").fromBase64(small, &n));
}

TEST(TCString, AttachedObjectAndUtf16) {
    int x = 5;
    TCString s("a");
    s.setObject(&x);
    EXPECT_EQ(s.objectAs<int>(), &x);
    TCString c(s);
    EXPECT_EQ(c.object(), s.object());
    EXPECT_EQ(TCString("Ключ €😀").toUtf16(), u"Ключ €😀");
    EXPECT_EQ(TCString::fromUtf16(u"Ключ €😀"), "Ключ €😀");
    char16_t w[4];
    EXPECT_EQ(ch2wc("абвгд", w, 4), 3);
    EXPECT_EQ(std::u16string(w), u"абв");
}

TEST(TCString, Utf8CopyCutKeepsWholeCharacters) {
    // "Ж" is 2 bytes, "€" is 3 bytes, "😀" is 4 bytes.
    struct Case {
        const char* in;
        size_t size;
        const char* out;
    };
    const Case cases[] = {
        {"abc", 4, "abc"}, {"abc", 3, "ab"},
        {"abc", 1, ""},    {"Жук", 3, "Ж"},  // the second 2-byte character does not fit
        {"Жук", 5, "Жу"},  {"a€", 4, "a"},   // 1 + 3 bytes need 5 with the NUL
        {"a€", 5, "a€"},   {"😀x", 4, ""},
        {"😀x", 5, "😀"},    {"", 1, ""},
    };
    for (const auto& c : cases) {
        char buf[16];
        std::memset(buf, 'Z', sizeof buf);
        const size_t n = zrx_utf8::copyCut(c.in, buf, c.size);
        EXPECT_STREQ(buf, c.out) << c.in << " / " << c.size;
        EXPECT_EQ(n, std::strlen(c.out)) << c.in << " / " << c.size;
        EXPECT_EQ(buf[c.size], 'Z') << "wrote past the buffer: " << c.in;
        EXPECT_EQ(zrx_utf8::cutBytes(c.in, c.size - 1), n);
    }
    char untouched[2] = {'Z', 'Z'};
    EXPECT_EQ(zrx_utf8::copyCut("abc", untouched, 0), 0u);
    EXPECT_EQ(untouched[0], 'Z');
    EXPECT_EQ(zrx_utf8::copyCut("abc", nullptr, 8), 0u);
}
