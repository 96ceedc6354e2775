#include "platform/core/crypto/Enlp.h"

#include <openssl/sha.h>

#include <cstring>
#include <string>

namespace {

// XORs data with SHA-256(key || counter) blocks.
void applyStream(std::string& data, const TCString& key) {
    uint8_t block[SHA256_DIGEST_LENGTH];
    for (size_t off = 0, counter = 0; off < data.size(); off += sizeof block, ++counter) {
        std::string seed = key.str();
        for (int i = 0; i < 4; ++i) seed += char((counter >> (8 * i)) & 0xFF);
        SHA256(reinterpret_cast<const unsigned char*>(seed.data()), seed.size(), block);
        for (size_t i = 0; i < sizeof block && off + i < data.size(); ++i) data[off + i] ^= char(block[i]);
    }
}

}  // namespace

bool enlp(TCString& out, const char* key, const char* value, int direction) {
    const TCString k(key ? key : "");
    const TCString v(value ? value : "");
    if (direction) {
        std::string data = v.str();
        applyStream(data, k);
        out = TCString::base64Of(data.data(), data.size());
        return true;
    }
    std::string data;
    if (!v.fromBase64(data)) {
        out.clear();
        return false;
    }
    applyStream(data, k);
    out = TCString(std::move(data));
    return true;
}
