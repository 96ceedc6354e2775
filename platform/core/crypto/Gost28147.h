#pragma once
// GOST 28147-89 block cipher (ECB) and its substitution tables.
#include <cstddef>
#include <cstdint>

// A substitution table: 8 rows of 16 four-bit entries; row 0 substitutes the
// lowest nibble of the 32-bit round value.
struct TGost28147SBox {
    uint8_t k[8][16];
};

// The library's default table (DSTU 4145 "DKE No. 1").
const TGost28147SBox* getDefSBlock1();
// The test parameter set of GOST R 34.11-94 (its published examples use it).
const TGost28147SBox* getGostR3411TestSBlock();
// The CryptoPro parameter set of GOST R 34.11-94 (RFC 4357).
const TGost28147SBox* getGostR3411CryptoProSBlock();

// Expands a 64-byte packed table (two entries per byte, high nibble first,
// row 0 first) as published in DSTU 4145.
TGost28147SBox gostUnpackSBox(const uint8_t packed[64]);

class TGost28147 {
public:
    // key: 32 bytes, read as eight little-endian 32-bit words.
    TGost28147(const uint8_t key[32], const TGost28147SBox* sbox = nullptr);
    // Tables only; setKey before use.
    explicit TGost28147(const TGost28147SBox* sbox);
    ~TGost28147();
    TGost28147(const TGost28147&) = delete;
    TGost28147& operator=(const TGost28147&) = delete;
    void setKey(const uint8_t key[32]);
    // One 8-byte block (the low half N1 is the first four bytes, little-endian).
    void encryptBlock(const uint8_t in[8], uint8_t out[8]) const;
    void decryptBlock(const uint8_t in[8], uint8_t out[8]) const;
    // Four blocks given as words (block i is N1 = in[2i], N2 = in[2i+1])
    // under round keys the caller holds (the object's own key is neither used
    // nor changed), out in the same order; the blocks' rounds are
    // interleaved so that the processor runs them side by side. For the
    // digest, whose keys change with every block.
    void encryptWords4(const uint32_t keys[4][8], const uint32_t in[8], uint32_t out[8]) const;

private:
    uint32_t f(uint32_t x) const;
    uint32_t key_[8] = {};
    uint32_t t_[4][256];  // merged substitution tables per byte, rotated by 11
};

// ECB over whole 8-byte blocks in place. A null key stands for the library's
// fixed all-zero key (no protection: a transformation, not a secret); a null
// table is getDefSBlock1(). False when the length is no multiple of 8.
bool Gost28147ecb(void* data, size_t len, const uint8_t* key, const TGost28147SBox* sbox, bool encrypt);
