#include "platform/core/crypto/Digest.h"

#include <openssl/crypto.h>

#include <algorithm>
#include <cstring>

namespace {

// Bytes of W regrouped into the round key (the permutation P of the standard).
void permuteP(const uint8_t w[32], uint8_t k[32]) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 8; ++j) k[i + 4 * j] = w[8 * i + j];
}

// A(Y) = (y1 ^ y2) || y4 || y3 || y2 on 64-bit words, y1 lowest.
void transformA(const uint8_t in[32], uint8_t out[32]) {
    uint8_t y1[8];
    std::memcpy(y1, in, 8);
    std::memmove(out, in + 8, 24);
    for (int i = 0; i < 8; ++i) out[24 + i] = uint8_t(y1[i] ^ out[i]);
}

// psi on 16-bit words, y1 lowest.
void transformPsi(uint8_t d[32]) {
    const uint8_t lo = uint8_t(d[0] ^ d[2] ^ d[4] ^ d[6] ^ d[24] ^ d[30]);
    const uint8_t hi = uint8_t(d[1] ^ d[3] ^ d[5] ^ d[7] ^ d[25] ^ d[31]);
    std::memmove(d, d + 2, 30);
    d[30] = lo;
    d[31] = hi;
}

void xor32(uint8_t* out, const uint8_t* a, const uint8_t* b) {
    for (int i = 0; i < 32; ++i) out[i] = uint8_t(a[i] ^ b[i]);
}

// out += add modulo 2^256, little-endian.
void add256(uint8_t* acc, const uint8_t* add) {
    unsigned carry = 0;
    for (int i = 0; i < 32; ++i) {
        const unsigned s = unsigned(acc[i]) + add[i] + carry;
        acc[i] = uint8_t(s);
        carry = s >> 8;
    }
}

// Byte positions of the constant C3 that are 0xFF.
const int kC3Ones[] = {1, 3, 5, 7, 8, 10, 12, 14, 17, 18, 20, 23, 24, 28, 29, 31};

}  // namespace

TCG3411Hash::TCG3411Hash(const TGost28147SBox* sbox) : cipher_(sbox) { begin(); }

void TCG3411Hash::begin() {
    std::memset(h_, 0, sizeof h_);
    std::memset(sum_, 0, sizeof sum_);
    std::memset(buf_, 0, sizeof buf_);
    bits_ = 0;
    bufLen_ = 0;
    open_ = true;
    done_ = false;
}

// One quarter of the state is encrypted under the key made of u xor v.
void TCG3411Hash::encryptQuarter(const uint8_t u[32], const uint8_t v[32], const uint8_t* in, uint8_t* out) {
    uint8_t w[32], key[32];
    xor32(w, u, v);
    permuteP(w, key);
    cipher_.setKey(key);
    cipher_.encryptBlock(in, out);
    OPENSSL_cleanse(w, sizeof w);
    OPENSSL_cleanse(key, sizeof key);
}

void TCG3411Hash::step(uint8_t h[32], const uint8_t m[32]) {
    uint8_t u[32], v[32], s[32];
    encryptQuarter(h, m, h, s);

    transformA(h, u);
    transformA(m, v);
    transformA(v, v);
    encryptQuarter(u, v, h + 8, s + 8);

    transformA(u, u);
    for (int i : kC3Ones) u[i] = uint8_t(~u[i]);
    transformA(v, v);
    transformA(v, v);
    encryptQuarter(u, v, h + 16, s + 16);

    transformA(u, u);
    transformA(v, v);
    transformA(v, v);
    encryptQuarter(u, v, h + 24, s + 24);

    for (int i = 0; i < 12; ++i) transformPsi(s);
    xor32(s, s, m);
    transformPsi(s);
    xor32(s, s, h);
    for (int i = 0; i < 61; ++i) transformPsi(s);
    std::memcpy(h, s, 32);
}

void TCG3411Hash::processBlock(const uint8_t m[32]) {
    step(h_, m);
    add256(sum_, m);
}

KResult TCG3411Hash::update(const void* data, size_t len) {
    if (!open_) return KR_E_FAIL;
    if (len == 0) return KR_OK;
    if (!data) return KR_E_INVALIDARG;
    auto* p = static_cast<const uint8_t*>(data);
    bits_ += uint64_t(len) * 8;
    if (bufLen_) {
        const size_t n = std::min(len, 32 - bufLen_);
        std::memcpy(buf_ + bufLen_, p, n);
        bufLen_ += n;
        p += n;
        len -= n;
        if (bufLen_ < 32) return KR_OK;
        processBlock(buf_);
        bufLen_ = 0;
    }
    while (len >= 32) {
        processBlock(p);
        p += 32;
        len -= 32;
    }
    std::memcpy(buf_, p, len);
    bufLen_ = len;
    return KR_OK;
}

void TCG3411Hash::end() {
    if (!open_) return;
    if (bufLen_) {
        std::memset(buf_ + bufLen_, 0, 32 - bufLen_);
        processBlock(buf_);
        bufLen_ = 0;
    }
    uint8_t len[32] = {};
    for (int i = 0; i < 8; ++i) len[i] = uint8_t(bits_ >> (8 * i));
    step(h_, len);
    step(h_, sum_);
    open_ = false;
    done_ = true;
}

size_t TZrXDigest::copyDigest(const uint8_t* digest, size_t n, bool done, void* out, size_t* size) {
    if (!done || !out) return 0;
    if (size && *size < n) return 0;
    std::memcpy(out, digest, n);
    if (size) *size = n;
    return n;
}

size_t TCG3411Hash::getHash(void* out, size_t* size) const { return copyDigest(h_, 32, done_, out, size); }

bool dstu34311_md(const void* data, size_t len, uint8_t out[32], const TGost28147SBox* sbox) {
    if (!out || (!data && len)) return false;
    TCG3411Hash h(sbox);
    if (isFailure(h.update(data, len))) return false;
    h.end();
    return h.getHash(out, nullptr) == 32;
}
