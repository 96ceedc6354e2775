// GOST 28147-89 and GOST 34.311 (GOST R 34.11-94) against published vectors.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/core/crypto/Digest.h"
#include "platform/core/crypto/Gost28147.h"

namespace {

std::string hex(const uint8_t* p, size_t n) {
    static const char* d = "0123456789abcdef";
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        s += d[p[i] >> 4];
        s += d[p[i] & 15];
    }
    return s;
}

std::string md(const std::string& msg, const TGost28147SBox* box) {
    uint8_t out[32];
    EXPECT_TRUE(dstu34311_md(msg.data(), msg.size(), out, box));
    return hex(out, 32);
}

}  // namespace

// The example of the GOST R 34.11-94 standard: the first step encrypts the
// zero block with the key K1 made from "This is message, length=32 bytes".
TEST(Gost28147, StandardExampleBlock) {
    // K1 = 733d2c20 65686573 74746769 79676120 626e7373 20657369 326c6568 33206d54
    const char* k1 =
        "733d2c2065686573747467697967612062"
        "6e737320657369326c65683320"
        "6d54";
    uint8_t be[32], key[32];
    for (int i = 0; i < 32; ++i) be[i] = static_cast<uint8_t>(std::stoi(std::string(k1 + 2 * i, 2), nullptr, 16));
    for (int i = 0; i < 32; ++i) key[i] = be[31 - i];  // the words are little-endian
    uint8_t block[8] = {};
    ASSERT_TRUE(Gost28147ecb(block, 8, key, getGostR3411TestSBlock(), true));
    uint8_t shown[8];
    for (int i = 0; i < 8; ++i) shown[i] = block[7 - i];
    EXPECT_EQ(hex(shown, 8), "42abbcce32bc0b1b");
    ASSERT_TRUE(Gost28147ecb(block, 8, key, getGostR3411TestSBlock(), false));
    EXPECT_EQ(hex(block, 8), "0000000000000000");
}

TEST(Gost28147, EcbRoundTripAndBadLength) {
    uint8_t key[32];
    for (int i = 0; i < 32; ++i) key[i] = static_cast<uint8_t>(i * 13 + 7);
    uint8_t data[32], orig[32];
    for (int i = 0; i < 32; ++i) data[i] = orig[i] = static_cast<uint8_t>(i);
    ASSERT_TRUE(Gost28147ecb(data, 32, key, nullptr, true));
    EXPECT_NE(std::memcmp(data, orig, 32), 0);
    // ECB: equal plain blocks give equal cipher blocks, so blocks are independent.
    ASSERT_TRUE(Gost28147ecb(data, 32, key, nullptr, false));
    EXPECT_EQ(std::memcmp(data, orig, 32), 0);
    EXPECT_FALSE(Gost28147ecb(data, 12, key, nullptr, true));
    EXPECT_FALSE(Gost28147ecb(nullptr, 8, key, nullptr, true));
}

TEST(Gost28147, DefaultTableRowsArePermutations) {
    const TGost28147SBox* b = getDefSBlock1();
    for (int r = 0; r < 8; ++r) {
        int seen = 0;
        for (int i = 0; i < 16; ++i) seen |= 1 << b->k[r][i];
        EXPECT_EQ(seen, 0xFFFF) << "row " << r;
    }
    // DSTU 4145 publishes the table packed: its first bytes are a9 d6 eb 45.
    EXPECT_EQ(b->k[0][0], 0xa);
    EXPECT_EQ(b->k[0][1], 0x9);
    EXPECT_EQ(b->k[0][2], 0xd);
    EXPECT_EQ(b->k[7][15], 0x4);
}

TEST(Gost34311, PublishedVectorsTestParamSet) {
    const struct {
        const char* msg;
        const char* digest;
    } cases[] = {
        {"", "ce85b99cc46752fffee35cab9a7b0278abb4c2d2055cff685af4912c49490f8d"},
        {"a", "d42c539e367c66e9c88a801f6649349c21871b4344c6a573f849fdce62f314dd"},
        {"abc", "f3134348c44fb1b2a277729e2285ebb5cb5e0f29c975bc753b70497c06a4d51d"},
        {"message digest", "ad4434ecb18f2c99b60cbe59ec3d2469582b65273f48de72db2fde16a4889a4d"},
        {"The quick brown fox jumps over the lazy dog",
         "77b7fa410c9ac58a25f49bca7d0468c9296529315eaca76bd1a10f376d1f4294"},
        {"This is message, length=32 bytes", "b1c466d37519b82e8319819ff32595e047a28cb6f83eff1c6916a815a637fffa"},
        {"Suppose the original message has length = 50 bytes",
         "471aba57a60a770d3a76130635c1fbea4ef14de51f78b4ae57dd893b62f55208"},
    };
    for (const auto& c : cases) EXPECT_EQ(md(c.msg, getGostR3411TestSBlock()), c.digest) << '"' << c.msg << '"';
}

TEST(Gost34311, PublishedVectorsCryptoProParamSet) {
    EXPECT_EQ(md("", getGostR3411CryptoProSBlock()),
              "981e5f3ca30c841487830f84fb433e13ac1101569b9c13584ac483234cd656c0");
    EXPECT_EQ(md("abc", getGostR3411CryptoProSBlock()),
              "b285056dbf18d7392d7677369524dd14747459ed8143997e163b2986f92fd42c");
}

TEST(Gost34311, IncrementalUpdatesMatchOneShot) {
    // 1,000,000 'a' is a published vector too (test parameter set).
    const std::string chunk(1000, 'a');
    TCG3411Hash h(getGostR3411TestSBlock());
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(h.update(chunk.data(), chunk.size()), 0u);
    h.end();
    uint8_t out[32];
    size_t size = sizeof out;
    ASSERT_EQ(h.getHash(out, &size), 32u);
    EXPECT_EQ(hex(out, 32), "5c00ccc2734cdd3332d3d4749576e3c1a7dbaf0e7ea74e9fa602413c90a129fa");

    // Odd split points cross the 32-byte block boundary.
    const std::string msg = "Suppose the original message has length = 50 bytes";
    TCG3411Hash parts(getGostR3411TestSBlock());
    parts.update(msg.data(), 7);
    parts.update(msg.data() + 7, 30);
    parts.update(msg.data() + 37, msg.size() - 37);
    parts.end();
    ASSERT_EQ(parts.getHash(out, nullptr), 32u);
    EXPECT_EQ(hex(out, 32), md(msg, getGostR3411TestSBlock()));
    // Updates after end() are refused; a small buffer gets nothing.
    EXPECT_GE(parts.update("x", 1), 0xC0000000u);
    size = 16;
    EXPECT_EQ(parts.getHash(out, &size), 0u);
}
