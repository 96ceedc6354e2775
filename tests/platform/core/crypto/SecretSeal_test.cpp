#include "platform/core/crypto/SecretSeal.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "support/TempDir.h"

using zrx::crypto::kSealedSecretSize;
using zrx::crypto::openSecret;
using zrx::crypto::sealSecret;

TEST(SecretSeal, SecretsOpenAsSealedUnderAFreshInstallationSecret) {
    zrxtest::TempDir dir;
    const std::string key = dir.file("install.key");
    const std::string secrets[] = {
        "",
        "p",
        "12345678901234567890123456789012",  // the longest
        "второй",
        std::string("nul\0inside", 10),
    };
    for (const std::string& s : secrets) {
        SCOPED_TRACE(s);
        std::string a, b;
        ASSERT_TRUE(sealSecret(key.c_str(), "caIniData1", s, a));
        ASSERT_TRUE(sealSecret(key.c_str(), "caIniData1", s, b));
        EXPECT_EQ(a.size(), kSealedSecretSize);
        EXPECT_EQ(a[0], 1);
        EXPECT_NE(a, b);  // a fresh nonce each time
        if (s.size() >= 4) {
            EXPECT_EQ(a.find(s), std::string::npos);
        }
        for (const std::string* block : {&a, &b}) {
            std::string opened = "old";
            EXPECT_TRUE(openSecret(key.c_str(), "caIniData1", *block, opened));
            EXPECT_EQ(opened, s);
        }
    }
    struct stat st{};
    ASSERT_EQ(stat(key.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(st.st_size, 32);
}

TEST(SecretSeal, BlocksOpenOnlyUnderTheirLabelAndInstallationSecretAndUndamaged) {
    zrxtest::TempDir dir;
    const std::string key = dir.file("install.key");
    const std::string otherKey = dir.file("other.key");
    std::string good;
    ASSERT_TRUE(sealSecret(key.c_str(), "caIniData3", "mail-pass", good));

    auto flipped = [&](size_t at) {
        std::string b = good;
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
        {"version", key, "caIniData3", flipped(0)},
        {"nonce", key, "caIniData3", flipped(1)},
        {"sealed length", key, "caIniData3", flipped(13)},
        {"sealed text", key, "caIniData3", flipped(20)},
        {"tag", key, "caIniData3", flipped(kSealedSecretSize - 1)},
        {"one byte short", key, "caIniData3", good.substr(0, kSealedSecretSize - 1)},
        {"one byte long", key, "caIniData3", good + "x"},
        {"empty", key, "caIniData3", ""},
        {"no installation file name", "", "caIniData3", good},
        {"installation folder missing", dir.file("none/install.key"), "caIniData3", good},
    };
    for (const auto& c : cases) {
        std::string opened = "unchanged";
        EXPECT_FALSE(openSecret(c.file.c_str(), c.label, c.block, opened)) << c.what;
        EXPECT_EQ(opened, "unchanged") << c.what;
    }
    std::string opened;
    EXPECT_TRUE(openSecret(key.c_str(), "caIniData3", good, opened));
    EXPECT_EQ(opened, "mail-pass");

    std::string sealed = "unchanged";
    EXPECT_FALSE(sealSecret(key.c_str(), "caIniData1", "123456789012345678901234567890123", sealed));  // 33 bytes
    EXPECT_EQ(sealed, "unchanged");
}

TEST(SecretSeal, OnlyAnOwnRegularFileOf32BytesIsAnInstallationSecret) {
    zrxtest::TempDir dir;
    const std::string key = dir.file("install.key");
    std::string block;
    ASSERT_TRUE(sealSecret(key.c_str(), "k", "v", block));

    // Readable by others: tightened, and still the same secret.
    ASSERT_EQ(chmod(key.c_str(), 0644), 0);
    std::string opened;
    EXPECT_TRUE(openSecret(key.c_str(), "k", block, opened));
    EXPECT_EQ(opened, "v");
    struct stat st{};
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
        std::string out = "unchanged";
        EXPECT_FALSE(openSecret(f.c_str(), "k", block, out)) << f;
        EXPECT_FALSE(sealSecret(f.c_str(), "k", "v", out)) << f;
        EXPECT_EQ(out, "unchanged") << f;
    }
}
