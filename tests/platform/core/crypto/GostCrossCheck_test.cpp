// GOST 34.311 with the CryptoPro parameter set against libgcrypt's
// independent implementation (GOSTR3411_CP).
#include <gcrypt.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/core/crypto/Digest.h"

namespace {

std::string gcryptDigest(const std::string& msg) {
    unsigned char out[32];
    gcry_md_hash_buffer(GCRY_MD_GOSTR3411_CP, out, msg.data(), msg.size());
    return std::string(reinterpret_cast<char*>(out), 32);
}

std::string ourDigest(const std::string& msg, size_t chunk) {
    TCG3411Hash h(getGostR3411CryptoProSBlock());
    h.begin();
    size_t step = chunk;
    for (size_t at = 0; at < msg.size(); at += step, step = step % 37 + 1)
        EXPECT_EQ(h.update(msg.data() + at, std::min(step, msg.size() - at)), 0u);
    h.end();
    unsigned char out[32];
    EXPECT_EQ(h.getHash(out, nullptr), 32u);
    return std::string(reinterpret_cast<char*>(out), 32);
}

TEST(Gost34311CryptoPro, MatchesLibgcrypt) {
    ASSERT_TRUE(gcry_check_version(nullptr));
    const std::string cases[] = {
        "",
        "a",
        "abc",
        "message digest",
        "The quick brown fox jumps over the lazy dog",
        "This is message, length=32 bytes",
        "Suppose the original message has length = 50 bytes",
        std::string(100000, 'U'),
        std::string("\0\xff\x80 binary", 10),
    };
    for (const std::string& msg : cases) {
        // Whole, and in uneven chunks that cross the 32-byte blocks.
        EXPECT_EQ(ourDigest(msg, msg.size() + 1), gcryptDigest(msg)) << msg.size() << " bytes";
        EXPECT_EQ(ourDigest(msg, 5), gcryptDigest(msg)) << msg.size() << " bytes, chunked";
    }
}

}  // namespace
