#include "platform/core/crypto/SecretSeal.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "support/TempDir.h"

namespace {

std::string text(const TCSecretString& s) { return std::string(s.c_str(), s.length()); }

std::string repeat(const std::string& unit, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += unit;
    return out;
}

}  // namespace

using zrx::crypto::kSealedLongSecretSize;
using zrx::crypto::kSealedSecretSize;
using zrx::crypto::openSecret;
using zrx::crypto::sealSecret;

TEST(SecretSeal, SecretsOpenAsSealedUnderAFreshInstallationSecret) {
    zrxtest::TempDir dir;
    const std::string key = dir.file("install.key");
    const std::string secrets[] = {
        "",
        "p",
        "12345678901234567890123456789012",  // the longest of the short form
        "второй",
        std::string("nul\0inside", 10),
        "123456789012345678901234567890123",  // 33 bytes: the long form
        repeat("ж", 32),                      // 32 characters of two bytes
        repeat("\xF0\x9F\x94\x91", 32),       // 32 characters of four bytes: the longest
    };
    for (const std::string& s : secrets) {
        SCOPED_TRACE(s);
        std::string a, b;
        ASSERT_TRUE(sealSecret(key.c_str(), "caIniData1", s, a));
        ASSERT_TRUE(sealSecret(key.c_str(), "caIniData1", s, b));
        const bool isShort = s.size() <= 32;
        EXPECT_EQ(a.size(), isShort ? kSealedSecretSize : kSealedLongSecretSize);
        EXPECT_EQ(a[0], isShort ? 1 : 2);
        EXPECT_NE(a, b);  // a fresh nonce each time
        if (s.size() >= 4) {
            EXPECT_EQ(a.find(s), std::string::npos);
        }
        for (const std::string* block : {&a, &b}) {
            TCSecretString opened("old");
            EXPECT_TRUE(openSecret(key.c_str(), "caIniData1", *block, opened));
            EXPECT_EQ(text(opened), s);
        }
    }
    struct stat st {};
    ASSERT_EQ(stat(key.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(st.st_size, 32);
}

TEST(SecretSeal, BlocksOpenOnlyUnderTheirLabelAndInstallationSecretAndUndamaged) {
    zrxtest::TempDir dir;
    const std::string key = dir.file("install.key");
    const std::string otherKey = dir.file("other.key");
    std::string good, longGood;
    ASSERT_TRUE(sealSecret(key.c_str(), "caIniData3", "mail-pass", good));
    ASSERT_TRUE(sealSecret(key.c_str(), "caIniData3", repeat("пароль", 5), longGood));

    auto flipped = [&](size_t at, const std::string& block) {
        std::string b = block;
        b[at] = static_cast<char>(b[at] ^ 1);
        return b;
    };
    const struct {
        const char* what;
        std::string file;
        const char* label;
        std::string block;
    } cases[] = {
        {"another label", key, "caIniData4", good},
        {"a label's prefix", key, "caIniData", good},
        {"another installation", otherKey, "caIniData3", good},
        {"version", key, "caIniData3", flipped(0, good)},
        {"nonce", key, "caIniData3", flipped(1, good)},
        {"sealed length", key, "caIniData3", flipped(13, good)},
        {"sealed text", key, "caIniData3", flipped(20, good)},
        {"tag", key, "caIniData3", flipped(kSealedSecretSize - 1, good)},
        {"one byte short", key, "caIniData3", good.substr(0, kSealedSecretSize - 1)},
        {"one byte long", key, "caIniData3", good + "x"},
        {"long form: version", key, "caIniData3", flipped(0, longGood)},
        {"long form: sealed text", key, "caIniData3", flipped(100, longGood)},
        {"long form: tag", key, "caIniData3", flipped(kSealedLongSecretSize - 1, longGood)},
        {"long form: one byte short", key, "caIniData3", longGood.substr(0, kSealedLongSecretSize - 1)},
        {"long form under another label", key, "caIniData1", longGood},
        {"empty", key, "caIniData3", ""},
        {"no installation file name", "", "caIniData3", good},
        {"installation folder missing", dir.file("none/install.key"), "caIniData3", good},
    };
    for (const auto& c : cases) {
        TCSecretString opened("unchanged");
        EXPECT_FALSE(openSecret(c.file.c_str(), c.label, c.block, opened)) << c.what;
        EXPECT_EQ(text(opened), "unchanged") << c.what;
    }
    TCSecretString opened;
    EXPECT_TRUE(openSecret(key.c_str(), "caIniData3", good, opened));
    EXPECT_EQ(text(opened), "mail-pass");

    std::string sealed = "unchanged";
    EXPECT_FALSE(sealSecret(key.c_str(), "caIniData1", std::string(129, 'x'), sealed));  // 129 bytes
    EXPECT_EQ(sealed, "unchanged");
}

TEST(SecretSeal, OnlyAnOwnRegularFileOf32BytesIsAnInstallationSecret) {
    zrxtest::TempDir dir;
    const std::string key = dir.file("install.key");
    std::string block;
    ASSERT_TRUE(sealSecret(key.c_str(), "k", "v", block));

    // Readable by others: tightened, and still the same secret.
    ASSERT_EQ(chmod(key.c_str(), 0644), 0);
    TCSecretString opened;
    EXPECT_TRUE(openSecret(key.c_str(), "k", block, opened));
    EXPECT_EQ(text(opened), "v");
    struct stat st {};
    ASSERT_EQ(stat(key.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // A link to it, a file of another size, a folder: refused.
    const std::string link = dir.file("link.key");
    ASSERT_EQ(symlink(key.c_str(), link.c_str()), 0);
    const std::string shortFile = dir.file("short.key");
    zrxtest::writeFile(shortFile, std::string(31, 'x'));
    const std::string folder = dir.file("folder.key");
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    for (const std::string& f : {link, shortFile, folder}) {
        TCSecretString opened("unchanged");
        std::string sealedOut = "unchanged";
        EXPECT_FALSE(openSecret(f.c_str(), "k", block, opened)) << f;
        EXPECT_FALSE(sealSecret(f.c_str(), "k", "v", sealedOut)) << f;
        EXPECT_EQ(text(opened), "unchanged") << f;
        EXPECT_EQ(sealedOut, "unchanged") << f;
    }
}
