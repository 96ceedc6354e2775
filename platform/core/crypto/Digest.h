#pragma once
// Digests of the core library: the common interface and GOST 34.311
// (GOST R 34.11-94 / DSTU GOST 34.311-95) over GOST 28147-89.
#include <cstddef>
#include <cstdint>

#include "platform/core/crypto/Gost28147.h"
#include "platform/runtime/ResultCodes.h"

class TZrXDigest {
public:
    virtual ~TZrXDigest() = default;
    virtual void begin() = 0;
    // 0 on success; a failure code when called outside begin()/end().
    virtual KResult update(const void* data, size_t len) = 0;
    virtual void end() = 0;
    // Copies the digest after end(); size (in/out, may be null) is the buffer's
    // size in and the digest's size out. Answers the bytes copied, 0 when the
    // buffer is too small or the digest is not finished.
    virtual size_t getHash(void* out, size_t* size) const = 0;
    virtual size_t hashSize() const = 0;

protected:
    // getHash over the n bytes of a digest, `done` when it is finished.
    static size_t copyDigest(const uint8_t* digest, size_t n, bool done, void* out, size_t* size);
};

class TCG3411Hash : public TZrXDigest {
public:
    // A null table is the library's default (getDefSBlock1).
    explicit TCG3411Hash(const TGost28147SBox* sbox = nullptr);
    void begin() override;
    KResult update(const void* data, size_t len) override;
    void end() override;
    size_t getHash(void* out, size_t* size) const override;
    size_t hashSize() const override { return 32; }

private:
    // The state and the blocks are eight little-endian 32-bit words.
    void step(uint32_t h[8], const uint32_t m[8]);
    void processBlock(const uint8_t m[32]);

    TGost28147 cipher_;  // the substitution tables are built once per digest
    uint32_t h_[8];
    uint32_t sum_[8];
    uint8_t digest_[32];
    uint64_t bits_ = 0;
    uint8_t buf_[32];
    size_t bufLen_ = 0;
    bool open_ = false;
    bool done_ = false;
};

// One-shot GOST 34.311 of a buffer into 32 bytes; a null table is the default.
bool dstu34311_md(const void* data, size_t len, uint8_t out[32], const TGost28147SBox* sbox = nullptr);
