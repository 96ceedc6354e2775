#include "platform/core/crypto/Gost28147.h"

#include <cstring>

namespace {

const uint8_t kDke1Packed[64] = {
    0xa9, 0xd6, 0xeb, 0x45, 0xf1, 0x3c, 0x70, 0x82, 0x80, 0xc4, 0x96, 0x7b, 0x23, 0x1f, 0x5e, 0xad,
    0xf6, 0x58, 0xeb, 0xa4, 0xc0, 0x37, 0x29, 0x1d, 0x38, 0xd9, 0x6b, 0xf0, 0x25, 0xca, 0x4e, 0x17,
    0xf8, 0xe9, 0x72, 0x0d, 0xc6, 0x15, 0xb4, 0x3a, 0x28, 0x97, 0x5f, 0x0b, 0xc1, 0xde, 0xa3, 0x64,
    0x38, 0xb5, 0x64, 0xea, 0x2c, 0x17, 0x9f, 0xd0, 0x12, 0x3e, 0x6d, 0xb8, 0xfa, 0xc5, 0x79, 0x04,
};

const TGost28147SBox kTest3411 = {{
    {4, 10, 9, 2, 13, 8, 0, 14, 6, 11, 1, 12, 7, 15, 5, 3},
    {14, 11, 4, 12, 6, 13, 15, 10, 2, 3, 8, 1, 0, 7, 5, 9},
    {5, 8, 1, 13, 10, 3, 4, 2, 14, 15, 12, 7, 6, 0, 9, 11},
    {7, 13, 10, 1, 0, 8, 9, 15, 14, 4, 6, 12, 11, 2, 5, 3},
    {6, 12, 7, 1, 5, 15, 13, 8, 4, 10, 9, 14, 0, 3, 11, 2},
    {4, 11, 10, 0, 7, 2, 1, 13, 3, 6, 8, 5, 9, 12, 15, 14},
    {13, 11, 4, 1, 3, 15, 5, 9, 0, 10, 14, 7, 6, 8, 2, 12},
    {1, 15, 13, 0, 5, 7, 10, 4, 9, 2, 3, 14, 6, 11, 8, 12},
}};

const TGost28147SBox kCryptoPro3411 = {{
    {10, 4, 5, 6, 8, 1, 3, 7, 13, 12, 14, 0, 9, 2, 11, 15},
    {5, 15, 4, 0, 2, 13, 11, 9, 1, 7, 6, 3, 12, 14, 10, 8},
    {7, 15, 12, 14, 9, 4, 1, 0, 3, 11, 5, 2, 6, 10, 8, 13},
    {4, 10, 7, 12, 0, 15, 2, 8, 14, 1, 6, 5, 13, 11, 9, 3},
    {7, 6, 4, 11, 9, 12, 2, 10, 1, 8, 0, 14, 15, 13, 3, 5},
    {7, 6, 2, 4, 13, 9, 15, 0, 10, 1, 5, 11, 8, 14, 12, 3},
    {13, 14, 4, 1, 7, 0, 5, 10, 3, 12, 8, 15, 6, 2, 9, 11},
    {1, 3, 10, 9, 5, 11, 4, 15, 8, 6, 7, 14, 13, 0, 2, 12},
}};

uint32_t load32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

void store32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

}  // namespace

TGost28147SBox gostUnpackSBox(const uint8_t packed[64]) {
    TGost28147SBox s{};
    for (int row = 0; row < 8; ++row)
        for (int j = 0; j < 8; ++j) {
            s.k[row][2 * j] = uint8_t(packed[row * 8 + j] >> 4);
            s.k[row][2 * j + 1] = uint8_t(packed[row * 8 + j] & 0x0F);
        }
    return s;
}

const TGost28147SBox* getDefSBlock1() {
    static const TGost28147SBox box = gostUnpackSBox(kDke1Packed);
    return &box;
}

const TGost28147SBox* getGostR3411TestSBlock() { return &kTest3411; }
const TGost28147SBox* getGostR3411CryptoProSBlock() { return &kCryptoPro3411; }

TGost28147::TGost28147(const uint8_t key[32], const TGost28147SBox* sbox) : TGost28147(sbox) { setKey(key); }

void TGost28147::setKey(const uint8_t key[32]) {
    for (int i = 0; i < 8; ++i) key_[i] = load32(key + 4 * i);
}

TGost28147::TGost28147(const TGost28147SBox* sbox) {
    if (!sbox) sbox = getDefSBlock1();
    for (int b = 0; b < 4; ++b)
        for (int v = 0; v < 256; ++v) {
            const uint32_t lo = sbox->k[2 * b][v & 0x0F];
            const uint32_t hi = sbox->k[2 * b + 1][v >> 4];
            const uint32_t x = ((hi << 4) | lo) << (8 * b);
            // The round's rotation by 11 is a permutation of bits: it is
            // applied to each byte's entry here, not to every round value.
            t_[b][v] = (x << 11) | (x >> 21);
        }
}

TGost28147::~TGost28147() {
    // The round keys may be a secret.
    volatile uint32_t* p = key_;
    for (int i = 0; i < 8; ++i) p[i] = 0;
}

uint32_t TGost28147::f(uint32_t x) const {
    return t_[0][x & 0xFF] | t_[1][(x >> 8) & 0xFF] | t_[2][(x >> 16) & 0xFF] | t_[3][x >> 24];
}

void TGost28147::encryptBlock(const uint8_t in[8], uint8_t out[8]) const {
    uint32_t n1 = load32(in), n2 = load32(in + 4);
    for (int r = 0; r < 3; ++r)
        for (int i = 0; i < 8; i += 2) {
            n2 ^= f(n1 + key_[i]);
            n1 ^= f(n2 + key_[i + 1]);
        }
    for (int i = 7; i > 0; i -= 2) {
        n2 ^= f(n1 + key_[i]);
        n1 ^= f(n2 + key_[i - 1]);
    }
    store32(out, n2);
    store32(out + 4, n1);
}

void TGost28147::encryptWords4(const uint32_t keys[4][8], const uint32_t in[8], uint32_t out[8]) const {
    uint32_t a1 = in[0], a2 = in[1], b1 = in[2], b2 = in[3], c1 = in[4], c2 = in[5], d1 = in[6], d2 = in[7];
    const uint32_t *ka = keys[0], *kb = keys[1], *kc = keys[2], *kd = keys[3];
    // Two rounds: N2 ^= f(N1 + K[i]), then N1 ^= f(N2 + K[j]), in every block.
    auto rounds = [&](int i, int j) {
        a2 ^= f(a1 + ka[i]);
        b2 ^= f(b1 + kb[i]);
        c2 ^= f(c1 + kc[i]);
        d2 ^= f(d1 + kd[i]);
        a1 ^= f(a2 + ka[j]);
        b1 ^= f(b2 + kb[j]);
        c1 ^= f(c2 + kc[j]);
        d1 ^= f(d2 + kd[j]);
    };
    for (int r = 0; r < 3; ++r)
        for (int i = 0; i < 8; i += 2) rounds(i, i + 1);
    for (int i = 7; i > 0; i -= 2) rounds(i, i - 1);
    out[0] = a2;
    out[1] = a1;
    out[2] = b2;
    out[3] = b1;
    out[4] = c2;
    out[5] = c1;
    out[6] = d2;
    out[7] = d1;
}

void TGost28147::decryptBlock(const uint8_t in[8], uint8_t out[8]) const {
    uint32_t n1 = load32(in), n2 = load32(in + 4);
    for (int i = 0; i < 8; i += 2) {
        n2 ^= f(n1 + key_[i]);
        n1 ^= f(n2 + key_[i + 1]);
    }
    for (int r = 0; r < 3; ++r)
        for (int i = 7; i > 0; i -= 2) {
            n2 ^= f(n1 + key_[i]);
            n1 ^= f(n2 + key_[i - 1]);
        }
    store32(out, n2);
    store32(out + 4, n1);
}

bool Gost28147ecb(void* data, size_t len, const uint8_t* key, const TGost28147SBox* sbox, bool encrypt) {
    if (!data || len % 8 != 0) return false;
    static const uint8_t kZeroKey[32] = {};
    TGost28147 c(key ? key : kZeroKey, sbox);
    auto* p = static_cast<uint8_t*>(data);
    for (size_t i = 0; i < len; i += 8) {
        uint8_t out[8];
        if (encrypt) c.encryptBlock(p + i, out);
        else c.decryptBlock(p + i, out);
        std::memcpy(p + i, out, 8);
    }
    return true;
}
