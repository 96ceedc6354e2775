#include "platform/core/crypto/Digest.h"

#include <openssl/crypto.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

uint32_t load32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void loadWords(const uint8_t* p, uint32_t w[8]) {
    for (int i = 0; i < 8; ++i) w[i] = load32(p + 4 * i);
}

// The round key of W (the permutation P of the standard): key byte i + 4j
// is byte 8i + j of W, so key word j takes byte j of the four 64-bit words.
void keyP(const uint32_t w[8], uint32_t k[8]) {
    for (int j = 0; j < 8; ++j) {
        const int word = j >> 2, shift = 8 * (j & 3);
        k[j] = ((w[word] >> shift) & 0xFF) | ((w[word + 2] >> shift) & 0xFF) << 8 |
               ((w[word + 4] >> shift) & 0xFF) << 16 | ((w[word + 6] >> shift) & 0xFF) << 24;
    }
}

// A(Y) = (y1 ^ y2) || y4 || y3 || y2 on 64-bit words, y1 lowest; in place.
void transformA(uint32_t y[8]) {
    const uint32_t a = y[0] ^ y[2], b = y[1] ^ y[3];
    y[0] = y[2];
    y[1] = y[3];
    y[2] = y[4];
    y[3] = y[5];
    y[4] = y[6];
    y[5] = y[7];
    y[6] = a;
    y[7] = b;
}

// The constant C3 of the standard as words.
constexpr uint32_t kC3[8] = {0xFF00FF00u, 0xFF00FF00u, 0x00FF00FFu, 0x00FF00FFu,
                             0x00FFFF00u, 0xFF0000FFu, 0x000000FFu, 0xFF00FFFFu};

// The key material of a step, wiped once when the step ends.
struct StepKeys {
    uint32_t u[8], v[8], w[8], k[4][8];
};

// psi^n as a matrix over 16-bit words: output word j is the XOR of the
// input words whose bits are set in row[j]. psi moves every word down by
// one and puts y1 ^ y2 ^ y3 ^ y4 ^ y13 ^ y16 on top.
struct PsiMatrix {
    uint16_t row[16];
};

constexpr PsiMatrix psiPower(int n) {
    PsiMatrix m{};
    for (int j = 0; j < 16; ++j) m.row[j] = uint16_t(1u << j);
    for (int k = 0; k < n; ++k) {
        PsiMatrix next{};
        for (int j = 0; j < 15; ++j) next.row[j] = m.row[j + 1];
        next.row[15] = uint16_t(m.row[0] ^ m.row[1] ^ m.row[2] ^ m.row[3] ^ m.row[12] ^ m.row[15]);
        m = next;
    }
    return m;
}

constexpr PsiMatrix kPsi61 = psiPower(61);
constexpr PsiMatrix kPsi62 = psiPower(62);
constexpr PsiMatrix kPsi74 = psiPower(74);

// The XOR of the words a row names; the row is a constant, so only its
// terms are computed.
template <uint16_t Row, int I = 0> inline uint32_t applyRow(const uint32_t x[16]) {
    if constexpr (I == 16) {
        return 0;
    } else if constexpr ((Row >> I) & 1) {
        return x[I] ^ applyRow<Row, I + 1>(x);
    } else {
        return applyRow<Row, I + 1>(x);
    }
}

// Output word J of the mixing.
template <int J> inline uint32_t mixWord(const uint32_t hs[16], const uint32_t ms[16], const uint32_t ss[16]) {
    return applyRow<kPsi61.row[J]>(hs) ^ applyRow<kPsi62.row[J]>(ms) ^ applyRow<kPsi74.row[J]>(ss);
}

template <int... J> inline void mixWords(const uint32_t hs[16], const uint32_t ms[16], const uint32_t ss[16],
                                         uint32_t h[8], std::integer_sequence<int, J...>) {
    const uint32_t out[16] = {mixWord<J>(hs, ms, ss)...};
    for (int i = 0; i < 8; ++i) h[i] = (out[2 * i] & 0xFFFFu) | out[2 * i + 1] << 16;
}

// The sixteen 16-bit words of eight 32-bit words, each in a 32-bit lane.
void halves(const uint32_t w[8], uint32_t out[16]) {
    for (int i = 0; i < 8; ++i) {
        out[2 * i] = w[i] & 0xFFFFu;
        out[2 * i + 1] = w[i] >> 16;
    }
}

void makeKey(StepKeys& t, int q) {
    for (int i = 0; i < 8; ++i) t.w[i] = t.u[i] ^ t.v[i];
    keyP(t.w, t.k[q]);
}

}  // namespace

TCG3411Hash::TCG3411Hash(const TGost28147SBox* sbox) : cipher_(sbox) { begin(); }

void TCG3411Hash::begin() {
    std::memset(h_, 0, sizeof h_);
    std::memset(sum_, 0, sizeof sum_);
    std::memset(buf_, 0, sizeof buf_);
    std::memset(digest_, 0, sizeof digest_);
    bits_ = 0;
    bufLen_ = 0;
    open_ = true;
    done_ = false;
}

void TCG3411Hash::step(uint32_t h[8], const uint32_t m[8]) {
    StepKeys t;
    uint32_t s[8];
    // Key generation, then encryption: each quarter of H under its key.
    std::memcpy(t.u, h, sizeof t.u);
    std::memcpy(t.v, m, sizeof t.v);
    makeKey(t, 0);
    for (int q = 1; q < 4; ++q) {
        transformA(t.u);
        if (q == 2)
            for (int i = 0; i < 8; ++i) t.u[i] ^= kC3[i];
        transformA(t.v);
        transformA(t.v);
        makeKey(t, q);
    }
    cipher_.encryptWords4(t.k, h, s);

    // The mixing: psi^61(H ^ psi(M ^ psi^12(S))), which is linear:
    // psi^61(H) ^ psi^62(M) ^ psi^74(S), three fixed maps whose terms are
    // independent of each other.
    uint32_t hs[16], ms[16], ss[16];
    halves(h, hs);
    halves(m, ms);
    halves(s, ss);
    mixWords(hs, ms, ss, h, std::make_integer_sequence<int, 16>{});
    OPENSSL_cleanse(&t, sizeof t);
}

void TCG3411Hash::processBlock(const uint8_t block[32]) {
    uint32_t m[8];
    loadWords(block, m);
    step(h_, m);
    // Σ += M modulo 2^256.
    uint64_t carry = 0;
    for (int i = 0; i < 8; ++i) {
        carry += uint64_t(sum_[i]) + m[i];
        sum_[i] = uint32_t(carry);
        carry >>= 32;
    }
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
    uint32_t len[8] = {uint32_t(bits_), uint32_t(bits_ >> 32)};
    step(h_, len);
    step(h_, sum_);
    for (int i = 0; i < 32; ++i) digest_[i] = uint8_t(h_[i / 4] >> (8 * (i % 4)));
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

size_t TCG3411Hash::getHash(void* out, size_t* size) const { return copyDigest(digest_, 32, done_, out, size); }

bool dstu34311_md(const void* data, size_t len, uint8_t out[32], const TGost28147SBox* sbox) {
    if (!out || (!data && len)) return false;
    TCG3411Hash h(sbox);
    if (isFailure(h.update(data, len))) return false;
    h.end();
    return h.getHash(out, nullptr) == 32;
}
